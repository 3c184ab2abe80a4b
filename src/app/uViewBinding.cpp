#include "uViewBinding.h"

#include "uEntryMenu.h"
#include "uGroupCharts.h"
#include "uMain.h"
#include "uNavigation.h"
#include "uShareBar.h"
#include "uShell.h"
#include "uTheme.h"

#include <QChartView>
#include <QColor>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QTreeView>
#include <tuple>

namespace quorvex {

namespace {

constexpr int ShareColumnWidth = 120;

void ApplyColumns(QTreeView* tree, const std::vector<TEntryColumn>& columns) {
    QHeaderView* header = tree->header();
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const int column = int(i);
        tree->setColumnWidth(column, columns[i].Width);
        tree->setColumnHidden(column, !columns[i].Visible);
    }
    // Display positions in column order; an out-of-range position leaves the column alone.
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const int position = columns[i].Position;
        if (position >= 0 && position < header->count())
            header->moveSection(header->visualIndex(int(i)), position);
    }
}

// Header clicks sort in the model (once per click); the header only shows the state. The
// header sets its own arrow before it reports a click, so the arrow is put back to the
// model's state after every click: a table that does not sort keeps showing none.
void BindSorting(QTreeView* tree, TSortableModel& model, TBaseView& view) {
    QHeaderView* header = tree->header();
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(model.Sortable());
    header->setSortIndicator(-1, Qt::AscendingOrder);
    const auto showState = [&model, header] {
        header->setSortIndicator(model.SortState().Column, model.SortState().Order);
    };
    QObject::connect(header, &QHeaderView::sectionClicked, &model,
                     [&model, &view, showState](int column) {
                         view.HeaderClick(model, column, Qt::LeftButton);
                         showState();
                     });
    QObject::connect(&model, &TSortableModel::SortStateChanged, header, showState);
}

void ExpandTopRowAfterFill(QTreeView* tree, QAbstractItemModel& model) {
    QObject::connect(&model, &QAbstractItemModel::modelReset, tree, [tree, &model] {
        if (model.rowCount() > 0)
            tree->expand(model.index(0, 0));
    });
}

} // namespace

void BindEntryView(QTreeView* tree, TEntryModel& model, TBaseView& view) {
    tree->setModel(&model);
    ApplyColumns(tree, model.Columns());
    if (const int share = model.ShareColumn(); share >= 0) {
        tree->setColumnWidth(share, ShareColumnWidth);
        tree->setItemDelegateForColumn(share, new TShareBarDelegate(tree->itemDelegate(), tree));
    }
    BindSorting(tree, model, view);
    if (dynamic_cast<TEntryTreeModel*>(&model))
        ExpandTopRowAfterFill(tree, model);
}

std::unique_ptr<TEntryMenu> BindEntryMenu(TMainForm& form, TBaseView& view) {
    auto menu = std::make_unique<TEntryMenu>(&form, view);
    menu->Attach(form.VTLeft, false);
    for (QTreeView* tree :
         {form.VTDetail, form.VTFolderAll, form.VTFolderEmpty, form.VTFileAll, form.VTFileEmpty})
        menu->Attach(tree, true);
    for (QTreeView* tree : {form.VTLeft, form.VTDetail, form.VTFolderAll, form.VTFolderEmpty,
                            form.VTFileAll, form.VTFileEmpty})
        menu->AddRemovalKeys(tree);
    menu->ShowInTree = [&form](TDataInfo* folder) {
        if (form.Navigation())
            form.Navigation()->Show(folder);
    };
    return menu;
}

