#include "uEntryModels.h"

#include "uCompareText.h"
#include "uDataInfo.h"
#include "uEntryFilter.h"
#include "uEntrySort.h"
#include "uScanCompare.h"

#include <algorithm>
#include <limits>
#include <unordered_map>

namespace quorvex {

namespace {

constexpr std::uint32_t Hidden = std::numeric_limits<std::uint32_t>::max();

} // namespace

// ---- TEntryModel ---------------------------------------------------------------------------

void TEntryModel::SetColumns(std::vector<TEntryColumn> columns, bool folderTree) {
    beginResetModel();
    FColumns = std::move(columns);
    FFolderTree = folderTree;
    endResetModel();
}

void TEntryModel::SetShareColumn(bool shown) {
    beginResetModel();
    FShare = shown;
    endResetModel();
}

void TEntryModel::SetComparison(const TScanCompare* compare) {
    beginResetModel();
    FCompare = compare;
    ComparisonChanging();
    endResetModel();
}

std::span<const TDataInfo* const> TEntryModel::GhostsIn(const TDataInfo& folder) const {
    return FCompare ? FCompare->RemovedIn(folder) : std::span<const TDataInfo* const>();
}

bool TEntryModel::IsGhost(const TDataInfo& item) const {
    return FCompare && FCompare->GhostParent(item);
}

int TEntryModel::columnCount(const QModelIndex&) const {
    return int(FColumns.size()) + (FShare ? 1 : 0) + (FCompare ? 1 : 0);
}

QVariant TEntryModel::ChangeData(const TDataInfo& item, bool ghost, int role) const {
    const std::int64_t growth = FCompare->GrowthOf(item);
    switch (role) {
    case Qt::DisplayRole: {
        std::string text = SignedSizeText(growth);
        if (ghost)
            text += " removed";
        else if (FCompare->DeltaOf(item).Change() == EEntryChange::Added)
            text += " new";
        return QString::fromStdString(text);
    }
    case ChangeRole:
        return QVariant::fromValue(qint64(growth));
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    default:
        return {};
    }
}

// A removed entry shows its texts as the saved scan has them, but offers nothing to act on:
// no entry, no share of a parent it no longer has.
QVariant TEntryModel::GhostData(const TDataInfo& ghost, int column, int role) const {
    if (column == ChangeColumn() && role != Qt::ForegroundRole && role != Qt::ToolTipRole)
        return ChangeData(ghost, true, role);
    if (column == ShareColumn())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return CellText(ghost, column);
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(FColumns[std::size_t(column)].Align);
    case Qt::DecorationRole:
        return (column == 0 && FIcon) ? FIcon(ghost) : QVariant();
    case Qt::ToolTipRole:
        return QStringLiteral("Removed since the saved scan");
    case Qt::ForegroundRole:
        return FGhostForeground;
    default:
        return {};
    }
}

QVariant TEntryModel::ShareData(const TDataInfo& entry, int role) const {
    switch (role) {
    case Qt::DisplayRole:
        return ShareText(ShareOfParent(entry));
    case ShareRole:
        return ShareOfParent(entry);
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    default:
        return {};
    }
}

QString TEntryModel::CellText(const TDataInfo& entry, int column) const {
    return FFolderTree ? FolderCellText(entry, column) : EntryCellText(entry, column);
}

QVariant TEntryModel::data(const QModelIndex& index, int role) const {
    if (index.column() >= columnCount())
        return {};
    if (const TDataInfo* ghost = Ghost(index))
        return GhostData(*ghost, index.column(), role);
    const TDataInfo* entry = Entry(index);
    if (!entry)
        return {};
    const bool own = role != EntryRole && role != Qt::ForegroundRole;
    if (index.column() == ShareColumn() && own)
        return ShareData(*entry, role);
    if (index.column() == ChangeColumn() && own && role != Qt::ToolTipRole)
        return ChangeData(*entry, false, role);
    switch (role) {
    case Qt::DisplayRole:
        return CellText(*entry, index.column());
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(FColumns[std::size_t(index.column())].Align);
    case Qt::DecorationRole:
        return (index.column() == 0 && FIcon) ? FIcon(*entry) : QVariant();
    case EntryRole:
        return QVariant::fromValue(quintptr(entry));
    case Qt::ToolTipRole:
        return entry->NotScanned() ? QVariant(NotScannedText(*entry)) : QVariant();
    case Qt::ForegroundRole:
        return entry->NotScanned() ? FNotScannedForeground : QVariant();
    default:
        return {};
    }
}

