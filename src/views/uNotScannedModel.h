#pragma once

#include "uEntryRows.h"
#include "uSortableModel.h"

namespace quorvex {

class TDataInfo;

/// The folders the scan could not read completely, with the reason: the "Not Scanned" list.
/// Two columns, the full path and the reason ("other volume", "permission denied", ...);
/// one 32-bit entry reference per row, texts made on demand.
class TNotScannedModel : public TSortableModel {
    Q_OBJECT
public:
    enum EColumn { ncFullPath, ncReason, ColumnCount };

    using TSortableModel::TSortableModel;

    /// The folders of `start`'s subtree (`start` included) that are not scanned, in pre-order.
    void Fill(TDataInfo* start);
    void SetRows(TEntryRows rows);
    void Clear() { SetRows(TEntryRows()); }
    TDataInfo* EntryAt(int row) const { return FRows[std::size_t(row)]; }

    void SortRows(int column, Qt::SortOrder order) override;
    qsizetype TotalRowCount() const override { return qsizetype(FRows.size()); }

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    TEntryRows FRows;
};

} // namespace quorvex
