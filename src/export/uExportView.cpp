#include "uExportView.h"

#include "uEntryModels.h"

#include <QAbstractItemModel>
#include <vector>

namespace quorvex {

namespace {

class TModelRow final : public TExportRow {
public:
    TModelRow(const QModelIndex& entry, int depth, const TEntryModel* entries)
        : FEntry(entry), FDepth(depth), FEntries(entries) {}
    int Depth() const override { return FDepth; }
    QString CellText(int column) const override {
        // An entry list's text comes straight from its entry, as its data() makes it: a
        // million-row export then builds no QVariant per cell.
        if (FEntries)
            if (const TDataInfo* entry = FEntries->Entry(FEntry))
                return FEntries->IsFolderTree() ? FolderCellText(*entry, column)
                                                : EntryCellText(*entry, column);
        return FEntry.siblingAtColumn(column).data().toString();
    }

private:
    const QModelIndex& FEntry;
    int FDepth;
    const TEntryModel* FEntries;
};

} // namespace

qsizetype TModelExportView::EntryCount() const {
    if (const auto* sortable = qobject_cast<const TSortableModel*>(&FModel))
        return sortable->TotalRowCount();
    qsizetype count = 0;
    Walk([&count](const TExportRow&) {
        ++count;
        return true;
    });
    return count;
}

int TModelExportView::ColumnCount() const {
    // The share column is the view's own: the reports keep their configured columns.
    if (const auto* entries = qobject_cast<const TEntryModel*>(&FModel))
        return int(entries->Columns().size());
    return FModel.columnCount();
}

QString TModelExportView::Caption(int column) const {
    return FModel.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
}

// Iterative, so a folder tree deeper than the machine stack is still walked. A nested list
// is walked through a copy of its own: an export runs on a worker thread while the views
// paint the original, whose sort orders are made as rows are read.
void TModelExportView::Walk(const TVisit& visit) const {
    std::unique_ptr<TEntryTreeModel> own;
    if (const auto* tree = qobject_cast<const TEntryTreeModel*>(&FModel))
        own = tree->Copy();
    WalkModel(own ? *own : FModel, visit);
}

void TModelExportView::WalkModel(const QAbstractItemModel& model, const TVisit& visit) {
    struct TLevel {
        QModelIndex Parent;
        int Next;
        int Count;
    };
    const auto* entries = qobject_cast<const TEntryModel*>(&model);
    std::vector<TLevel> stack{{QModelIndex(), 0, model.rowCount()}};
    while (!stack.empty()) {
        TLevel& level = stack.back();
        if (level.Next == level.Count) {
            stack.pop_back();
            continue;
        }
        const QModelIndex entry = model.index(level.Next++, 0, level.Parent);
        const int depth = int(stack.size()) - 1;
        if (!visit(TModelRow(entry, depth, entries)))
            return;
        if (const int children = model.rowCount(entry); children > 0)
            stack.push_back({entry, 0, children});
    }
}

} // namespace quorvex
