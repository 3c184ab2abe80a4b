#pragma once

#include "uEntryColumns.h"
#include "uEntryRows.h"
#include "uSortableModel.h"

#include <QVariant>
#include <functional>
#include <memory>
#include <span>
#include <vector>

namespace quorvex {

class TDataInfo;
class TScanCompare;
struct TDataFilter;

/// Role that gives a row's entry as a pointer (`quintptr`), for views and exporters.
inline constexpr int EntryRole = Qt::UserRole + 1;

/// Role of the share column: the entry's part of its parent's size, 0..1 (a double).
inline constexpr int ShareRole = Qt::UserRole + 2;

/// Role of the change column: the row's growth against the saved scan, signed bytes (a
/// qint64; a removed entry's is minus its size), for the window to colour the cell.
inline constexpr int ChangeRole = Qt::UserRole + 3;

/// The icon of a row's first column, made by the window layer (the views know no icons).
using TEntryIconProvider = std::function<QVariant(const TDataInfo&)>;

/// Base of every list of entries: columns, cell texts, icons. Each row references one entry
/// of the engine; every text, icon and comparison is made on demand.
class TEntryModel : public TSortableModel {
    Q_OBJECT
public:
    using TSortableModel::TSortableModel;

    /// Entry-list columns (from the configuration), or, with `folderTree`, the two columns of
    /// the folder tree with their texts and comparisons. Resets the model.
    void SetColumns(std::vector<TEntryColumn> columns, bool folderTree = false);
    const std::vector<TEntryColumn>& Columns() const { return FColumns; }
    bool IsFolderTree() const { return FFolderTree; }
    /// Adds (or takes away) a column after the configured ones with each entry's share of
    /// its parent: a view of its own, never part of the configuration or of the exports.
    void SetShareColumn(bool shown);
    /// The index of the share column; -1 when there is none.
    int ShareColumn() const { return FShare ? int(FColumns.size()) : -1; }

    /// Shows the rows against a saved scan (nullptr: not comparing), which must outlive
    /// its use here. While set, a "Change" column follows the others (a view of its own,
    /// like the share column) with each row's growth: "+1.00 KB", "-3.00 KB", "0.00 B";
    /// an added entry's reads "+1.00 KB new", a removed one's "-3.00 KB removed". Removed
    /// entries are ghost rows: greyed, never expandable, and Entry() gives nullptr for
    /// them, so no action can reach an entry of the saved scan. Resets the model.
    void SetComparison(const TScanCompare* compare);
    const TScanCompare* Comparison() const { return FCompare; }
    /// The index of the change column; -1 while not comparing.
    int ChangeColumn() const { return FCompare ? int(FColumns.size()) + (FShare ? 1 : 0) : -1; }
    /// The text colour of ghost rows (made by the window layer, like the not-scanned one).
    void SetGhostForeground(const QVariant& colour) { FGhostForeground = colour; }

    void SetIconProvider(TEntryIconProvider provider) { FIcon = std::move(provider); }
    /// The text colour (a QColor or QBrush, made by the window layer) of folders the scan
    /// did not read completely; they also carry the reason as their tool tip.
    void SetNotScannedForeground(const QVariant& colour) { FNotScannedForeground = colour; }

    /// The entry of a row; nullptr for an invalid index and for a ghost row.
    virtual TDataInfo* Entry(const QModelIndex& index) const = 0;
    /// The saved scan's entry of a ghost row; nullptr for every other row.
    virtual const TDataInfo* Ghost(const QModelIndex& index) const = 0;

    /// Removes every row (before the engine discards the entries).
    virtual void Clear() = 0;

    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

protected:
    QString CellText(const TDataInfo& entry, int column) const;
    /// Folders first in both directions, then the column's comparison in `order`.
    bool Before(const TDataInfo& a, const TDataInfo& b, int column, Qt::SortOrder order) const;
    /// The removed entries shown below `folder`: none while not comparing.
    std::span<const TDataInfo* const> GhostsIn(const TDataInfo& folder) const;
    /// Whether `item` (a row's entry) is a ghost row's.
    bool IsGhost(const TDataInfo& item) const;
    /// Drops rows that came with the comparison, inside SetComparison's reset.
    virtual void ComparisonChanging() {}

private:
    QVariant ShareData(const TDataInfo& entry, int role) const;
    QVariant ChangeData(const TDataInfo& item, bool ghost, int role) const;
    QVariant GhostData(const TDataInfo& ghost, int column, int role) const;

    std::vector<TEntryColumn> FColumns;
    bool FFolderTree = false;
    bool FShare = false;
    TEntryIconProvider FIcon;
    QVariant FNotScannedForeground;
    QVariant FGhostForeground;
    const TScanCompare* FCompare = nullptr;
};

/// A flat list: every row at the top level, one 32-bit entry reference per row.
class TEntryListModel : public TEntryModel {
    Q_OBJECT
public:
    using TEntryModel::TEntryModel;

