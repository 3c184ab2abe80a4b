#include "uTreemapBinding.h"

#include "uBaseFunction.h"
#include "uBaseView.h"
#include "uCharts.h"
#include "uCompareText.h"
#include "uEntryMenu.h"
#include "uMain.h"
#include "uScanCompare.h"
#include "uTreemapPane.h"
#include "uViewBinding.h"
#include "uWindowMemory.h"

#include <QAction>
#include <QFile>
#include <QItemSelectionModel>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTreeView>
#include <memory>

namespace quorvex {

namespace {

constexpr int TabsHeight = 330, TreemapHeight = 230;

QAction* NewToggle(QMenu* menu, const QString& text, const char* name, bool checked) {
    QAction* action = menu->addAction(text);
    action->setObjectName(QLatin1String(name));
    action->setCheckable(true);
    action->setChecked(checked);
    action->setProperty(RememberedProperty, true);
    return action;
}

// The entries of the selected sums of one group table. The predicate runs on the treemap's
// thread while the views may refill the sums, so it owns a copy of them. A folder group
// lights the folder's whole area, everything below it included.
std::function<bool(const TDataInfo&)> GroupHighlight(EGrouping grouping, const TSumList& sums,
                                                     const std::vector<std::uint32_t>& positions,
                                                     const TDataInfo* shown) {
    const auto copy = std::make_shared<const TSumList>(sums);
    const auto selection = std::make_shared<const TGroupSelection>(grouping, *copy, positions);
    if (grouping != EGrouping::FolderSize)
        return [copy, selection](const TDataInfo& e) { return selection->Contains(e); };
    return [copy, selection, shown](const TDataInfo& e) {
        for (const TDataInfo* f = &e; f && f != shown; f = f->Parent())
            if (selection->Contains(*f))
                return true;
        return false;
    };
}

// "path - size - share of the folder shown".
QString SizeDescription(const TDataInfo& entry, const TDataInfo* shown) {
    const double size = double(entry.Size());
    const double total = shown ? double(shown->Size()) : 0.0;
    return QStringLiteral("%1  -  %2  -  %3")
        .arg(VisibleControls(QFile::decodeName(entry.FullPath().c_str())),
             QString::fromStdString(FormatSize(size)),
             PointMarkText(QString(), size, total) + QStringLiteral(" of the folder shown"));
}

// "new", or the growth since the base: "+1.00 KB", "0.00 B".
QString ChangeDescription(const TScanCompare& compare, const TDataInfo& entry) {
    const TEntryDelta delta = compare.DeltaOf(entry);
    switch (delta.Change()) {
    case EEntryChange::Added:
        return QStringLiteral("new");
    case EEntryChange::Same:
    case EEntryChange::Changed:
        break;
    }
    return QString::fromStdString(SignedSizeText(delta.Growth())) +
           QStringLiteral(" since the saved scan");
}

} // namespace

TTreemapBinding::TTreemapBinding(TMainForm& form, TBaseView& view)
    : QObject(&form), FForm(form), FView(view) {
    SetupPane();
    SetupMenu();
    ConnectViews();
    ConnectGroupTables();
    ShowCurrentFolder();
}

// The pane reads the tree on its thread: it stops before the view controller goes.
TTreemapBinding::~TTreemapBinding() {
    FPane->Stop();
}

void TTreemapBinding::SetupPane() {
    auto* outer = FForm.findChild<QSplitter*>(QStringLiteral("Splitter1"));
    const QList<int> outerSizes = outer->sizes();
    const int at = outer->indexOf(FForm.pcTotal);
    auto* inner = new QSplitter(Qt::Vertical);
    inner->setObjectName(QStringLiteral("splTreemap"));
    inner->setChildrenCollapsible(false);
    inner->addWidget(FForm.pcTotal);
    FPane = new TTreemapPane(inner);
    inner->addWidget(FPane);
    inner->setStretchFactor(0, 1);
    inner->setStretchFactor(1, 1);
    inner->setSizes({TabsHeight, TreemapHeight});
    outer->insertWidget(at, inner);
    outer->setStretchFactor(at, 1);
    outer->setSizes(outerSizes);
    FPane->SetDescriber([this](const TDataInfo& entry) { return Describe(entry); });
}

void TTreemapBinding::SetupMenu() {
    QMenu* menu = ViewMenu(FForm);
    FShow = NewToggle(menu, QStringLiteral("&Treemap"), "Treemap1", true);
    FShow->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    FShow->setShortcutContext(Qt::WindowShortcut);
    FForm.addAction(FShow); // works whichever child has the focus, menu bar shown or not
    FCushion = NewToggle(menu, QStringLiteral("Treemap &Cushion Shading"), "TreemapCushion1", true);
    // Shown again, the pane gets back the room it had.
    connect(FShow, &QAction::toggled, this, [this](bool shown) {
        auto* splitter = static_cast<QSplitter*>(FPane->parentWidget());
        if (!shown)
            FShownSizes = splitter->sizes();
        FPane->setVisible(shown);
        if (shown && FShownSizes.size() == splitter->count())
            splitter->setSizes(FShownSizes);
    });
    connect(FCushion, &QAction::toggled, FPane, &TTreemapPane::SetCushion);
    // Not remembered: it only means something while comparing, and comparing turns it on.
    FTint = menu->addAction(QStringLiteral("Treemap Tint by &Growth"));
    FTint->setObjectName(QStringLiteral("TreemapTint1"));
    FTint->setCheckable(true);
    FTint->setEnabled(false);
    connect(FTint, &QAction::toggled, this, &TTreemapBinding::UpdateTint);
}

void TTreemapBinding::ConnectViews() {
    // The view controller hands the new result over before the old one goes.
    connect(&FView, &TBaseView::ComparisonChanged, this,
            [this] { SetGrowthTint(FView.Comparison()); });
    // Before a scan the views are emptied and nothing may read the tree until they refill.
    // A comparison points into the tree, so none outlives the scan.
    connect(&FView, &TBaseView::ViewsCleared, this, [this] {
        FPane->Stop();
        SetGrowthTint(nullptr);
        FPane->SetFolder(nullptr);
        FPane->SetHighlight({});
    });
    connect(&FView, &TBaseView::ViewsRefreshed, this, &TTreemapBinding::ShowCurrentFolder);
    connect(FPane, &TTreemapPane::Hovered, this, &TTreemapBinding::ShowHovered);
    connect(FPane, &TTreemapPane::Clicked, this, &TTreemapBinding::SelectInViews);
    connect(FPane, &TTreemapPane::DoubleClicked, this, &TTreemapBinding::ZoomInto);
    connect(FPane, &TTreemapPane::ContextMenuRequested, this,
            &TTreemapBinding::ContextMenuRequested);
    for (QTreeView* tree : {FForm.VTLeft, FForm.VTDetail})
        connect(tree->selectionModel(), &QItemSelectionModel::currentChanged, this,
                [this, tree](const QModelIndex& index) { FollowSelection(tree, index); });
}

void TTreemapBinding::ConnectGroupTables() {
    for (QTreeView* tree : {FForm.VTFolderSize, FForm.VTFileSize, FForm.VTAgeCreate,
                            FForm.VTAgeWrite, FForm.VTAgeAccess, FForm.VTType, FForm.VTName})
        connect(tree->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                &TTreemapBinding::UpdateHighlight);
    // Another tab shows another table, or none: its selection decides.
    for (QTabWidget* tabs : FForm.pcTotal->findChildren<QTabWidget*>())
        connect(tabs, &QTabWidget::currentChanged, this, &TTreemapBinding::UpdateHighlight);
    connect(FForm.pcTotal, &QTabWidget::currentChanged, this, &TTreemapBinding::UpdateHighlight);
}

void TTreemapBinding::Stop() {
    FPane->Stop();
}

void TTreemapBinding::Invalidate() {
    FPane->Invalidate();
}

void TTreemapBinding::ShowCurrentFolder() {
    // Refilled group tables have no selection left, and their old sums are gone.
    FPane->SetHighlight({});
    FPane->SetFolder(FView.FDataCtrl().Root() ? FView.FDataCtrl().CurrentRoot() : nullptr);
}

// The folder tree lists folders only: a file selects its folder there.
void TTreemapBinding::SelectInViews(const TDataInfo* entry) {
    FSelecting = true;
    const TDataInfo* folder = entry->IsFolder() ? entry : entry->Parent();
    // Selected, not made current: a new current item would show that folder.
    if (const QModelIndex index = FView.VTLeft().IndexOf(folder); index.isValid()) {
        FForm.VTLeft->selectionModel()->select(index, QItemSelectionModel::ClearAndSelect |
                                                          QItemSelectionModel::Rows);
        FForm.VTLeft->scrollTo(index);
    }
    if (const QModelIndex index = FView.VTDetail().IndexOf(entry); index.isValid()) {
        FForm.VTDetail->selectionModel()->setCurrentIndex(
            index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        FForm.VTDetail->scrollTo(index);
    }
    FSelecting = false;
    FPane->SetSelected(entry);
}

void TTreemapBinding::ZoomInto(const TDataInfo* entry) {
    if (!entry->IsFolder() || entry == FView.FDataCtrl().CurrentRoot())
        return;
    auto* folder = const_cast<TDataInfo*>(entry); // the views take entries as the tree has them
    // The tree follows, as for Alt+Up, so the keyboard goes on from there.
    if (const QModelIndex index = FView.VTLeft().IndexOf(folder); index.isValid()) {
        FForm.VTLeft->setCurrentIndex(index);
        FForm.VTLeft->scrollTo(index);
    }
    FForm.ShowFolderEntry(folder);
}

void TTreemapBinding::SetGrowthTint(const TScanCompare* compare) {
    const bool begins = compare && !FCompare;
    FCompare = compare;
    FTint->setEnabled(compare);
    if (begins && !FTint->isChecked())
        FTint->setChecked(true); // toggled: UpdateTint()
    else
        UpdateTint();
}

void TTreemapBinding::UpdateTint() {
    FPane->SetGrowth(FTint->isChecked() ? FCompare : nullptr);
}

QString TTreemapBinding::Describe(const TDataInfo& entry) const {
    QString text = SizeDescription(entry, FPane->Folder());
    if (FCompare)
        text += QStringLiteral("  -  ") + ChangeDescription(*FCompare, entry);
    return text;
}

void TTreemapBinding::ShowHovered(const TDataInfo* entry) {
    if (entry)
        FForm.statusBar()->showMessage(Describe(*entry));
    else
        FForm.statusBar()->clearMessage();
}

void TTreemapBinding::FollowSelection(QTreeView* tree, const QModelIndex& index) {
    if (FSelecting)
        return;
    TEntryTreeModel& model = tree == FForm.VTLeft ? FView.VTLeft() : FView.VTDetail();
    FPane->SetSelected(index.isValid() ? model.Entry(index) : nullptr);
}

// The selected rows of the group table on screen light up; none on screen, or no row
// selected, dims nothing.
void TTreemapBinding::UpdateHighlight() {
    const std::pair<QTreeView*, EView> tables[] = {{FForm.VTFolderSize, EView::VTFolderSize},
                                                   {FForm.VTFileSize, EView::VTFileSize},
                                                   {FForm.VTAgeCreate, EView::VTAgeCreate},
                                                   {FForm.VTAgeWrite, EView::VTAgeWrite},
                                                   {FForm.VTAgeAccess, EView::VTAgeAccess},
                                                   {FForm.VTType, EView::VTType},
                                                   {FForm.VTName, EView::VTName}};
    for (const auto& [tree, id] : tables) {
        if (!tree->isVisible() || !tree->selectionModel()->hasSelection())
            continue;
        const TSumList& sums = FView.SumsOf(id);
        const TGroupModel& model = FView.GroupView(id);
        std::vector<std::uint32_t> positions;
        for (const QModelIndex& row : tree->selectionModel()->selectedRows())
            for (std::uint32_t i = 0; i < sums.Count(); ++i)
                if (&sums.Items(i) == model.Sum(row.row()))
                    positions.push_back(i);
        const auto grouping = EGrouping(int(id) - int(EView::VTFolderSize));
        FPane->SetHighlight(GroupHighlight(grouping, sums, positions, FPane->Folder()));
        return;
    }
    FPane->SetHighlight({});
}

void TTreemapBinding::UseEntryMenu(TEntryMenu& menu) {
    connect(this, &TTreemapBinding::ContextMenuRequested, &menu,
            [this, &menu](const TDataInfo* entry, const QPoint& at) {
                if (!entry)
                    return;
                const std::vector<TDataInfo*> entries{const_cast<TDataInfo*>(entry)};
                menu.MenuFor(FPane, entries)->exec(at);
            });
}

} // namespace quorvex
