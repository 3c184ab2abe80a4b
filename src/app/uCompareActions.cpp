#include "uCompareActions.h"

#include "uBaseView.h"
#include "uChangesModel.h"
#include "uMain.h"
#include "uNavigation.h"
#include "uScanFileActions.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QTabWidget>
#include <QTreeView>
#include <QVBoxLayout>
#include <exception>

namespace quorvex {

namespace {

const QString PageCaption = QStringLiteral("Changes");
constexpr int ChangeColumnWidth = 140; // "-1,023.99 KB removed"

} // namespace

TCompareActions::TCompareActions(TMainForm& form, TBaseView& view)
    : FForm(form), FView(view), FModel(std::make_unique<TChangesModel>()) {
    FChoose = [this](QString& path) {
        path = QFileDialog::getOpenFileName(&FForm, QStringLiteral("Compare With Saved Scan"), path,
                                            ScanFileFilter());
        return !path.isEmpty();
    };
    BuildPage();
    AddMenuItems();
    connect(&FView, &TBaseView::ComparisonChanged, this, &TCompareActions::ComparisonChanged);
    connect(&FView, &TBaseView::ViewsRefreshed, this, &TCompareActions::OfferItems);
    connect(&FView, &TBaseView::ViewsCleared, this, &TCompareActions::OfferItems);
    OfferItems();
}

TCompareActions::~TCompareActions() {
    delete FCompare;
    delete FStop;
    delete FPage; // a tab leaves its tab widget when deleted; its list drops the model first
}

// After "Save Scan As...": the items that work with scan files stay together.
void TCompareActions::AddMenuItems() {
    auto* file = FForm.findChild<QMenu*>(QStringLiteral("File1"));
    if (!file)
        return;
    const QList<QAction*> items = file->actions();
    QAction* save = FForm.findChild<QAction*>(QStringLiteral("SaveScanAs1"));
    const qsizetype at = items.indexOf(save);
    QAction* before = at >= 0 && at + 1 < items.size() ? items[at + 1] : nullptr;
    FCompare = new QAction(QStringLiteral("&Compare With Saved Scan..."), file);
    FCompare->setObjectName(QStringLiteral("CompareWithSavedScan1"));
    FStop = new QAction(QStringLiteral("Stop Co&mparing"), file);
    FStop->setObjectName(QStringLiteral("StopComparing1"));
    file->insertActions(before, {FCompare, FStop});
    connect(FCompare, &QAction::triggered, this, &TCompareActions::CompareClick);
    connect(FStop, &QAction::triggered, this, &TCompareActions::StopComparing);
}

void TCompareActions::BuildPage() {
    FPage = new QWidget;
    FPage->setObjectName(QStringLiteral("tsChanges"));
    auto* layout = new QVBoxLayout(FPage);
    FTotals = new QLabel(FPage);
    FTotals->setObjectName(QStringLiteral("lblChangeTotals"));
    FTotals->setTextFormat(Qt::PlainText);
    FTotals->setTextInteractionFlags(Qt::TextSelectableByMouse);
    FList = new QTreeView(FPage);
    FList->setObjectName(QStringLiteral("VTChanges"));
    FList->setRootIsDecorated(false);
    FList->setUniformRowHeights(true); // a million rows scroll without measuring each
    FList->setAlternatingRowColors(true);
    FList->setModel(FModel.get());
    FList->header()->setSectionsClickable(true);
    FList->header()->setSortIndicatorShown(true);
    FList->header()->setSortIndicator(-1, Qt::AscendingOrder); // the list's own order at first
    FList->header()->resizeSection(1, 420);
    layout->addWidget(FTotals);
    layout->addWidget(FList, 1);
    connect(FList->header(), &QHeaderView::sectionClicked, this, [this](int column) {
        FView.HeaderClick(*FModel, column, Qt::LeftButton);
        const TSortState& state = FModel->SortState();
        FList->header()->setSortIndicator(state.Column, state.Order);
    });
    connect(FList, &QTreeView::activated, this, &TCompareActions::ChangeActivated);
}

void TCompareActions::OfferItems() {
    const bool tree = FView.FDataCtrl().Root() != nullptr;
    if (FCompare)
        FCompare->setEnabled(tree);
    if (FStop)
        FStop->setEnabled(FView.Comparison() != nullptr);
}

void TCompareActions::CompareClick() {
    QString path = QDir::homePath();
    if (!FChoose || !FChoose(path))
        return;
    FForm.repaint(); // the area the dialog covered, before the wait window shows
    Compare(QFile::encodeName(path).toStdString());
}

bool TCompareActions::Compare(const std::string& path) {
    if (!FView.FDataCtrl().Root())
        return false;
    auto base = std::make_unique<TDataCtrl>();
    base->SetCountDiskUsage(FView.FDataCtrl().CountsDiskUsage());
    bool loaded = false;
    // Reading touches only the new engine; the wait window keeps the tree shown unchanged.
    const auto read = [&](IScanObserver& observer) {
        loaded = base->LoadScanFile(path, &observer);
    };
    try {
        FForm.RunEngineJob(
            QStringLiteral("Reading Saved Scan.."), [] {}, read, [] {});
        if (!loaded)
            return false; // cancelled
        FView.CompareWith(std::move(base), path);
        FollowShownFolder();
    } catch (const std::exception& e) {
        QMessageBox::critical(
            &FForm, QStringLiteral("Quorvex"),
            QStringLiteral("The scan cannot be compared with \"%1\":").arg(ShownPath(path)) +
                QLatin1Char('\n') + QString::fromUtf8(e.what()));
        return false;
    }
    FForm.pcTotal->setCurrentWidget(FPage);
    return true;
}

void TCompareActions::StopComparing() {
    FView.StopComparing();
    FollowShownFolder();
}

// The views were filled anew with or without the column: the folder tree opens again down
// to the folder shown instead of staying collapsed at the top.
void TCompareActions::FollowShownFolder() {
    if (FForm.Navigation())
        FForm.Navigation()->FollowInTree(FView.FDataCtrl().CurrentRoot());
}

// The view controller drops the comparison before the tree changes and makes it again
// after: the page lets go of its rows first and refills from whatever is there now.
void TCompareActions::ComparisonChanged() {
    const TScanCompare* comparison = FView.Comparison();
    FModel->Fill(comparison);
    if (comparison) {
        const TSortState& state = FModel->SortState();
        if (state.IsSet())
            FModel->SortRows(state.Column, state.Order);
        FTotals->setText(QStringLiteral("Compared with: ") + ShownPath(FView.ComparisonBaseFile()) +
                         QLatin1Char('\n') + FModel->TotalsLines().join(QLatin1Char('\n')));
    }
    ShowPage(comparison != nullptr || FView.ComparisonBase() != nullptr);
    PlaceChangeColumns();
    OfferItems();
}

// The column comes after the configured ones; it is shown next to the size, where the eye
// compares them, instead of past the right edge of a wide list.
void TCompareActions::PlaceChangeColumns() {
    const std::pair<QTreeView*, EView> views[] = {
        {FForm.VTLeft, EView::VTLeft},           {FForm.VTDetail, EView::VTDetail},
        {FForm.VTFolderAll, EView::VTFolderAll}, {FForm.VTFolderEmpty, EView::VTFolderEmpty},
        {FForm.VTFileAll, EView::VTFileAll},     {FForm.VTFileEmpty, EView::VTFileEmpty}};
    for (const auto& [tree, id] : views) {
        const TEntryModel& model = FView.EntryView(id);
        const int change = model.ChangeColumn();
        if (!tree || change < 0 || change >= tree->header()->count())
            continue;
        QHeaderView* header = tree->header();
        const int size = model.IsFolderTree() ? 1 : int(ecFileSize);
        header->moveSection(header->visualIndex(change), header->visualIndex(size) + 1);
        if (header->sectionSize(change) < ChangeColumnWidth)
            header->resizeSection(change, ChangeColumnWidth);
    }
}

void TCompareActions::ShowPage(bool shown) {
    QTabWidget* tabs = FForm.pcTotal;
    if (!tabs || !FPage)
        return;
    const int at = tabs->indexOf(FPage);
    if (shown && at < 0)
        tabs->addTab(
            FPage,
            QIcon::fromTheme(QStringLiteral("view-list-details"),
                             FForm.ImageList1.empty() ? QIcon() : FForm.ImageList1.front()),
            PageCaption);
    if (!shown && at >= 0) {
        tabs->removeTab(at);
        FPage->setParent(nullptr);
    }
}

// Enter or a double click on a current entry shows it in the folder tree; a removed entry
// has nothing to show.
void TCompareActions::ChangeActivated(const QModelIndex& index) {
    const auto* entry = reinterpret_cast<TDataInfo*>(index.data(EntryRole).value<quintptr>());
    if (!entry)
        return;
    TDataInfo* folder = entry->IsFolder() ? const_cast<TDataInfo*>(entry) : entry->Parent();
    if (FForm.Navigation())
        FForm.Navigation()->Show(folder);
}

} // namespace quorvex