    /// `start` and its subtree in pre-order, keeping what `filter` accepts (nullptr: all).
    void Fill(TDataInfo* start, const TDataFilter* filter);
    /// Exactly these rows: in this order, or in the header's sort order when one is set.
    /// `ghosts` (removed entries of the saved scan) follow the rows, sorted among
    /// themselves; they are kept apart since a base entry may lie too far from the rows.
    void SetRows(TEntryRows rows, std::vector<const TDataInfo*> ghosts = {});
    void SetRows(const std::vector<TDataInfo*>& rows) { SetRows(TEntryRows(rows)); }
    void Clear() override;

    /// The entry of a row; nullptr for a ghost row.
    TDataInfo* EntryAt(int row) const {
        return std::size_t(row) < FRows.size() ? FRows[std::size_t(row)] : nullptr;
    }

    /// The name of the report the list holds ("Empty Files Report"); empty for a view.
    const QString& Title() const { return FTitle; }
    void SetTitle(QString title) { FTitle = std::move(title); }
    /// How far the rows can be trusted, when the report depends on something the scan
    /// cannot vouch for (access times); empty for most reports.
    const QString& Note() const { return FNote; }
    void SetNote(QString note) { FNote = std::move(note); }

    /// Rows with a two-state check box in the first column, unchecked when filled.
    void SetCheckable(bool checkable);
    bool IsChecked(int row) const { return FCheckable && FChecked[std::size_t(row)]; }
    void SetChecked(int row, bool checked);
    /// Sets every row at once (one change notification, not one per row).
    void SetAllChecked(bool checked);
    /// Removes the rows at the given positions.
    void RemoveRowsAt(std::vector<int> rows);
    TDataInfo* Entry(const QModelIndex& index) const override;
    const TDataInfo* Ghost(const QModelIndex& index) const override;
    /// The current entries' rows; ghost rows are not among them.
    const TEntryRows& Rows() const { return FRows; }

    void SortRows(int column, Qt::SortOrder order) override;
    /// The current entries' rows only: summaries count no ghost row.
    qsizetype TotalRowCount() const override { return qsizetype(FRows.size()); }

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

protected:
    void ComparisonChanging() override { FGhosts.clear(); }

private:
    std::vector<std::uint32_t> RowOrder(const TEntryRows& rows, int column,
                                        Qt::SortOrder order) const;
    std::vector<std::uint32_t> GhostOrder(int column, Qt::SortOrder order) const;

    TEntryRows FRows;
    std::vector<const TDataInfo*> FGhosts; // after the rows
    QString FTitle;
    QString FNote;
    bool FCheckable = false;
    std::vector<bool> FChecked; // one bit per row, only for checkable lists
};

/// A nested list over the engine's tree: the start entry as the single top row and, below
/// every row, its children (all of them, or only folders). Rows are the engine's entries
/// themselves; only a sorted parent keeps an order of its children.
class TEntryTreeModel : public TEntryModel {
    Q_OBJECT
public:
    enum class EKind { AllEntries, FoldersOnly };

    explicit TEntryTreeModel(QObject* parent = nullptr);
    ~TEntryTreeModel() override;

    void Fill(TDataInfo* start, EKind kind);
    void Clear() override;
    TDataInfo* Start() const { return FStart; }

    TDataInfo* Entry(const QModelIndex& index) const override;
    const TDataInfo* Ghost(const QModelIndex& index) const override;
    /// The index of `entry`'s row (column 0); invalid when it has no row.
    QModelIndex IndexOf(const TDataInfo* entry) const;

    void SortRows(int column, Qt::SortOrder order) override;
    /// The current entries' rows only: summaries count no ghost row.
    qsizetype TotalRowCount() const override;

    /// A model of its own over the same start, kind, columns and sort, never shown. The
    /// sort orders are made as rows are read, so two threads must not read one model: a
    /// reader on another thread walks a copy while the views paint this one.
    std::unique_ptr<TEntryTreeModel> Copy() const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;

protected:
    void ComparisonChanging() override;

private:
    struct TOrder;
    const TOrder& OrderOf(const TDataInfo* parent) const;
    const TDataInfo* ChildAt(const TDataInfo* parent, int row) const;
    int RowOf(const TDataInfo* item) const;
    /// A row's entry, a ghost row's included.
    static const TDataInfo* Item(const QModelIndex& index);
    bool Shows(const TDataInfo& entry) const;
    bool InScanOrder() const;

    TDataInfo* FStart = nullptr;
    EKind FKind = EKind::AllEntries;
    struct TOrders;
    std::unique_ptr<TOrders> FOrders;
};

} // namespace quorvex