QVariant TEntryModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && section == ShareColumn() && role == Qt::DisplayRole)
        return QStringLiteral("% of Parent");
    if (orientation == Qt::Horizontal && section == ChangeColumn()) {
        if (role == Qt::DisplayRole)
            return QStringLiteral("Change");
        if (role == Qt::TextAlignmentRole)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    }
    if (orientation != Qt::Horizontal || section < 0 || section >= int(FColumns.size()))
        return {};
    if (role == Qt::DisplayRole)
        return FColumns[std::size_t(section)].Caption;
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(FColumns[std::size_t(section)].Align);
    return {};
}

bool TEntryModel::Before(const TDataInfo& a, const TDataInfo& b, int column,
                         Qt::SortOrder order) const {
    // Folders come first in both directions.
    if (a.IsFolder() != b.IsFolder())
        return a.IsFolder();
    if (column == ShareColumn()) // siblings share a parent: their sizes give the order
        return order == Qt::AscendingOrder ? a.Size() < b.Size() : b.Size() < a.Size();
    if (column == ChangeColumn()) {
        const std::int64_t x = FCompare->GrowthOf(a), y = FCompare->GrowthOf(b);
        return order == Qt::AscendingOrder ? x < y : y < x;
    }
    const int c = FFolderTree ? FolderCompare(a, b, column) : EntryCompare(a, b, column);
    return order == Qt::AscendingOrder ? c < 0 : c > 0;
}

// ---- TEntryListModel -----------------------------------------------------------------------

void TEntryListModel::Fill(TDataInfo* start, const TDataFilter* filter) {
    TEntryRows rows;
    for (TDataInfo* e = start; e; e = NextInPreOrder(e, start))
        if (MatchesFilter(*e, filter))
            rows.push_back(e);
    SetRows(std::move(rows));
}

std::vector<std::uint32_t> TEntryListModel::RowOrder(const TEntryRows& rows, int column,
                                                     Qt::SortOrder order) const {
    if (column != ChangeColumn())
        return SortedRowPositions(rows, column, order, IsFolderTree());
    const TScanCompare& compare = *Comparison();
    return SortedRowPositions(
        rows, [&compare](const TDataInfo& e) { return compare.GrowthOf(e); }, order);
}

// Ghost rows are few: a comparison sort of their own, after the same rules.
std::vector<std::uint32_t> TEntryListModel::GhostOrder(int column, Qt::SortOrder order) const {
    std::vector<std::uint32_t> positions(FGhosts.size());
    for (std::size_t i = 0; i < positions.size(); ++i)
        positions[i] = std::uint32_t(i);
    std::stable_sort(positions.begin(), positions.end(), [&](std::uint32_t x, std::uint32_t y) {
        return Before(*FGhosts[x], *FGhosts[y], column, order);
    });
    return positions;
}

void TEntryListModel::SetRows(TEntryRows rows, std::vector<const TDataInfo*> ghosts) {
    beginResetModel();
    FGhosts = Comparison() ? std::move(ghosts) : std::vector<const TDataInfo*>();
    // Sorted before the views hear of the rows: one reset, no second layout change.
    if (const TSortState& s = SortState(); s.IsSet() && s.Column < columnCount()) {
        rows = rows.Picked(RowOrder(rows, s.Column, s.Order));
        std::vector<const TDataInfo*> sorted;
        for (const std::uint32_t g : GhostOrder(s.Column, s.Order))
            sorted.push_back(FGhosts[g]);
        FGhosts = std::move(sorted);
    }
    FRows = std::move(rows);
    FChecked.assign(FCheckable ? FRows.size() : 0, false);
    endResetModel();
}

