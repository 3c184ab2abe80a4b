#include "uCountBinding.h"

#include "uBaseView.h"
#include "uLiveTree.h"
#include "uMain.h"
#include "uViewBinding.h"
#include "uWindowMemory.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>

namespace quorvex {

TCountBinding::TCountBinding(TMainForm& form, TBaseView& view, TWindowMemory& memory)
    : FForm(form), FView(view), FMemory(memory) {
    AddMenu();
    Select(FMemory.CountsDiskUsage());
}

TCountBinding::~TCountBinding() {
    delete FMenu; // its items would call nothing once this is gone
    delete FSeparator;
}

void TCountBinding::AddMenu() {
    QMenu* view = ViewMenu(FForm);
    if (!view->isEmpty())
        FSeparator = view->addSeparator();
    FMenu = view->addMenu(QStringLiteral("&Count"));
    FMenu->setObjectName(QStringLiteral("Count1"));
    auto* group = new QActionGroup(FMenu);
    group->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
    FApparent = FMenu->addAction(QStringLiteral("&Apparent Size"));
    FApparent->setObjectName(QStringLiteral("CountApparentSize1"));
    FDiskUsage = FMenu->addAction(QStringLiteral("&Disk Usage"));
    FDiskUsage->setObjectName(QStringLiteral("CountDiskUsage1"));
    for (QAction* action : {FApparent.data(), FDiskUsage.data()}) {
        action->setCheckable(true);
        group->addAction(action);
    }
    connect(FApparent, &QAction::triggered, this, [this] { Choose(false); });
    connect(FDiskUsage, &QAction::triggered, this, [this] { Choose(true); });
}

void TCountBinding::Choose(bool diskUsage) {
    FMemory.RememberCountDiskUsage(diskUsage);
    Select(diskUsage);
}

void TCountBinding::Select(bool diskUsage) {
    (diskUsage ? FDiskUsage : FApparent)->setChecked(true);
    TDataCtrl& engine = FView.FDataCtrl();
    if (engine.CountsDiskUsage() == diskUsage)
        return;
    TLiveTree* live = FForm.LiveTree();
    // Through the view controller, so a saved scan compared with counts the same way.
    if (!engine.Root() || !live) {
        FView.SetCountDiskUsage(diskUsage); // the next scan counts so
        return;
    }
    // Every size and group changes, no entry: the views let go and refill as after an edit.
    live->ChangeTree([&] { FView.SetCountDiskUsage(diskUsage); });
}

} // namespace quorvex
