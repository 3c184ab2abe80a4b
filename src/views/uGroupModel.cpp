#include "uGroupModel.h"

#include "uBaseFunction.h"
#include "uDataInfo.h"

#include <algorithm>

namespace quorvex {

namespace {

template <typename T> int Order(const T& a, const T& b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

int CompareSums(const TSumInfo& a, const TSumInfo& b, int column) {
    switch (column) {
    case 0:
        return CompareFoldedText(a.GroupCaption(), b.GroupCaption());
    case 1:
        return Order(a.TotalSize(), b.TotalSize());
    case 2:
        return Order(a.EntryCount(), b.EntryCount());
    default:
        return 0;
    }
}

} // namespace

TGroupModel::TGroupModel(QObject* parent) : TSortableModel(parent) {
    SetSortable(false);
}

std::vector<TEntryColumn> TGroupModel::Columns() {
    const Qt::Alignment left = Qt::AlignLeft | Qt::AlignVCenter;
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    return {{QStringLiteral("Group"), 200, left, 0, true},
            {QStringLiteral("Total Size"), 100, right, 1, true},
            {QStringLiteral("Files Count"), 100, right, 2, true}};
}

namespace {
const std::vector<TEntryColumn>& GroupColumns() {
    static const std::vector<TEntryColumn> columns = TGroupModel::Columns();
    return columns;
}
} // namespace

QString TGroupModel::CellText(const TSumInfo& sum, int column) {
    switch (column) {
    case 0:
        return DisplayText(sum.GroupCaption());
    case 1:
        return QString::fromStdString(FormatSize(double(sum.TotalSize())));
    case 2: // a whole number: no decimals, no thousands separator
        return QString::number(sum.EntryCount());
    default:
        return {};
    }
}

void TGroupModel::Fill(const TSumList& sums) {
    beginResetModel();
    FRows.clear();
    for (const TSumInfo& sum : sums)
        FRows.push_back(&sum);
    endResetModel();
}

void TGroupModel::Clear() {
    beginResetModel();
    FRows.clear();
    endResetModel();
}

void TGroupModel::SortRows(int column, Qt::SortOrder order) {
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<const TSumInfo*> old = FRows;
    std::stable_sort(FRows.begin(), FRows.end(), [&](const TSumInfo* a, const TSumInfo* b) {
        const int c = CompareSums(*a, *b, column);
        return order == Qt::AscendingOrder ? c < 0 : c > 0;
    });
    QModelIndexList after;
    for (const QModelIndex& index : before) {
        const auto row = std::find(FRows.begin(), FRows.end(), old[std::size_t(index.row())]);
        after.append(createIndex(int(row - FRows.begin()), index.column()));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

QModelIndex TGroupModel::index(int row, int column, const QModelIndex& parent) const {
    if (parent.isValid() || row < 0 || row >= int(FRows.size()) || column < 0 || column >= 3)
        return {};
    return createIndex(row, column);
}

QModelIndex TGroupModel::parent(const QModelIndex&) const {
    return {};
}

int TGroupModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(FRows.size());
}

int TGroupModel::columnCount(const QModelIndex&) const {
    return 3;
}

QVariant TGroupModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.model() != this)
        return {};
    const TSumInfo& sum = *FRows[std::size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return CellText(sum, index.column());
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(GroupColumns()[std::size_t(index.column())].Align);
    case Qt::DecorationRole:
        return index.column() == 0 ? FIcon : QVariant();
    default:
        return {};
    }
}

QVariant TGroupModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= 3)
        return {};
    if (role == Qt::DisplayRole)
        return GroupColumns()[std::size_t(section)].Caption;
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(GroupColumns()[std::size_t(section)].Align);
    return {};
}

} // namespace quorvex