void TEntryListModel::SetCheckable(bool checkable) {
    beginResetModel();
    FCheckable = checkable;
    FChecked.assign(FCheckable ? FRows.size() : 0, false);
    endResetModel();
}

void TEntryListModel::SetChecked(int row, bool checked) {
    setData(index(row, 0), checked ? Qt::Checked : Qt::Unchecked, Qt::CheckStateRole);
}

void TEntryListModel::SetAllChecked(bool checked) {
    if (!FCheckable || FRows.empty())
        return;
    FChecked.assign(FRows.size(), checked);
    emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::CheckStateRole});
}

void TEntryListModel::RemoveRowsAt(std::vector<int> rows) {
    // From the bottom up, so the positions still to remove stay valid.
    std::sort(rows.begin(), rows.end(), std::greater<>());
    for (const int row : rows) {
        beginRemoveRows({}, row, row);
        FRows.erase(std::size_t(row));
        if (FCheckable)
            FChecked.erase(FChecked.begin() + row);
        endRemoveRows();
    }
}

QVariant TEntryListModel::data(const QModelIndex& index, int role) const {
    if (role == Qt::CheckStateRole) {
        if (!FCheckable || !index.isValid() || index.column() != 0 ||
            std::size_t(index.row()) >= FChecked.size())
            return {};
        return FChecked[std::size_t(index.row())] ? Qt::Checked : Qt::Unchecked;
    }
    return TEntryModel::data(index, role);
}

bool TEntryListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::CheckStateRole || !FCheckable || !index.isValid() || index.column() != 0 ||
        std::size_t(index.row()) >= FChecked.size())
        return false;
    FChecked[std::size_t(index.row())] = value.toInt() == Qt::Checked;
    emit dataChanged(index, index, {Qt::CheckStateRole});
    return true;
}

Qt::ItemFlags TEntryListModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = TEntryModel::flags(index);
    if (FCheckable && index.isValid() && index.column() == 0 &&
        std::size_t(index.row()) < FChecked.size())
        f |= Qt::ItemIsUserCheckable;
    return f;
}

void TEntryListModel::Clear() {
    SetRows(TEntryRows());
}

TDataInfo* TEntryListModel::Entry(const QModelIndex& index) const {
    if (!index.isValid() || index.model() != this)
        return nullptr;
    return EntryAt(index.row());
}

const TDataInfo* TEntryListModel::Ghost(const QModelIndex& index) const {
    if (!index.isValid() || index.model() != this || std::size_t(index.row()) < FRows.size())
        return nullptr;
    return FGhosts[std::size_t(index.row()) - FRows.size()];
}

