#include "uEntryMenu.h"

#include "uBaseView.h"
#include "uDataInfo.h"
#include "uEntryColumns.h"
#include "uEntryModels.h"
#include "uRemovalRun.h"
#include "uShell.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QMenu>
#include <QTreeView>
#include <algorithm>
#include <string>

namespace quorvex {

namespace {

// More at once is rather a slip of the mouse than a wish for hundreds of windows.
constexpr std::size_t MostOpenedAtOnce = 10;

TDataInfo* EntryAt(const QTreeView* tree, const QModelIndex& index) {
    const auto* model = qobject_cast<const TEntryModel*>(tree->model());
    return model ? model->Entry(index) : nullptr;
}

// The folder that holds `path`; "/" holds itself.
std::string ContainingFolder(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return path;
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

const struct {
    EEntryAction Action;
    const char* Name;
    const char* Text;
} MenuItems[] = {
    {EEntryAction::Open, "actOpen", "&Open"},
    {EEntryAction::OpenFolder, "actOpenContainingFolder", "Open Containing Fo&lder"},
    {EEntryAction::CopyPath, "actCopyPath", "&Copy Path"},
    {EEntryAction::Trash, "actMoveToTrash", "Move to &Trash"},
    {EEntryAction::Delete, "actDeletePermanently", "&Delete Permanently"},
    {EEntryAction::Refresh, "actRefresh", "&Refresh"},
    {EEntryAction::ShowInTree, "actShowInFolderTree", "Show in &Folder Tree"},
};

} // namespace

TDataInfo* FolderOf(TDataInfo* entry) {
    return entry && !entry->IsFolder() ? entry->Parent() : entry;
}

QString EntryPaths(const std::vector<TDataInfo*>& entries) {
    QStringList lines;
    for (const TDataInfo* entry : entries)
        lines << DisplayText(entry->FullPath());
    return lines.join(QLatin1Char('\n'));
}

TEntryMenu::TEntryMenu(QWidget* owner, const TBaseView& view, QObject* parent)
    : QObject(parent), FOwner(owner), FView(view) {}

bool TEntryMenu::ReadOnly() const {
    return FView.ReadOnly();
}

void TEntryMenu::Attach(QTreeView* tree, bool activate) {
    tree->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(tree, &QWidget::customContextMenuRequested, this, [this, tree](const QPoint& at) {
        // A right-click outside the selection acts on the row under it, as in file managers.
        const QModelIndex under = tree->indexAt(at);
        if (under.isValid() && !tree->selectionModel()->isRowSelected(under.row(), under.parent()))
            tree->selectionModel()->setCurrentIndex(under, QItemSelectionModel::ClearAndSelect |
                                                               QItemSelectionModel::Rows);
        const std::unique_ptr<QMenu> menu = MenuFor(tree);
        menu->exec(tree->viewport()->mapToGlobal(at));
    });
    AddKey(tree, "actCopyPaths", QKeySequence::Copy, EEntryAction::CopyPath);
    if (!activate)
        return;
    tree->setSelectionMode(QAbstractItemView::ExtendedSelection);
    connect(tree, &QAbstractItemView::doubleClicked, this,
            [this, tree](const QModelIndex& index) { Activate(EntryAt(tree, index)); });
}

// A view shortcut, so the focused view acts on its own rows.
void TEntryMenu::AddKey(QTreeView* tree, const char* name, const QKeySequence& key,
                        EEntryAction action) {
    auto* shortcut = new QAction(tree);
    shortcut->setObjectName(QLatin1String(name));
    shortcut->setShortcut(key);
    shortcut->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    tree->addAction(shortcut);
    connect(shortcut, &QAction::triggered, this,
            [this, tree, action] { Run(action, SelectedEntries(tree)); });
}

void TEntryMenu::AddRemovalKeys(QTreeView* tree) {
    AddKey(tree, "actTrashKey", QKeySequence::Delete, EEntryAction::Trash);
    AddKey(tree, "actDeleteKey", QKeySequence(Qt::SHIFT | Qt::Key_Delete), EEntryAction::Delete);
}

void TEntryMenu::ShareHandlers(const TEntryMenu& main) {
    Handlers = main.Handlers;
    ShowInTree = main.ShowInTree;
}

std::vector<TDataInfo*> TEntryMenu::SelectedEntries(const QTreeView* tree) {
    std::vector<TDataInfo*> entries;
    if (const QItemSelectionModel* selection = tree->selectionModel())
        for (const QModelIndex& index : selection->selectedRows(0))
            if (TDataInfo* entry = EntryAt(tree, index))
                entries.push_back(entry);
    if (entries.empty())
        if (TDataInfo* current = EntryAt(tree, tree->currentIndex()))
            entries.push_back(current);
    return entries;
}

std::unique_ptr<QMenu> TEntryMenu::MenuFor(QTreeView* tree) {
    return MenuFor(tree, SelectedEntries(tree));
}

std::unique_ptr<QMenu> TEntryMenu::MenuFor(QWidget* parent,
                                           const std::vector<TDataInfo*>& entries) {
    auto menu = std::make_unique<QMenu>(parent);
    menu->setObjectName(QStringLiteral("mnuEntry"));
    for (const auto& item : MenuItems) {
        const bool removal =
            item.Action == EEntryAction::Trash || item.Action == EEntryAction::Delete;
        if (removal && ReadOnly())
            continue;
        if (item.Action == EEntryAction::Refresh && FView.ShowsSavedScan())
            continue; // a saved scan has no disk to read again
        if (item.Action == EEntryAction::Trash || item.Action == EEntryAction::Refresh)
            menu->addSeparator();
        QAction* action = menu->addAction(QString::fromLatin1(item.Text));
        action->setObjectName(QLatin1String(item.Name));
        action->setEnabled(Enabled(item.Action, entries));
        connect(action, &QAction::triggered, this,
                [this, what = item.Action, entries] { Run(what, entries); });
    }
    // The item a double-click runs is the one in bold.
    if (entries.size() == 1) {
        const char* name = entries.front()->IsFolder() ? "actShowInFolderTree" : "actOpen";
        menu->setDefaultAction(menu->findChild<QAction*>(QLatin1String(name)));
    }
    return menu;
}

bool TEntryMenu::Enabled(EEntryAction action, const std::vector<TDataInfo*>& entries) const {
    if (entries.empty())
        return false;
    switch (action) {
    case EEntryAction::Open:
        return entries.size() <= MostOpenedAtOnce;
    case EEntryAction::OpenFolder:
    case EEntryAction::CopyPath:
        return true;
    case EEntryAction::Trash:
    case EEntryAction::Delete:
        return !ReadOnly();
    case EEntryAction::Refresh:
        // One folder at a time: a refresh replaces the entries the other rows reference.
        return entries.size() == 1 && bool(Handlers.RefreshFolder) && !FView.ShowsSavedScan();
    case EEntryAction::ShowInTree:
        return entries.size() == 1 && bool(ShowInTree);
    }
    return false;
}

void TEntryMenu::Run(EEntryAction action, const std::vector<TDataInfo*>& entries) {
    if (!Enabled(action, entries))
        return;
    switch (action) {
    case EEntryAction::Open:
        return Open(entries);
    case EEntryAction::OpenFolder:
        return OpenFolders(entries);
    case EEntryAction::CopyPath:
        QGuiApplication::clipboard()->setText(EntryPaths(entries));
        return;
    case EEntryAction::Trash:
        return Remove(false, entries);
    case EEntryAction::Delete:
        return Remove(true, entries);
    case EEntryAction::Refresh:
        return Handlers.RefreshFolder(FolderOf(entries.front()));
    case EEntryAction::ShowInTree:
        return ShowInTree(FolderOf(entries.front()));
    }
}

void TEntryMenu::Activate(TDataInfo* entry) {
    if (!entry)
        return;
    if (entry->IsFolder()) {
        if (ShowInTree)
            ShowInTree(entry);
        return;
    }
    Open({entry});
}

// The default application of each entry (a folder opens in the file manager).
void TEntryMenu::Open(const std::vector<TDataInfo*>& entries) {
    for (const TDataInfo* entry : entries) {
        const QByteArray path = QByteArray::fromStdString(entry->FullPath());
        OpenUrlOrSay(FolderUrl(path),
                     QStringLiteral("The file \"%1\"").arg(DisplayText(entry->FullPath())), FOwner);
    }
}

// Each containing folder once, however many of its entries are selected.
void TEntryMenu::OpenFolders(const std::vector<TDataInfo*>& entries) {
    std::vector<std::string> folders;
    for (const TDataInfo* entry : entries)
        folders.push_back(ContainingFolder(entry->FullPath()));
    std::sort(folders.begin(), folders.end());
    folders.erase(std::unique(folders.begin(), folders.end()), folders.end());
    for (const std::string& folder : folders)
        OpenFolderInFileManager(QByteArray::fromStdString(folder), FOwner);
}

void TEntryMenu::Remove(bool permanently, const std::vector<TDataInfo*>& entries) {
    const std::vector<const TDataInfo*> chosen(entries.begin(), entries.end());
    const std::vector<const TDataInfo*> gone =
        RunRemoval(FOwner, permanently ? ERemoval::Delete : ERemoval::Trash, chosen);
    if (gone.empty())
        return;
    if (RowsRemoved)
        RowsRemoved(gone);
    if (Handlers.EntriesRemoved)
        Handlers.EntriesRemoved(gone);
}

} // namespace quorvex
