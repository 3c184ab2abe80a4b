#pragma once

#include <QAbstractTableModel>
#include <QPersistentModelIndex>
#include <QStyledItemDelegate>
#include <QTableView>
#include <vector>

class QKeyEvent;

namespace quorvex {

/// One grid row: a group's caption and its bound as the user typed it.
struct TRangeRow {
    QString Caption;
    QString Value;
};

/// The rows of a caption/value grid below its title row. Captions are unique (empty captions
/// aside) and contain no "="; a change that would break that is refused with its message and
/// leaves the rows as they were. An empty grid holds one empty row, never none.
class TRangeGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TRangeGridModel(QObject* parent = nullptr);

    int RowCount() const { return int(FRows.size()); }
    const TRangeRow& Row(int row) const { return FRows[std::size_t(row)]; }
    const std::vector<TRangeRow>& Rows() const { return FRows; }
    bool IsEmptyRow(int row) const;

    /// The message refusing `caption` for `row` (-1: a row still to be added); empty when
    /// the caption is acceptable.
    QString CaptionError(int row, const QString& caption) const;
    /// Each returns the refusal message, empty on success.
    QString SetCaption(int row, const QString& caption);
    QString SetRow(int row, const TRangeRow& content);
    /// Fills `row` when it exists and is empty, else appends after the last row.
    QString PutRow(int row, const TRangeRow& content);
    void SetValue(int row, const QString& value);

    void Clear();
    void InsertEmptyRow(int row);
    void AppendEmptyRow() { InsertEmptyRow(RowCount()); }
    void DeleteRow(int row);
    void MoveRow(int from, int to);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

signals:
    /// An edit in a cell was refused; the rows are unchanged.
    void Refused(const QString& message);

private:
    void CellChanged(int row, int column);

    std::vector<TRangeRow> FRows;
};

class TRangeGridView;

/// Routes the grid's own keys from an open cell editor to the grid, and lets Tab leave the
/// grid instead of walking its cells.
class TRangeGridDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit TRangeGridDelegate(TRangeGridView& view);

protected:
    bool eventFilter(QObject* editor, QEvent* event) override;

private:
    TRangeGridView& FView;
};

/// The caption/value grid: the cell editor is always open on the current cell; Insert
/// inserts an empty row, Down on the last row appends one, Ctrl+Delete deletes the current
/// row, Esc restores the current row as it was when it became current, and dragging a row
/// with the left button moves it.
class TRangeGridView : public QTableView {
    Q_OBJECT
public:
    TRangeGridView(TRangeGridModel& model, QWidget* parent);

    /// Handles a grid key; false when `key` is none of them.
    bool GridKey(const QKeyEvent& key);
    /// Deletes `row`; the row now at its place (the one above when it was the last) becomes
    /// current, then RowDeleted is emitted.
    void DeleteRow(int row);

signals:
    void RowDeleted();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    void RestoreCurrentRow();
    void ReopenEditorLater();
    void DragTo(int y);

    TRangeGridModel& FModel;
    QPersistentModelIndex FBackupRow; ///< the row Esc restores, and its content on entry
    TRangeRow FBackup;
    int FDragRow = -1;
    int FPressY = 0;
    bool FDragging = false;
};

} // namespace quorvex
