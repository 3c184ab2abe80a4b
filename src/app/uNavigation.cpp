#include "uNavigation.h"

#include "uBaseView.h"
#include "uMain.h"

#include <QAction>
#include <QItemSelectionModel>
#include <QMenuBar>
#include <QTreeView>

namespace quorvex {

TNavigation::TNavigation(TMainForm& form, TBaseView& view)
    : QObject(&form), FForm(form), FView(view) {
    AddKey(QKeySequence(Qt::ALT | Qt::Key_Up), "actParentFolder", &TNavigation::ShowParent);
    AddKey(QKeySequence(Qt::ALT | Qt::Key_Left), "actBack", &TNavigation::Back);
    AddKey(QKeySequence(Qt::ALT | Qt::Key_Right), "actForward", &TNavigation::Forward);
    AddKey(QKeySequence(Qt::Key_F10), "actMenuBar", &TNavigation::OpenMenuBar);

    FTreeMove.setSingleShot(true);
    FTreeMove.setInterval(TreeMoveDelayMs);
    connect(&FTreeMove, &QTimer::timeout, this, [this] { ShowTreeCurrent(false); });
    // The model stays in the tree while this object lives, and so does its selection model.
    connect(form.VTLeft->selectionModel(), &QItemSelectionModel::currentChanged, &FTreeMove,
            qOverload<>(&QTimer::start));
    connect(&view, &TBaseView::ViewsRefreshed, this, &TNavigation::RecordShownFolder);
    connect(&view, &TBaseView::ViewsCleared, this, [this] { FHistory.Clear(); });
}

void TNavigation::AddKey(const QKeySequence& key, const char* name,
                         void (TNavigation::*handler)()) {
    auto* action = new QAction(this);
    action->setObjectName(QLatin1String(name));
    action->setShortcut(key);
    FForm.addAction(action); // a window shortcut: it works whichever child has the focus
    connect(action, &QAction::triggered, this, handler);
}

void TNavigation::OpenMenuBar() {
    QMenuBar* bar = FForm.menuBar();
    if (!bar->actions().isEmpty())
        bar->setActiveAction(bar->actions().first());
}

void TNavigation::ShowTreeCurrent(bool again) {
    FTreeMove.stop(); // a click shows at once; the pending move would only repeat it
    TDataInfo* folder = FView.VTLeft().Entry(FForm.VTLeft->currentIndex());
    if (folder && (again || folder != FView.FDataCtrl().CurrentRoot()))
        FForm.ShowFolderEntry(folder);
}

void TNavigation::ShowParent() {
    if (TDataInfo* current = FView.FDataCtrl().CurrentRoot())
        Show(current->Parent()); // nothing above the scanned folder
}

void TNavigation::Back() {
    ShowPath(FHistory.Back());
}

void TNavigation::Forward() {
    ShowPath(FHistory.Forward());
}

void TNavigation::ShowPath(const std::string* path) {
    TDataInfo* root = FView.FDataCtrl().Root();
    if (path && root)
        Show(root->FindByPath(*path));
}

// The tree follows the folder shown, so the arrow keys go on from there.
void TNavigation::Show(TDataInfo* folder) {
    if (!folder)
        return;
    FollowInTree(folder);
    FForm.ShowFolderEntry(folder);
}

void TNavigation::FollowInTree(const TDataInfo* folder) {
    const QModelIndex index = FView.VTLeft().IndexOf(folder);
    if (index.isValid()) {
        FForm.VTLeft->setCurrentIndex(index);
        FForm.VTLeft->scrollTo(index);
    }
}

void TNavigation::RecordShownFolder() {
    if (const TDataInfo* current = FView.FDataCtrl().CurrentRoot())
        FHistory.Visit(current->FullPath());
}

} // namespace quorvex
