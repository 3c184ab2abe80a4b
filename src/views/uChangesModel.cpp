#include "uChangesModel.h"

#include "uCompareText.h"
#include "uDataInfo.h"
#include "uEntryColumns.h"
#include "uEntryModels.h"
#include "uEntrySort.h"
#include "uScanCompare.h"

#include <algorithm>
#include <bit>
#include <optional>
#include <string>

namespace quorvex {

namespace {

QString FromStd(const std::string& text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// The kinds in the order of their texts: Added, Grown, Removed, Shrunk.
int TextRank(EChangeKind kind) {
    switch (kind) {
    case EChangeKind::None:
        return 0;
    case EChangeKind::Added:
        return 1;
    case EChangeKind::Grown:
        return 2;
    case EChangeKind::Removed:
        return 3;
    case EChangeKind::Shrunk:
        return 4;
    }
    return 0;
}

// The positions of rows ordered by one key each: `order` on the key, equal keys in their
// current order. The keys sit beside their positions, so the sort reads one dense array
// instead of following a pointer per comparison.
template <typename TValue>
std::vector<std::uint32_t> RankedPositions(std::vector<std::pair<TValue, std::uint32_t>> keys,
                                           Qt::SortOrder order) {
    const bool ascending = order == Qt::AscendingOrder;
    std::sort(keys.begin(), keys.end(), [ascending](const auto& a, const auto& b) {
        if (a.first != b.first)
            return ascending ? a.first < b.first : b.first < a.first;
        return a.second < b.second;
    });
    std::vector<std::uint32_t> positions(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i)
        positions[i] = keys[i].second;
    return positions;
}

// The path order of rows from two trees (current rows and removed base rows, told apart by
// `removed`): each side ranked by the walk over its own folders, then the smaller side put
// into place by binary searches over the larger, building a path per comparison only.
// Nothing when one side is empty (one tree: the walk alone serves) or when the searches would
// build more paths than ranking every row's path does.
std::optional<std::vector<std::uint32_t>> MergedPathPositions(const std::vector<TDataInfo*>& rows,
                                                              const std::vector<bool>& removed,
                                                              Qt::SortOrder order) {
    std::vector<TDataInfo*> side[2];
    std::vector<std::uint32_t> rowOf[2];
    for (std::uint32_t i = 0; i < rows.size(); ++i) {
        side[removed[i]].push_back(rows[i]);
        rowOf[removed[i]].push_back(i);
    }
    const int few = side[0].size() < side[1].size() ? 0 : 1, many = 1 - few;
    const std::size_t f = side[few].size(), m = side[many].size();
    if (f == 0 || f * (std::bit_width(m) + 1) >= f + m)
        return std::nullopt;
    const auto ranked = [&](int s) {
        std::vector<std::uint32_t> positions =
            SortedRowPositions(side[s], ecFullPath, order, false);
        for (std::uint32_t& p : positions)
            p = rowOf[s][p];
        return positions;
    };
    const std::vector<std::uint32_t> fewRows = ranked(few), manyRows = ranked(many);
    const bool ascending = order == Qt::AscendingOrder;
    // Whether row b goes before row a (whose path is given): folders first, then the path,
    // then the current order, as the one-tree sort ranks them.
    const auto goesBefore = [&](std::uint32_t b, std::uint32_t a, const std::string& pathA) {
        const TDataInfo &x = *rows[b], &y = *rows[a];
        if (x.IsFolder() != y.IsFolder())
            return bool(x.IsFolder());
        const int c = CompareFoldedText(x.FullPath(), pathA);
        return c != 0 ? (ascending ? c < 0 : c > 0) : b < a;
    };
    std::vector<std::uint32_t> merged;
    merged.reserve(rows.size());
    auto next = manyRows.begin();
    for (const std::uint32_t a : fewRows) {
        const std::string path = rows[a]->FullPath();
        const auto place = std::partition_point(
            next, manyRows.end(), [&](std::uint32_t b) { return goesBefore(b, a, path); });
        merged.insert(merged.end(), next, place);
        merged.push_back(a);
        next = place;
    }
    merged.insert(merged.end(), next, manyRows.end());
    return merged;
}

QString EntriesText(std::uint64_t count) {
    return QString::number(count) +
           (count == 1 ? QStringLiteral(" entry, ") : QStringLiteral(" entries, "));
}

} // namespace

QString ChangeKindText(int kind) {
    switch (EChangeKind(kind)) {
    case EChangeKind::None:
        return {};
    case EChangeKind::Added:
        return QStringLiteral("Added");
    case EChangeKind::Removed:
        return QStringLiteral("Removed");
    case EChangeKind::Grown:
        return QStringLiteral("Grown");
    case EChangeKind::Shrunk:
        return QStringLiteral("Shrunk");
    }
    return {};
}

void TChangesModel::Fill(const TScanCompare* compare) {
    beginResetModel();
    FCompare = compare;
    FRows = compare ? compare->Changes() : std::vector<const TDataInfo*>();
    const std::vector<std::uint32_t> positions =
        SortState().IsSet() ? SortedPositions(SortState().Column, SortState().Order)
                            : DefaultPositions();
    std::vector<const TDataInfo*> sorted(FRows.size());
    for (std::size_t i = 0; i < positions.size(); ++i)
        sorted[i] = FRows[positions[i]];
    FRows = std::move(sorted);
    endResetModel();
}

std::vector<std::pair<QString, QString>> TChangesModel::Totals() const {
    if (!FCompare)
        return {};
    std::vector<std::pair<QString, QString>> totals;
    for (const EChangeKind kind :
         {EChangeKind::Added, EChangeKind::Removed, EChangeKind::Grown, EChangeKind::Shrunk}) {
        const TChangeTotal total = FCompare->Total(kind);
        totals.emplace_back(ChangeKindText(int(kind)),
                            EntriesText(total.Count) + FromStd(SignedSizeText(total.Bytes)));
    }
    totals.emplace_back(QStringLiteral("Total Change"),
                        FromStd(TotalChangeText(FCompare->TotalChange())));
    return totals;
}

QStringList TChangesModel::TotalsLines() const {
    QStringList lines;
    for (const auto& [name, value] : Totals())
        lines << name + QStringLiteral(": ") + value;
    return lines;
}

std::vector<std::uint32_t> TChangesModel::DefaultPositions() const {
    // (group, loss or growth): what took space first, then what freed it, removed last.
    std::vector<std::pair<std::pair<int, std::uint64_t>, std::uint32_t>> keys(FRows.size());
    for (std::size_t i = 0; i < FRows.size(); ++i) {
        const TDataInfo& e = *FRows[i];
        const std::int64_t growth = FCompare->GrowthOf(e);
        const EChangeKind kind = FCompare->KindOf(e);
        const int group = kind == EChangeKind::Removed ? 2 : kind == EChangeKind::Shrunk ? 1 : 0;
        // Largest first within each group; the magnitude of a loss without negating INT64_MIN.
        const std::uint64_t size = growth < 0 ? 0 - std::uint64_t(growth) : std::uint64_t(growth);
        keys[i] = {{-group, size}, std::uint32_t(i)};
    }
    return RankedPositions(std::move(keys), Qt::DescendingOrder);
}

std::vector<std::uint32_t> TChangesModel::SortedPositions(int column, Qt::SortOrder order) const {
    if (column == ccPath || column == ccType) {
        // The lists' sort: folders first, paths ranked without building one per row where
        // the rows share a tree. It only reads the entries.
        std::vector<TDataInfo*> rows(FRows.size());
        std::transform(FRows.begin(), FRows.end(), rows.begin(),
                       [](const TDataInfo* e) { return const_cast<TDataInfo*>(e); });
        if (column == ccPath) {
            std::vector<bool> removed(FRows.size());
            for (std::size_t i = 0; i < FRows.size(); ++i)
                removed[i] = FCompare->KindOf(*FRows[i]) == EChangeKind::Removed;
            if (auto merged = MergedPathPositions(rows, removed, order))
                return std::move(*merged);
        }
        return SortedRowPositions(rows, column == ccPath ? ecFullPath : ecFileType, order, false);
    }
    if (column == ccSize) {
        std::vector<std::pair<std::uint64_t, std::uint32_t>> keys(FRows.size());
        for (std::size_t i = 0; i < FRows.size(); ++i)
            keys[i] = {FRows[i]->Size(), std::uint32_t(i)};
        return RankedPositions(std::move(keys), order);
    }
    std::vector<std::pair<std::int64_t, std::uint32_t>> keys(FRows.size());
    for (std::size_t i = 0; i < FRows.size(); ++i) {
        const TDataInfo& e = *FRows[i];
        keys[i] = {column == ccChange ? TextRank(FCompare->KindOf(e)) : FCompare->GrowthOf(e),
                   std::uint32_t(i)};
    }
    return RankedPositions(std::move(keys), order);
}

void TChangesModel::SortRows(int column, Qt::SortOrder order) {
    if (column < 0 || column >= ColumnCount)
        return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    Reorder(SortedPositions(column, order));
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

// Puts the rows in the order of `positions`, keeping persistent indexes on their entries.
void TChangesModel::Reorder(const std::vector<std::uint32_t>& positions) {
    std::vector<std::uint32_t> newRowOf(FRows.size());
    std::vector<const TDataInfo*> sorted(FRows.size());
    for (std::size_t i = 0; i < positions.size(); ++i) {
        newRowOf[positions[i]] = std::uint32_t(i);
        sorted[i] = FRows[positions[i]];
    }
    FRows = std::move(sorted);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    for (const QModelIndex& old : before)
        after.append(createIndex(int(newRowOf[std::size_t(old.row())]), old.column()));
    changePersistentIndexList(before, after);
}

QModelIndex TChangesModel::index(int row, int column, const QModelIndex& parent) const {
    if (parent.isValid() || row < 0 || row >= int(FRows.size()) || column < 0 ||
        column >= ColumnCount)
        return {};
    return createIndex(row, column);
}

QModelIndex TChangesModel::parent(const QModelIndex&) const {
    return {};
}

int TChangesModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(FRows.size());
}

int TChangesModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QString TChangesModel::CellText(const TDataInfo& entry, int column) const {
    switch (EColumn(column)) {
    case ccChange:
        return ChangeKindText(int(FCompare->KindOf(entry)));
    case ccPath:
        return DisplayText(entry.FullPath());
    case ccSizeChange:
        return FromStd(SignedSizeText(FCompare->GrowthOf(entry)));
    case ccSize:
        return EntryCellText(entry, ecFileSize);
    case ccType:
        return EntryCellText(entry, ecFileType);
    case ColumnCount:
        break;
    }
    return {};
}

QVariant TChangesModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.model() != this)
        return {};
    const TDataInfo& entry = *FRows[std::size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return CellText(entry, index.column());
    case Qt::TextAlignmentRole:
        return headerData(index.column(), Qt::Horizontal, role);
    case EntryRole: {
        // A removed row is a base entry: nothing may act on it through the current tree.
        const bool removed = FCompare->KindOf(entry) == EChangeKind::Removed;
        return QVariant::fromValue(removed ? quintptr(0) : quintptr(&entry));
    }
    case ChangeKindRole:
        return int(FCompare->KindOf(entry));
    default:
        return {};
    }
}

QVariant TChangesModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return {};
    if (role == Qt::TextAlignmentRole) {
        const bool number = section == ccSizeChange || section == ccSize;
        return QVariant::fromValue((number ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    }
    if (role != Qt::DisplayRole)
        return {};
    switch (EColumn(section)) {
    case ccChange:
        return QStringLiteral("Change");
    case ccPath:
        return QStringLiteral("Path");
    case ccSizeChange:
        return QStringLiteral("Size Change");
    case ccSize:
        return QStringLiteral("Size");
    case ccType:
        return QStringLiteral("Type");
    case ColumnCount:
        break;
    }
    return {};
}

} // namespace quorvex
