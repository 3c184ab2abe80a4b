#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <vector>

class QKeySequence;
class QMenu;
class QTreeView;
class QWidget;

namespace quorvex {

class TBaseView;
class TDataInfo;

/// What the engine does for the menu. An unset handler leaves its item disabled (refresh)
/// or is not called (removal): the removal itself still happens.
struct TEntryMenuHandlers {
    /// After a trash or delete: the entries that left the disk (sorted by address), so the
    /// tree and every view drop them.
    std::function<void(const std::vector<const TDataInfo*>& gone)> EntriesRemoved;
    /// Rescans the subtree of `folder` and puts it back into the tree.
    std::function<void(TDataInfo* folder)> RefreshFolder;
};

/// The commands of an entry row, in menu order.
enum class EEntryAction { Open, OpenFolder, CopyPath, Trash, Delete, Refresh, ShowInTree };

/// The context menu of the entry views: it acts on the selected rows (the current row when
/// none is selected). Attached views also copy the selected paths with Ctrl+C and, where
/// asked, act on a double-click (a file opens, a folder is shown). A read-only menu
/// (--read-only, or a saved scan) has no trash or delete item at all, and a saved scan no
/// refresh item. Lives as long as the views it serves.
class TEntryMenu : public QObject {
    Q_OBJECT
public:
    /// `owner` parents the questions and messages; a read-only `view` (read on every menu,
    /// as the flag is set after the window is made) leaves out trash and delete.
    TEntryMenu(QWidget* owner, const TBaseView& view, QObject* parent = nullptr);

    TEntryMenuHandlers Handlers;
    /// Shows `folder` in the folder tree (selected, its parents expanded) and in the views.
    std::function<void(TDataInfo* folder)> ShowInTree;
    /// The entries that left the disk, before Handlers.EntriesRemoved: a window that lists
    /// them on its own (the detail window) drops their rows here.
    std::function<void(const std::vector<const TDataInfo*>& gone)> RowsRemoved;

    /// Gives `tree` (whose model is an entry model) the menu and Ctrl+C; `activate` also
    /// makes a double-click open a file or show a folder, and allows several selected rows.
    void Attach(QTreeView* tree, bool activate);
    /// Delete moves the selected rows of `tree` to the trash, Shift+Delete deletes them (a
    /// window whose own buttons have these keys leaves this out); nothing in read-only.
    void AddRemovalKeys(QTreeView* tree);

    /// Takes over the engine handlers and the way to the folder tree of `main`.
    void ShareHandlers(const TEntryMenu& main);

    /// The menu over the rows selected in `tree`; the caller owns it (tests read its items).
    std::unique_ptr<QMenu> MenuFor(QTreeView* tree);
    /// The menu over `entries` (a view without rows, such as the treemap).
    std::unique_ptr<QMenu> MenuFor(QWidget* parent, const std::vector<TDataInfo*>& entries);
    /// The entries of the selected rows in view order, or of the current row.
    static std::vector<TDataInfo*> SelectedEntries(const QTreeView* tree);
    void Run(EEntryAction action, const std::vector<TDataInfo*>& entries);
    /// A double-click: a file opens, a folder is shown.
    void Activate(TDataInfo* entry);

private:
    void AddKey(QTreeView* tree, const char* name, const QKeySequence& key, EEntryAction action);
    bool Enabled(EEntryAction action, const std::vector<TDataInfo*>& entries) const;
    void Open(const std::vector<TDataInfo*>& entries);
    void OpenFolders(const std::vector<TDataInfo*>& entries);
    void Remove(bool permanently, const std::vector<TDataInfo*>& entries);

    bool ReadOnly() const;

    QWidget* FOwner;
    const TBaseView& FView;
};

/// The full paths of `entries`, one per line, as the clipboard gets them.
QString EntryPaths(const std::vector<TDataInfo*>& entries);

/// The folder an entry command works in: a folder itself, a file's parent.
TDataInfo* FolderOf(TDataInfo* entry);

} // namespace quorvex