TViewBinding::TViewBinding(TMainForm& form, TBaseView& view, TEntryIcons& icons)
    : FForm(form), FView(view) {
    view.SetEntryIconProvider(
        [&icons](const TDataInfo& entry) { return QVariant(icons.Icon(entry)); });
    view.SetGroupIcon(form.GroupImage[giGroup]);
    view.SetNotScannedForeground(ThemeColours().NotScanned); // apart from every ordinary name
    view.SetGhostForeground(QColor(Qt::gray)); // removed since the saved scan: no longer there
    const std::pair<QTreeView*, EView> entryViews[] = {
        {form.VTLeft, EView::VTLeft},           {form.VTDetail, EView::VTDetail},
        {form.VTFolderAll, EView::VTFolderAll}, {form.VTFolderEmpty, EView::VTFolderEmpty},
        {form.VTFileAll, EView::VTFileAll},     {form.VTFileEmpty, EView::VTFileEmpty}};
    for (const auto& [tree, id] : entryViews)
        BindEntryView(tree, view.EntryView(id), view);
    form.VTFolderNotScanned->setModel(&view.VTFolderNotScanned());
    BindSorting(form.VTFolderNotScanned, view.VTFolderNotScanned(), view);
    form.VTFolderNotScanned->setColumnWidth(0, 500);
    std::vector<TGroupCharts::TChart> charts;
    const std::tuple<EView, QChartView*, QChartView*> pairs[] = {
        {EView::VTFolderSize, form.chFolderPie, form.chFolderBar},
        {EView::VTFileSize, form.chFilePie, form.chFileBar},
        {EView::VTAgeCreate, form.chAgeCreatePie, form.chAgeCreateBar},
        {EView::VTAgeWrite, form.chAgeWritePie, form.chAgeWriteBar},
        {EView::VTAgeAccess, form.chAgeAccessPie, form.chAgeAccessBar},
        {EView::VTType, form.chTypePie, form.chTypeBar},
        {EView::VTName, form.chNamePie, form.chNameBar}};
    for (const auto& [table, pie, bar] : pairs) {
        charts.push_back({table, pie, EChartKind::Pie});
        charts.push_back({table, bar, EChartKind::Bar});
    }
    FCharts = std::make_unique<TGroupCharts>(view, std::move(charts));
    const std::pair<QTreeView*, EView> groupViews[] = {{form.VTFolderSize, EView::VTFolderSize},
                                                       {form.VTFileSize, EView::VTFileSize},
                                                       {form.VTAgeCreate, EView::VTAgeCreate},
                                                       {form.VTAgeWrite, EView::VTAgeWrite},
                                                       {form.VTAgeAccess, EView::VTAgeAccess},
                                                       {form.VTType, EView::VTType},
                                                       {form.VTName, EView::VTName}};
    for (const auto& [tree, id] : groupViews)
        BindGroupView(tree, id);
    connect(&view, &TBaseView::ViewsRefreshed, this, [this] {
        FCharts->Refresh();
        ShowSummary();
    });
    connect(&view, &TBaseView::ViewsCleared, FCharts.get(), &TGroupCharts::Clear);
}

TViewBinding::~TViewBinding() {
    for (QTreeView* tree :
         {FForm.VTLeft, FForm.VTDetail, FForm.VTFolderAll, FForm.VTFolderEmpty, FForm.VTFileAll,
          FForm.VTFileEmpty, FForm.VTFolderNotScanned, FForm.VTFolderSize, FForm.VTFileSize,
          FForm.VTAgeCreate, FForm.VTAgeWrite, FForm.VTAgeAccess, FForm.VTType, FForm.VTName})
        tree->setModel(nullptr);
    FCharts->Clear();
}

void TViewBinding::BindGroupView(QTreeView* tree, EView table) {
    TGroupModel& model = FView.GroupView(table);
    tree->setModel(&model);
    const std::vector<TEntryColumn> columns = TGroupModel::Columns();
    for (std::size_t i = 0; i < columns.size(); ++i)
        tree->setColumnWidth(int(i), columns[i].Width);
    BindSorting(tree, model, FView);
    connect(tree, &QTreeView::doubleClicked, this, [this, tree, table] {
        // The focused row, as a keyboard user would expect too.
        if (tree->currentIndex().isValid())
            FView.GroupDblClick(table, tree->currentIndex().row());
    });
}

void TViewBinding::ShowSummary() {
    const TSummaryTexts s = FView.SummaryTexts();
    FForm.lblFolderPath->setText(s.FolderPath);
    FForm.lblFileSize->setText(s.FileSize);
    FForm.lblFolderQty->setText(s.FolderQty);
    FForm.lblFileQty->setText(s.FileQty);
    FForm.lblTypeQty->setText(s.TypeQty);
    FForm.lblNotScannedQty->setText(s.NotScannedQty);
    FForm.lbPath->setText(s.FolderPath);
    ShowAccessTimes();
}

// The never-used reports read access times: the page says how far they hold, and where
// they never change the reports would list every file, so their links are closed.
void TViewBinding::ShowAccessTimes() {
    const QString note = FView.AccessTimesText();
    FForm.lblAccessTimes->setText(note);
    const bool never = FView.FDataCtrl().AccessTimes() == EAccessTimes::Never;
    for (TLinkLabel* link : {FForm.Label13, FForm.Label3, FForm.Label6}) {
        link->setToolTip(note);
        link->setEnabled(!never);
    }
}

QMenu* ViewMenu(TMainForm& form) {
    if (auto* menu = form.findChild<QMenu*>(QStringLiteral("View1")))
        return menu;
    QMenuBar* bar = form.menuBar();
    auto* menu = new QMenu(QStringLiteral("&View"), bar);
    menu->setObjectName(QStringLiteral("View1"));
    auto* tools = form.findChild<QMenu*>(QStringLiteral("Tools1"));
    bar->insertMenu(tools ? tools->menuAction() : nullptr, menu);
    return menu;
}

} // namespace quorvex
