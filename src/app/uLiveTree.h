#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <vector>

class QAction;
class QMenu;

namespace quorvex {

class TBaseView;
class TDataInfo;
class TMainForm;

/// Keeps the main window's results in step with the disk after a scan, without a rescan:
/// entries that left the disk (trashed or deleted from any window) leave the engine's tree,
/// and one folder can be read again (Refresh, F5, in the View menu; allowed in a read-only
/// window, since it removes nothing). Either way every view, the summary, the group tables
/// and the charts are refilled, on the folder shown when it survives, else the nearest one
/// above it. Lives while the form has its view controller.
class TLiveTree : public QObject {
    Q_OBJECT
public:
    TLiveTree(TMainForm& form, TBaseView& view);
    ~TLiveTree() override;

    /// Takes `gone` (entries the caller removed from the disk; entries below one of them
    /// may be listed too) out of the tree and refills the views. Every pointer to an entry
    /// taken before is invalid afterwards: callers keep none.
    void EntriesRemoved(const std::vector<const TDataInfo*>& gone);
    /// Reads `folder` again on a worker thread behind the wait window (Cancel keeps what
    /// was read, marked as incomplete) and refills the views. A folder that is gone leaves
    /// the tree. Pointers into the folder's subtree are invalid afterwards.
    void RefreshFolder(TDataInfo* folder);
    /// The Refresh command: the folder shown. Disabled while a saved scan is shown.
    void RefreshShownFolder();
    /// Runs `change` (which rewrites sizes or groups of the whole tree, but keeps every
    /// entry) behind the wait window, with every view let go of first and refilled after,
    /// on the folder shown.
    void ChangeTree(const std::function<void()>& change);

    QAction* RefreshAction() const { return FRefresh; }

signals:
    /// The tree is about to change: whatever holds entries of it (a pane, a pending
    /// tool tip) lets go of them now; the views are refilled afterwards as on a folder click
    /// (TBaseView::ViewsRefreshed).
    void TreeChanging();

private:
    void AddMenu();
    void OfferRefresh();
    void ReleaseEntries();
    void Refill();

    TMainForm& FForm;
    TBaseView& FView;
    // In the form's View menu, but they live as long as this.
    QPointer<QAction> FRefresh, FSeparator;
};

} // namespace quorvex
