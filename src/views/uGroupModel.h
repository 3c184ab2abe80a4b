#pragma once

#include "uEntryColumns.h"
#include "uSortableModel.h"

#include <QVariant>
#include <functional>
#include <vector>

namespace quorvex {

class TSumInfo;
class TSumList;

/// A group table: one row per sum of the current folder, columns "Group", "Total Size" and
/// "Files Count". Rows reference the engine's sums.
class TGroupModel : public TSortableModel {
    Q_OBJECT
public:
    explicit TGroupModel(QObject* parent = nullptr);

    void Fill(const TSumList& sums);
    void Clear();
    const TSumInfo* Sum(int row) const { return FRows[std::size_t(row)]; }
    const std::vector<const TSumInfo*>& Rows() const { return FRows; }

    /// Icon of column 0 (the group image); none when not set.
    void SetIcon(QVariant icon) { FIcon = std::move(icon); }

    void SortRows(int column, Qt::SortOrder order) override;
    qsizetype TotalRowCount() const override { return qsizetype(FRows.size()); }

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    /// "Group" (200, left), "Total Size" (100, right), "Files Count" (100, right).
    static std::vector<TEntryColumn> Columns();

    /// The cell text of a sum at a column (also used by the charts' labels and exports).
    static QString CellText(const TSumInfo& sum, int column);

private:
    std::vector<const TSumInfo*> FRows;
    QVariant FIcon;
};

} // namespace quorvex
