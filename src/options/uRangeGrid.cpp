#include "uRangeGrid.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <algorithm>
#include <cstdlib>

namespace quorvex {

TRangeGridDelegate::TRangeGridDelegate(TRangeGridView& view)
    : QStyledItemDelegate(&view), FView(view) {}

bool TRangeGridDelegate::eventFilter(QObject* editor, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        // Not handled here: the editor's focus change commits it and moves on.
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)
            return false;
        if (FView.GridKey(*key))
            return true;
    }
    return QStyledItemDelegate::eventFilter(editor, event);
}

TRangeGridView::TRangeGridView(TRangeGridModel& model, QWidget* parent)
    : QTableView(parent), FModel(model) {
    setModel(&model);
    setItemDelegate(new TRangeGridDelegate(*this));
    setEditTriggers(AllEditTriggers);
    setSelectionMode(SingleSelection);
    setTabKeyNavigation(false);
    setCornerButtonEnabled(false);
    setWordWrap(false);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(20);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
    setColumnWidth(0, 138);
    setColumnWidth(1, 178);
}

bool TRangeGridView::GridKey(const QKeyEvent& key) {
    const Qt::KeyboardModifiers modifiers = key.modifiers() & ~Qt::KeypadModifier;
    const QModelIndex current = currentIndex();
    const int row = current.isValid() ? current.row() : 0;
    const int column = std::max(current.column(), 0);
    switch (key.key()) {
    case Qt::Key_Insert:
        if (modifiers != Qt::NoModifier)
            return false;
        FModel.InsertEmptyRow(row);
        setCurrentIndex(FModel.index(row, column));
        return true;
    case Qt::Key_Down:
        // Only from a filled last row, so holding the key adds one empty row, not many.
        if (modifiers != Qt::NoModifier || row != FModel.RowCount() - 1 || FModel.IsEmptyRow(row))
            return false;
        FModel.AppendEmptyRow();
        setCurrentIndex(FModel.index(row + 1, column));
        return true;
    case Qt::Key_Delete:
        if (modifiers != Qt::ControlModifier)
            return false;
        DeleteRow(row);
        return true;
    case Qt::Key_Escape:
        RestoreCurrentRow();
        return true;
    default:
        return false;
    }
}

void TRangeGridView::DeleteRow(int row) {
    const int column = std::max(currentIndex().column(), 0);
    FModel.DeleteRow(row);
    setCurrentIndex(FModel.index(std::min(row, FModel.RowCount() - 1), column));
    emit RowDeleted();
}

void TRangeGridView::RestoreCurrentRow() {
    if (!FBackupRow.isValid())
        return;
    const QString error = FModel.SetRow(FBackupRow.row(), FBackup);
    if (!error.isEmpty())
        emit FModel.Refused(error);
}

void TRangeGridView::keyPressEvent(QKeyEvent* event) {
    if (GridKey(*event))
        event->accept();
    else
        QTableView::keyPressEvent(event);
}

void TRangeGridView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    if (current.isValid() && (!FBackupRow.isValid() || FBackupRow.row() != current.row())) {
        FBackupRow = FModel.index(current.row(), 0);
        FBackup = FModel.Row(current.row());
    }
}

// The cell editor stays open while the grid has the focus: closing it (Enter, a refused
// edit) opens it again on the current cell.
void TRangeGridView::focusInEvent(QFocusEvent* event) {
    QTableView::focusInEvent(event);
    ReopenEditorLater();
}

void TRangeGridView::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    QTableView::closeEditor(editor, hint);
    ReopenEditorLater();
}

void TRangeGridView::ReopenEditorLater() {
    QTimer::singleShot(0, this, [this] {
        if (hasFocus() && state() != EditingState && currentIndex().isValid())
            edit(currentIndex());
    });
}

void TRangeGridView::mousePressEvent(QMouseEvent* event) {
    const int y = event->position().toPoint().y();
    FDragRow = event->button() == Qt::LeftButton ? rowAt(y) : -1;
    FPressY = y;
    FDragging = false;
    QTableView::mousePressEvent(event);
}

void TRangeGridView::mouseMoveEvent(QMouseEvent* event) {
    if (FDragRow < 0 || !(event->buttons() & Qt::LeftButton))
        return QTableView::mouseMoveEvent(event);
    const int y = event->position().toPoint().y();
    if (!FDragging && std::abs(y - FPressY) < QApplication::startDragDistance())
        return;
    if (!FDragging)
        viewport()->setCursor(Qt::SizeVerCursor);
    FDragging = true;
    DragTo(y);
}

void TRangeGridView::mouseReleaseEvent(QMouseEvent* event) {
    const bool dragged = FDragging;
    FDragRow = -1;
    FDragging = false;
    viewport()->unsetCursor();
    if (!dragged)
        QTableView::mouseReleaseEvent(event);
}

// The dragged row follows the pointer row by row; above or below the rows it goes to the
// first or the last place.
void TRangeGridView::DragTo(int y) {
    int target = rowAt(y);
    if (target < 0)
        target = y < 0 ? 0 : FModel.RowCount() - 1;
    FModel.MoveRow(FDragRow, target);
    FDragRow = target;
}

} // namespace quorvex
