#include "uLiveTree.h"

#include "uBaseView.h"
#include "uMain.h"
#include "uNavigation.h"
#include "uViewBinding.h"
#include "uWaitForm.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QTreeView>
#include <exception>
#include <system_error>

namespace quorvex {

TLiveTree::TLiveTree(TMainForm& form, TBaseView& view) : FForm(form), FView(view) {
    AddMenu();
    connect(&FView, &TBaseView::ViewsRefreshed, this, &TLiveTree::OfferRefresh);
    connect(&FView, &TBaseView::ViewsCleared, this, &TLiveTree::OfferRefresh);
}

TLiveTree::~TLiveTree() {
    delete FRefresh; // it would call nothing once this is gone
    delete FSeparator;
}

void TLiveTree::AddMenu() {
    QMenu* menu = ViewMenu(FForm);
    if (!menu->isEmpty())
        FSeparator = menu->addSeparator();
    FRefresh = menu->addAction(QStringLiteral("&Refresh"));
    FRefresh->setObjectName(QStringLiteral("Refresh1"));
    FRefresh->setShortcut(QKeySequence(Qt::Key_F5));
    FForm.addAction(FRefresh); // F5 works with the menu closed
    connect(FRefresh, &QAction::triggered, this, &TLiveTree::RefreshShownFolder);
}

// F5 included: the action is the window's shortcut.
void TLiveTree::OfferRefresh() {
    if (FRefresh)
        FRefresh->setEnabled(!FView.ShowsSavedScan());
}

void TLiveTree::ChangeTree(const std::function<void()>& change) {
    TWaitScope wait(QStringLiteral("Drawing Tree.."));
    ReleaseEntries();
    change();
    Refill();
}

void TLiveTree::EntriesRemoved(const std::vector<const TDataInfo*>& gone) {
    if (gone.empty() || !FView.FDataCtrl().Root())
        return;
    ChangeTree([&] { FView.FDataCtrl().RemoveEntries(gone); });
}

void TLiveTree::RefreshShownFolder() {
    RefreshFolder(FView.FDataCtrl().CurrentRoot());
}

void TLiveTree::RefreshFolder(TDataInfo* folder) {
    TDataCtrl& engine = FView.FDataCtrl();
    if (!folder || !engine.Root() || engine.IsLoaded())
        return;
    std::exception_ptr failure;
    const auto read = [&](IScanObserver& observer) {
        try {
            engine.RefreshFolder(folder, &observer);
        } catch (const std::exception&) {
            // The tree is unchanged: the views are refilled first, then the failure shown.
            failure = std::current_exception();
        }
    };
    FForm.RunEngineJob(
        QStringLiteral("Get Files Size Info.."), [this] { ReleaseEntries(); }, read,
        [this] { Refill(); });
    if (failure)
        std::rethrow_exception(failure);
}

// Every model that holds entries or sums lets go of them before the tree changes. Unlike
// TBaseView::ClearViews this is no new scan: the history of folders shown stays.
void TLiveTree::ReleaseEntries() {
    emit TreeChanging();
    FView.ReleaseComparison(); // it points into the tree; the base stays for the refill
    for (int i = 0; i < EntryViewCount; ++i)
        FView.EntryView(EView(i)).Clear();
    for (int i = 0; i < GroupViewCount; ++i)
        FView.GroupView(EView(EntryViewCount + i)).Clear();
    FView.VTFolderNotScanned().Clear();
}

void TLiveTree::Refill() {
    TDataInfo* shown = FView.FDataCtrl().CurrentRoot();
    FView.FillFolderTree();
    FView.ShowFolder(shown);
    FForm.ShowScanState(true);
    // The folder tree follows the folder shown, as after a move with the keyboard.
    if (FForm.Navigation())
        FForm.Navigation()->FollowInTree(shown);
}

} // namespace quorvex
