#include "uNotScannedModel.h"

#include "uDataInfo.h"
#include "uEntryColumns.h"
#include "uEntryModels.h"
#include "uEntrySort.h"

#include <algorithm>
#include <numeric>

namespace quorvex {

void TNotScannedModel::Fill(TDataInfo* start) {
    TEntryRows rows;
    for (TDataInfo* e = start; e; e = NextInPreOrder(e, start))
        if (e->NotScanned())
            rows.push_back(e);
    SetRows(std::move(rows));
}

void TNotScannedModel::SetRows(TEntryRows rows) {
    beginResetModel();
    FRows = std::move(rows);
    endResetModel();
}

void TNotScannedModel::SortRows(int column, Qt::SortOrder order) {
    std::vector<std::uint32_t> positions;
    if (column == ncReason) {
        // Reasons in the order of their texts, paths in scan order within one reason.
        positions.resize(FRows.size());
        std::iota(positions.begin(), positions.end(), 0u);
        const auto text = [this](std::uint32_t p) {
            return std::string_view(ScanProblemText(FRows[p]->ScanProblem()));
        };
        std::stable_sort(positions.begin(), positions.end(), [&](std::uint32_t a, std::uint32_t b) {
            return order == Qt::AscendingOrder ? text(a) < text(b) : text(b) < text(a);
        });
    } else {
        positions = SortedRowPositions(FRows, ecFullPath, order, false);
    }
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<std::uint32_t> newRowOf(FRows.size());
    for (std::size_t i = 0; i < positions.size(); ++i)
        newRowOf[positions[i]] = std::uint32_t(i);
    FRows = FRows.Picked(positions);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    for (const QModelIndex& old : before)
        after.append(createIndex(int(newRowOf[std::size_t(old.row())]), old.column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

QModelIndex TNotScannedModel::index(int row, int column, const QModelIndex& parent) const {
    if (parent.isValid() || row < 0 || row >= int(FRows.size()) || column < 0 ||
        column >= ColumnCount)
        return {};
    return createIndex(row, column);
}

QModelIndex TNotScannedModel::parent(const QModelIndex&) const {
    return {};
}

int TNotScannedModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(FRows.size());
}

int TNotScannedModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TNotScannedModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.model() != this)
        return {};
    const TDataInfo& entry = *FRows[std::size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return index.column() == ncFullPath
                   ? DisplayText(entry.FullPath())
                   : QString::fromLatin1(ScanProblemText(entry.ScanProblem()));
    case Qt::ToolTipRole:
        return NotScannedText(entry);
    case EntryRole:
        return QVariant::fromValue(quintptr(&entry));
    default:
        return {};
    }
}

QVariant TNotScannedModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case ncFullPath:
        return QStringLiteral("Full Path");
    case ncReason:
        return QStringLiteral("Reason");
    default:
        return {};
    }
}

} // namespace quorvex
