#include "uRangeGrid.h"

#include <algorithm>

namespace quorvex {

TRangeGridModel::TRangeGridModel(QObject* parent) : QAbstractTableModel(parent), FRows(1) {}

bool TRangeGridModel::IsEmptyRow(int row) const {
    return Row(row).Caption.isEmpty() && Row(row).Value.isEmpty();
}

QString TRangeGridModel::CaptionError(int row, const QString& caption) const {
    if (caption.contains(u'='))
        return QStringLiteral("Key may not contain equals sign (\"=\")");
    if (caption.isEmpty())
        return {};
    for (int other = 0; other < RowCount(); ++other)
        if (other != row && Row(other).Caption == caption)
            return QStringLiteral("A key with the name of \"%1\" already exists").arg(caption);
    return {};
}

QString TRangeGridModel::SetCaption(int row, const QString& caption) {
    QString error = CaptionError(row, caption);
    if (error.isEmpty() && Row(row).Caption != caption) {
        FRows[std::size_t(row)].Caption = caption;
        CellChanged(row, 0);
    }
    return error;
}

void TRangeGridModel::SetValue(int row, const QString& value) {
    if (Row(row).Value == value)
        return;
    FRows[std::size_t(row)].Value = value;
    CellChanged(row, 1);
}

QString TRangeGridModel::SetRow(int row, const TRangeRow& content) {
    QString error = CaptionError(row, content.Caption);
    if (!error.isEmpty())
        return error;
    FRows[std::size_t(row)] = content;
    // Both cells on their own: an open cell editor follows only a single-cell change.
    CellChanged(row, 0);
    CellChanged(row, 1);
    return {};
}

QString TRangeGridModel::PutRow(int row, const TRangeRow& content) {
    if (row >= 0 && row < RowCount() && IsEmptyRow(row))
        return SetRow(row, content);
    QString error = CaptionError(-1, content.Caption);
    if (!error.isEmpty())
        return error;
    beginInsertRows({}, RowCount(), RowCount());
    FRows.push_back(content);
    endInsertRows();
    return {};
}

void TRangeGridModel::Clear() {
    beginResetModel();
    FRows.assign(1, TRangeRow{});
    endResetModel();
}

void TRangeGridModel::InsertEmptyRow(int row) {
    beginInsertRows({}, row, row);
    FRows.insert(FRows.begin() + row, TRangeRow{});
    endInsertRows();
}

void TRangeGridModel::DeleteRow(int row) {
    if (RowCount() == 1) { // the last row becomes the empty row of an empty grid
        SetRow(0, {});
        return;
    }
    beginRemoveRows({}, row, row);
    FRows.erase(FRows.begin() + row);
    endRemoveRows();
}

void TRangeGridModel::MoveRow(int from, int to) {
    if (from == to)
        return;
    // A move down names the row below the target as the destination.
    beginMoveRows({}, from, from, {}, to > from ? to + 1 : to);
    const auto first = FRows.begin();
    if (from < to)
        std::rotate(first + from, first + from + 1, first + to + 1);
    else
        std::rotate(first + to, first + from, first + from + 1);
    endMoveRows();
}

int TRangeGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : RowCount();
}

int TRangeGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 2;
}

QVariant TRangeGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    const TRangeRow& row = Row(index.row());
    return index.column() == 0 ? row.Caption : row.Value;
}

bool TRangeGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    if (index.column() == 1) {
        SetValue(index.row(), value.toString());
        return true;
    }
    const QString error = SetCaption(index.row(), value.toString());
    if (!error.isEmpty())
        emit Refused(error);
    return error.isEmpty();
}

Qt::ItemFlags TRangeGridModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable
                           : Qt::NoItemFlags;
}

QVariant TRangeGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return section == 0 ? QStringLiteral("Caption") : QStringLiteral("Value");
}

void TRangeGridModel::CellChanged(int row, int column) {
    const QModelIndex cell = index(row, column);
    emit dataChanged(cell, cell);
}

} // namespace quorvex