void TEntryListModel::SortRows(int column, Qt::SortOrder order) {
    const std::vector<std::uint32_t> positions = RowOrder(FRows, column, order);
    const std::vector<std::uint32_t> ghostPositions = GhostOrder(column, order);
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const std::size_t current = FRows.size();
    std::vector<std::uint32_t> newRowOf(current + FGhosts.size());
    std::vector<const TDataInfo*> ghosts(FGhosts.size());
    for (std::size_t i = 0; i < ghostPositions.size(); ++i) {
        newRowOf[current + ghostPositions[i]] = std::uint32_t(current + i);
        ghosts[i] = FGhosts[ghostPositions[i]];
    }
    FGhosts = std::move(ghosts);
    std::vector<bool> checked(FChecked.size());
    for (std::size_t i = 0; i < positions.size(); ++i) {
        newRowOf[positions[i]] = std::uint32_t(i);
        if (FCheckable)
            checked[i] = FChecked[positions[i]];
    }
    FRows = FRows.Picked(positions);
    FChecked = std::move(checked);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& old : before)
        after.append(createIndex(int(newRowOf[std::size_t(old.row())]), old.column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

QModelIndex TEntryListModel::index(int row, int column, const QModelIndex& parent) const {
    if (parent.isValid() || row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
        return {};
    return createIndex(row, column);
}

QModelIndex TEntryListModel::parent(const QModelIndex&) const {
    return {};
}

int TEntryListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(FRows.size() + FGhosts.size());
}

// ---- TEntryTreeModel -----------------------------------------------------------------------

// The display order of one parent's shown children: made when first asked for, only for
// parents that hide some children or are sorted.
struct TEntryTreeModel::TOrder {
    std::vector<std::uint32_t> Rows;  // child positions in display order
    std::vector<std::uint32_t> RowOf; // display row by child position, Hidden if not shown
};

struct TEntryTreeModel::TOrders {
    std::unordered_map<const TDataInfo*, TOrder> ByParent;
    TSortState Applied; // the order the rows stand in; unset: the scan's order
    qsizetype Total = 0;
};

TEntryTreeModel::TEntryTreeModel(QObject* parent) : TEntryModel(parent) {}
TEntryTreeModel::~TEntryTreeModel() = default;

bool TEntryTreeModel::Shows(const TDataInfo& entry) const {
    return FKind == EKind::AllEntries || entry.IsFolder();
}

void TEntryTreeModel::Fill(TDataInfo* start, EKind kind) {
    beginResetModel();
    FStart = start;
    FKind = kind;
    FOrders = std::make_unique<TOrders>();
    for (TDataInfo* e = start; e; e = NextInPreOrder(e, start))
        FOrders->Total += Shows(*e) ? 1 : 0;
    endResetModel();
}

void TEntryTreeModel::Clear() {
    beginResetModel();
    FStart = nullptr;
    FOrders.reset();
    endResetModel();
}

// The stored orders include the ghost rows of the comparison that goes.
void TEntryTreeModel::ComparisonChanging() {
    if (FOrders)
        FOrders->ByParent.clear();
}

std::unique_ptr<TEntryTreeModel> TEntryTreeModel::Copy() const {
    auto copy = std::make_unique<TEntryTreeModel>();
    copy->SetColumns(Columns(), IsFolderTree());
    // The same column numbers, so a sort by the change column stays one in the copy.
    copy->SetShareColumn(ShareColumn() >= 0);
    copy->SetComparison(Comparison());
    if (!FStart)
        return copy;
    // Fill() would count the rows again; the count is the same.
    copy->FStart = FStart;
    copy->FKind = FKind;
    copy->FOrders = std::make_unique<TOrders>();
    copy->FOrders->Total = FOrders->Total;
    copy->FOrders->Applied = FOrders->Applied;
    return copy;
}

qsizetype TEntryTreeModel::TotalRowCount() const {
    return FOrders ? FOrders->Total : 0;
}

// Ghost rows follow a parent's children: child position Count() + i is the folder's
// removed entry i.
const TEntryTreeModel::TOrder& TEntryTreeModel::OrderOf(const TDataInfo* parent) const {
    auto [it, made] = FOrders->ByParent.try_emplace(parent);
    TOrder& order = it->second;
    if (!made)
        return order;
    const TDataList children = parent->Children();
    const std::span<const TDataInfo* const> ghosts = GhostsIn(*parent);
    const std::uint32_t count = children.Count();
    const auto at = [&](std::uint32_t i) -> const TDataInfo& {
        return i < count ? children.begin()[i] : *ghosts[i - count];
    };
    const auto all = std::uint32_t(count + ghosts.size());
    for (std::uint32_t i = 0; i < all; ++i)
        if (Shows(at(i)))
            order.Rows.push_back(i);
    if (const TSortState& s = FOrders->Applied; s.IsSet())
        std::stable_sort(order.Rows.begin(), order.Rows.end(),
                         [&](std::uint32_t x, std::uint32_t y) {
                             return Before(at(x), at(y), s.Column, s.Order);
                         });
    order.RowOf.assign(all, Hidden);
    for (std::size_t r = 0; r < order.Rows.size(); ++r)
        order.RowOf[order.Rows[r]] = std::uint32_t(r);
    return order;
}

// Parents whose children all show in scan order need no stored order.
bool TEntryTreeModel::InScanOrder() const {
    return FKind == EKind::AllEntries && !FOrders->Applied.IsSet();
}

const TDataInfo* TEntryTreeModel::ChildAt(const TDataInfo* parent, int row) const {
    const auto position =
        InScanOrder() ? std::uint32_t(row) : OrderOf(parent).Rows[std::size_t(row)];
    const std::uint32_t count = parent->Children().Count();
    return position < count ? parent->Children().begin() + position
                            : GhostsIn(*parent)[position - count];
}

int TEntryTreeModel::RowOf(const TDataInfo* item) const {
    if (item == FStart)
        return 0;
    const TDataInfo* parent = item->Parent();
    std::uint32_t position = item->Row();
    if (const TDataInfo* above = Comparison() ? Comparison()->GhostParent(*item) : nullptr) {
        // Only a re-sort asks for a ghost's row: a search among its few siblings is enough.
        const std::span<const TDataInfo* const> ghosts = GhostsIn(*above);
        parent = above;
        position = std::uint32_t(
            above->Children().Count() +
            std::size_t(std::find(ghosts.begin(), ghosts.end(), item) - ghosts.begin()));
    }
    if (InScanOrder())
        return int(position);
    const std::uint32_t row = OrderOf(parent).RowOf[position];
    return row == Hidden ? -1 : int(row);
}

const TDataInfo* TEntryTreeModel::Item(const QModelIndex& index) {
    return static_cast<const TDataInfo*>(index.internalPointer());
}

TDataInfo* TEntryTreeModel::Entry(const QModelIndex& index) const {
    if (!index.isValid() || index.model() != this || IsGhost(*Item(index)))
        return nullptr;
    return const_cast<TDataInfo*>(Item(index));
}

const TDataInfo* TEntryTreeModel::Ghost(const QModelIndex& index) const {
    if (!index.isValid() || index.model() != this || !IsGhost(*Item(index)))
        return nullptr;
    return Item(index);
}

QModelIndex TEntryTreeModel::IndexOf(const TDataInfo* entry) const {
    if (!FStart || !entry)
        return {};
    for (const TDataInfo* up = entry; up; up = up->Parent()) {
        if (up == FStart) {
            const int row = RowOf(entry);
            return (row < 0 || !Shows(*entry)) ? QModelIndex()
                                               : createIndex(row, 0, const_cast<TDataInfo*>(entry));
        }
    }
    return {};
}

void TEntryTreeModel::SortRows(int column, Qt::SortOrder order) {
    if (!FStart)
        return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    FOrders->ByParent.clear();
    FOrders->Applied = {column, order};
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& old : before)
        after.append(createIndex(RowOf(Item(old)), old.column(), old.internalPointer()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

QModelIndex TEntryTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (row < 0 || column < 0 || column >= columnCount() || row >= rowCount(parent))
        return {};
    if (!parent.isValid())
        return createIndex(row, column, FStart);
    return createIndex(row, column, const_cast<TDataInfo*>(ChildAt(Item(parent), row)));
}

QModelIndex TEntryTreeModel::parent(const QModelIndex& child) const {
    if (!child.isValid() || Item(child) == FStart)
        return {};
    const TDataInfo* item = Item(child);
    const TDataInfo* ghostParent = Comparison() ? Comparison()->GhostParent(*item) : nullptr;
    const TDataInfo* up = ghostParent ? ghostParent : item->Parent();
    return createIndex(RowOf(up), 0, const_cast<TDataInfo*>(up));
}

int TEntryTreeModel::rowCount(const QModelIndex& parent) const {
    if (!FStart)
        return 0;
    if (!parent.isValid())
        return 1;
    if (parent.column() > 0)
        return 0;
    const TDataInfo* entry = Entry(parent); // a ghost row has none
    if (!entry || !entry->IsFolder())
        return 0;
    if (InScanOrder())
        return int(entry->Children().Count() + GhostsIn(*entry).size());
    return int(OrderOf(entry).Rows.size());
}

bool TEntryTreeModel::hasChildren(const QModelIndex& parent) const {
    return rowCount(parent) > 0;
}

} // namespace quorvex
