#pragma once

#include "uSortableModel.h"

#include <QStringList>
#include <utility>
#include <vector>

namespace quorvex {

class TDataInfo;
class TScanCompare;

/// Role that gives a row's kind of change as an int (EChangeKind).
inline constexpr int ChangeKindRole = Qt::UserRole + 3;

/// The changes list of a comparison: one row per entry of TScanCompare::Changes(), one
/// pointer each; every text is made on demand. A removed row is a base entry, so EntryRole
/// gives 0 for it: no action of the window can reach the base tree.
///
/// Without a header sort the rows answer "what filled my disk": added entries and grown
/// files first, largest growth first; then shrunk files and then removed entries, each
/// largest loss first. A header click sorts by one column; Size Change and Size compare
/// the numbers (an added folder ranks with the files, as one item), Path and Type keep the
/// lists' folders-first rule, Change sorts by the kind's text.
///
/// The comparison must outlive the rows: Clear() before it (or either tree) goes.
class TChangesModel : public TSortableModel {
    Q_OBJECT
public:
    enum EColumn { ccChange, ccPath, ccSizeChange, ccSize, ccType, ColumnCount };

    using TSortableModel::TSortableModel;

    /// The changes of `compare` (nullptr: none), in the header's order when one is set.
    void Fill(const TScanCompare* compare);
    void Clear() { Fill(nullptr); }
    const TDataInfo* EntryAt(int row) const { return FRows[std::size_t(row)]; }
    const TScanCompare* Comparison() const { return FCompare; }

    /// Per kind its count and bytes, then the total change: ("Added", "4 entries, +5.00 KB")
    /// ... ("Total Change", "+5.00 KB( +5120 Byte)"); nothing without a comparison.
    std::vector<std::pair<QString, QString>> Totals() const;
    /// The same as lines: "Added: 4 entries, +5.00 KB", ..., "Total Change: ...".
    QStringList TotalsLines() const;

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
    QString CellText(const TDataInfo& entry, int column) const;
    std::vector<std::uint32_t> SortedPositions(int column, Qt::SortOrder order) const;
    std::vector<std::uint32_t> DefaultPositions() const;
    void Reorder(const std::vector<std::uint32_t>& positions);

    const TScanCompare* FCompare = nullptr;
    std::vector<const TDataInfo*> FRows;
};

/// The text of a kind of change: "Added", "Removed", "Grown", "Shrunk"; empty for None.
QString ChangeKindText(int kind);

} // namespace quorvex
