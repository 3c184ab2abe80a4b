#pragma once

#include <QAbstractItemModel>

namespace quorvex {

/// What a header shows: the sort column (none until the first click) and the direction.
struct TSortState {
    int Column = -1;
    Qt::SortOrder Order = Qt::AscendingOrder;
    bool IsSet() const { return Column >= 0; }
};

/// A model whose rows a header click can re-order. The sort state belongs to the view's
/// header and survives refills; the view controller sorts every refill by it, so a sort
/// stays in force across folder clicks and rescans until the next header click.
class TSortableModel : public QAbstractItemModel {
    Q_OBJECT
public:
    using QAbstractItemModel::QAbstractItemModel;

    const TSortState& SortState() const { return FSortState; }
    void SetSortState(const TSortState& state) {
        FSortState = state;
        emit SortStateChanged();
    }
    /// Whether a header click sorts this model at all.
    bool Sortable() const { return FSortable; }
    void SetSortable(bool sortable) { FSortable = sortable; }

    /// Re-orders the rows (within each parent) stably by `column` and `order`, keeping the
    /// header's state as it is.
    virtual void SortRows(int column, Qt::SortOrder order) = 0;

    /// Every row at every level.
    virtual qsizetype TotalRowCount() const = 0;

signals:
    void SortStateChanged();

private:
    TSortState FSortState;
    bool FSortable = true;
};

} // namespace quorvex
