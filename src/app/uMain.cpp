#include "uMain.h"

#include "UAbout.h"
#include "uCompareActions.h"
#include "uCountBinding.h"
#include "uEntryMenu.h"
#include "uLiveTree.h"
#include "uMainIcons.h"
#include "uNavigation.h"
#include "uScanFileActions.h"
#include "uShell.h"
#include "uTheme.h"
#include "uTreemapBinding.h"
#include "uViewBinding.h"
#include "uWindowMemory.h"

#include <QAction>
#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTreeView>
#include <QVBoxLayout>

namespace quorvex {

namespace {

constexpr int GroupTableHeight = 178;
constexpr int PieChartWidth = 500;

// ---- Views -----------------------------------------------------------------------------------

void SetTextColour(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

QLabel* NewLabel(const QString& text, const char* name, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

QLabel* NewValueLabel(const char* name, QWidget* parent) {
    QLabel* label = NewLabel(QStringLiteral("A"), name, parent);
    SetTextColour(label, ThemeColours().Link);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

// ---- TMainForm -------------------------------------------------------------------------------

TMainForm::TMainForm(QWidget* parent)
    : QMainWindow(parent), ImageList1(MakeTabIcons()), GroupImage(MakeGroupIcons()) {
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Quorvex"));
    QFont font(QStringLiteral("Sans Serif"), 8);
    font.setStyleHint(QFont::SansSerif);
    setFont(font);

    SetupMenus();
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("Panel2"));
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(SetupTopBar());

    auto* splitter = new QSplitter(Qt::Horizontal, central);
    splitter->setObjectName(QStringLiteral("Splitter1"));
    VTLeft = NewView("VTLeft", true);
    splitter->addWidget(VTLeft);
    splitter->addWidget(SetupTabs());
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({283, 1034 - 283});
    layout->addWidget(splitter, 1);
    setCentralWidget(central);

    lblScanState = new QLabel(this);
    lblScanState->setObjectName(QStringLiteral("lblScanState"));
    statusBar()->addWidget(lblScanState, 1);

    resize(1034, 612);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    ConnectHandlers();
}

// A window destroyed without being closed still lets go of its views' models first.
TMainForm::~TMainForm() {
    if (FBinding)
        FormClose();
}

void TMainForm::SetupMenus() {
    auto addAction = [](QWidget* owner, const QString& text, const char* name,
                        const QKeySequence& key = {}) {
        auto* action = new QAction(text, owner);
        action->setShortcut(key);
        action->setObjectName(QLatin1String(name));
        owner->addAction(action);
        return action;
    };
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("File1"));
    connect(addAction(file, QStringLiteral("Open To Scan"), "OpenToScan1",
                      QKeySequence(Qt::CTRL | Qt::Key_O)),
            &QAction::triggered, this, &TMainForm::OpenToScan1Click);
    file->addSeparator();
    connect(addAction(file, QStringLiteral("Exit"), "Exit1", QKeySequence(Qt::CTRL | Qt::Key_Q)),
            &QAction::triggered, this, &TMainForm::Exit1Click);

    QMenu* tools = menuBar()->addMenu(QStringLiteral("&Tools"));
    tools->setObjectName(QStringLiteral("Tools1"));
    connect(addAction(tools, QStringLiteral("Options"), "Options1"), &QAction::triggered, this,
            &TMainForm::Options1Click);
    connect(addAction(tools, QStringLiteral("Generate Report"), "Export1"), &QAction::triggered,
            this, &TMainForm::Export1Click);

    // Help and About are items of the menu bar itself: a click acts at once.
    connect(addAction(menuBar(), QStringLiteral("&Help"), "m2"), &QAction::triggered, this,
            &TMainForm::m2Click);
    connect(addAction(menuBar(), QStringLiteral("&About"), "m1"), &QAction::triggered, this,
            &TMainForm::m1Click);
}

QWidget* TMainForm::SetupTopBar() {
    auto* bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("Panel1"));
    bar->setFixedHeight(43);
    auto* layout = new QHBoxLayout(bar);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(8);

    btnOpen = new QPushButton(QStringLiteral("  &Open Folder To Scan"), bar);
    btnOpen->setObjectName(QStringLiteral("btnOpen"));
    btnOpen->setFixedSize(255, 41);
    btnOpen->setFocusPolicy(Qt::NoFocus);
    btnOpen->setIcon(OpenButtonIcon());
    btnOpen->setIconSize(QSize(32, 32));
    QFont bold = btnOpen->font();
    bold.setBold(true);
    btnOpen->setFont(bold);
    layout->addWidget(btnOpen);

    Label1 = NewLabel(QStringLiteral("Current Root:"), "Label1", bar);
    lbPath = NewLabel(QStringLiteral("Current Path"), "lbPath", bar);
    SetTextColour(lbPath, ThemeColours().Link);
    lbPath->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addSpacing(8);
    layout->addWidget(Label1);
    layout->addWidget(lbPath, 1);
    return bar;
}

QTreeView* TMainForm::NewView(const char* name, bool nested) {
    auto* view = new QTreeView(this);
    view->setObjectName(QLatin1String(name));
    StyleTreeView(view, nested);
    return view;
}

QChartView* TMainForm::NewChart(const char* name, bool legend) {
    auto* chart = new QChart;
    chart->setTitle(QString());
    chart->legend()->setVisible(legend);
    chart->legend()->setAlignment(Qt::AlignRight);
    const TThemeColours colours = ThemeColours();
    QLinearGradient gradient(0, 0, 0, 1);
    gradient.setCoordinateMode(QGradient::ObjectBoundingMode);
    gradient.setColorAt(0, colours.ChartTop);
    gradient.setColorAt(1, colours.ChartBottom);
    chart->setBackgroundBrush(gradient);
    chart->setBackgroundRoundness(0);
    chart->setPlotAreaBackgroundBrush(colours.PlotBack);
    chart->setPlotAreaBackgroundVisible(true);
    chart->legend()->setLabelColor(colours.ChartText);

    auto* view = new QChartView(chart, this); // the view owns the chart
    view->setObjectName(QLatin1String(name));
    view->setRenderHint(QPainter::Antialiasing);
    return view;
}

QWidget* TMainForm::NewGroupPage(QTreeView* table, QChartView* pie, QChartView* bar) {
    auto* page = new QSplitter(Qt::Vertical, this);
    page->setObjectName(QStringLiteral("spl") + table->objectName());
    page->setChildrenCollapsible(false);
    auto* charts = new QSplitter(Qt::Horizontal, page);
    charts->setObjectName(QStringLiteral("splCharts") + table->objectName());
    charts->setChildrenCollapsible(false);
    charts->addWidget(pie);
    charts->addWidget(bar);
    charts->setStretchFactor(0, 0);
    charts->setStretchFactor(1, 1);
    charts->setSizes({PieChartWidth, PieChartWidth});

    page->addWidget(table);
    page->addWidget(charts);
    // Only the charts grow with the window; the table and the pie keep their size.
    page->setStretchFactor(0, 0);
    page->setStretchFactor(1, 1);
    page->setSizes({GroupTableHeight, 4 * GroupTableHeight});
    return page;
}

QTabWidget* TMainForm::NewInnerTabs(const char* name) {
    auto* tabs = new QTabWidget(this);
    tabs->setObjectName(QLatin1String(name));
    tabs->setIconSize(QSize(16, 16));
    return tabs;
}

QWidget* TMainForm::SetupTabs() {
    pcTotal = new QTabWidget(this);
    pcTotal->setObjectName(QStringLiteral("pcTotal"));
    pcTotal->setIconSize(QSize(32, 32));
    pcTotal->setUsesScrollButtons(true);
    const QString captions[] = {QStringLiteral("Summary"),    QStringLiteral("Folders "),
                                QStringLiteral("Files"),      QStringLiteral("Files Age"),
                                QStringLiteral("Files Type"), QStringLiteral("Files Name Length")};
    QWidget* pages[] = {SetupSummaryTab(), SetupFoldersTab(), SetupFilesTab(),
                        SetupAgeTab(),     SetupTypeTab(),    nullptr};
    VTName = NewView("VTName", false);
    chNamePie = NewChart("chNamePie", false);
    chNameBar = NewChart("chNameBar", false);
    pages[5] = NewGroupPage(VTName, chNamePie, chNameBar);
    for (int i = 0; i < 6; ++i)
        pcTotal->addTab(pages[i], ImageList1[i], captions[i]);
    pcTotal->setCurrentIndex(0);
    return pcTotal;
}

QWidget* TMainForm::SetupSummaryTab() {
    QTabWidget* tabs = NewInnerTabs("pcSummary");
    VTDetail = NewView("VTDetail", true);
    tabs->addTab(SetupSummaryPage(), GroupImage[giSummary], QStringLiteral("Summary"));
    tabs->addTab(VTDetail, GroupImage[giTree], QStringLiteral("Total List"));
    return tabs;
}

QWidget* TMainForm::SetupSummaryPage() {
    auto* page = new QWidget(this);
    page->setObjectName(QStringLiteral("tsSummary"));
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->setSpacing(12);

    auto* values = new QGridLayout;
    values->setHorizontalSpacing(12);
    values->setVerticalSpacing(10);
    const struct {
        const char* Caption;
        const char* CaptionName;
        QLabel* TMainForm::*Value;
        const char* ValueName;
    } rows[] = {
        {"Folder Path:", "lbFolderPathCaption", &TMainForm::lblFolderPath, "lblFolderPath"},
        {"Total Sizes:", "lbFileSizeCaption", &TMainForm::lblFileSize, "lblFileSize"},
        {"Folders Quantity:", "lbFolderQtyCaption", &TMainForm::lblFolderQty, "lblFolderQty"},
        {" Files Quantity:", "lbFileQtyCaption", &TMainForm::lblFileQty, "lblFileQty"},
        {"Files Type Quantity:", "lbTypeQtyCaption", &TMainForm::lblTypeQty, "lblTypeQty"},
        {"Folders Not Scanned:", "lbNotScannedQtyCaption", &TMainForm::lblNotScannedQty,
         "lblNotScannedQty"}};
    int row = 0;
    for (const auto& r : rows) {
        values->addWidget(NewLabel(QString::fromLatin1(r.Caption), r.CaptionName, page), row, 0);
        this->*r.Value = NewValueLabel(r.ValueName, page);
        values->addWidget(this->*r.Value, row++, 1);
    }
    values->setColumnStretch(1, 1);
    layout->addLayout(values);

    auto* line = new QFrame(page);
    line->setObjectName(QStringLiteral("Bevel1"));
    line->setFixedHeight(2);
    line->setStyleSheet(QStringLiteral("#Bevel1 { border: none; border-top: 1px dotted %1; }")
                            .arg(ThemeColours().Link.name()));
    layout->addWidget(line);

    QLabel* heading = NewLabel(QStringLiteral("Files Reports:"), "Label8", page);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    SetTextColour(heading, ThemeColours().Link);
    layout->addWidget(heading);
    layout->addWidget(SetupReportLinks());
    lblAccessTimes = NewLabel({}, "lblAccessTimes", page);
    lblAccessTimes->setWordWrap(true);
    lblAccessTimes->setContentsMargins(16, 0, 0, 0); // under the links
    // Room for the wrapped note from the start: the page's splitter is sized before a scan
    // gives the label its text.
    lblAccessTimes->setMinimumHeight(2 * lblAccessTimes->fontMetrics().lineSpacing());
    layout->addWidget(lblAccessTimes);
    layout->addStretch(1);
    return page;
}

QWidget* TMainForm::SetupReportLinks() {
    auto* box = new QWidget(this);
    box->setObjectName(QStringLiteral("pnlReports"));
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(16, 0, 0, 0);
    grid->setHorizontalSpacing(48);
    grid->setVerticalSpacing(10);
    const struct {
        TLinkLabel* TMainForm::*Link;
        const char* Name;
        const char* Text;
        int Row, Column;
    } links[] = {
        {&TMainForm::Label9, "Label9", "Empty Folders Report :", 0, 0},
        {&TMainForm::Label11, "Label11", "Empty Files Report :", 1, 0},
        {&TMainForm::Label12, "Label12", "The Oldest Files Report :", 2, 0},
        {&TMainForm::Label2, "Label2", "The Largest Files Report :", 3, 0},
        {&TMainForm::Label13, "Label13", "Files Never Used Last Year Report :", 0, 1},
        {&TMainForm::Label3, "Label3", "Files Never Used Last Two Years Report :", 1, 1},
        {&TMainForm::Label6, "Label6", "Files Never Used Last Three Years Report :", 2, 1},
        {&TMainForm::lnkNotScanned, "lnkNotScanned", "Folders Not Scanned Report :", 3, 1}};
    for (const auto& l : links) {
        auto* link = new TLinkLabel(QString::fromLatin1(l.Text), box);
        link->setObjectName(QLatin1String(l.Name));
        grid->addWidget(link, l.Row, l.Column, Qt::AlignLeft);
        this->*l.Link = link;
    }
    grid->setColumnStretch(2, 1);
    return box;
}

QWidget* TMainForm::SetupFoldersTab() {
    QTabWidget* tabs = NewInnerTabs("pcFolders");
    VTFolderSize = NewView("VTFolderSize", false);
    VTFolderAll = NewView("VTFolderAll", false);
    VTFolderEmpty = NewView("VTFolderEmpty", false);
    VTFolderNotScanned = NewView("VTFolderNotScanned", false);
    chFolderPie = NewChart("chFolderPie", false);
    chFolderBar = NewChart("chFolderBar", false);
    tabs->addTab(NewGroupPage(VTFolderSize, chFolderPie, chFolderBar), GroupImage[giGroup],
                 QStringLiteral("Size Group"));
    tabs->addTab(VTFolderAll, GroupImage[giFolder], QStringLiteral("All Folders"));
    tabs->addTab(VTFolderEmpty, GroupImage[giEmptyFolder], QStringLiteral("Empty Folders"));
    tabs->addTab(VTFolderNotScanned, GroupImage[giEmptyFolder], QStringLiteral("Not Scanned"));
    return tabs;
}

QWidget* TMainForm::SetupFilesTab() {
    QTabWidget* tabs = NewInnerTabs("pcFiles");
    VTFileSize = NewView("VTFileSize", false);
    VTFileAll = NewView("VTFileAll", false);
    VTFileEmpty = NewView("VTFileEmpty", false);
    chFilePie = NewChart("chFilePie", false);
    chFileBar = NewChart("chFileBar", false);
    tabs->addTab(NewGroupPage(VTFileSize, chFilePie, chFileBar), GroupImage[giGroup],
                 QStringLiteral("Size Group"));
    tabs->addTab(VTFileAll, GroupImage[giFile], QStringLiteral("All Files"));
    tabs->addTab(VTFileEmpty, GroupImage[giEmptyFile], QStringLiteral("Empty Files"));
    return tabs;
}

QWidget* TMainForm::SetupAgeTab() {
    QTabWidget* tabs = NewInnerTabs("pcAge");
    VTAgeCreate = NewView("VTAgeCreate", false);
    VTAgeWrite = NewView("VTAgeWrite", false);
    VTAgeAccess = NewView("VTAgeAccess", false);
    chAgeCreatePie = NewChart("chAgeCreatePie", false);
    chAgeCreateBar = NewChart("chAgeCreateBar", false);
    chAgeWritePie = NewChart("chAgeWritePie", false);
    chAgeWriteBar = NewChart("chAgeWriteBar", false);
    chAgeAccessPie = NewChart("chAgeAccessPie", false);
    chAgeAccessBar = NewChart("chAgeAccessBar", false);
    tabs->addTab(NewGroupPage(VTAgeCreate, chAgeCreatePie, chAgeCreateBar),
                 GroupImage[giCreateTime], QStringLiteral("File Create Time"));
    tabs->addTab(NewGroupPage(VTAgeWrite, chAgeWritePie, chAgeWriteBar), GroupImage[giWriteTime],
                 QStringLiteral("File Write Time"));
    tabs->addTab(NewGroupPage(VTAgeAccess, chAgeAccessPie, chAgeAccessBar),
                 GroupImage[giAccessTime], QStringLiteral("File Access Time"));
    return tabs;
}

QWidget* TMainForm::SetupTypeTab() {
    QTabWidget* tabs = NewInnerTabs("pcType");
    VTType = NewView("VTType", false);
    chTypePie = NewChart("chTypePie", true);
    chTypeBar = NewChart("chTypeBar", true);
    tabs->addTab(VTType, GroupImage[giTypeList], QStringLiteral("Type List"));
    tabs->addTab(chTypePie, GroupImage[giPie], QStringLiteral("Pie Graph"));
    tabs->addTab(chTypeBar, GroupImage[giBar], QStringLiteral("Bar Graph"));
    return tabs;
}

void TMainForm::ConnectHandlers() {
    connect(btnOpen, &QPushButton::clicked, this, &TMainForm::btnOpenClick);
    connect(VTLeft, &QTreeView::clicked, this, &TMainForm::VTLeftClick);
    const std::pair<TLinkLabel*, void (TMainForm::*)()> links[] = {
        {Label9, &TMainForm::Label9Click},   {Label11, &TMainForm::Label11Click},
        {Label12, &TMainForm::Label12Click}, {Label2, &TMainForm::Label2Click},
        {Label13, &TMainForm::Label13Click}, {Label3, &TMainForm::Label3Click},
        {Label6, &TMainForm::Label6Click},   {lnkNotScanned, &TMainForm::lnkNotScannedClick}};
    for (const auto& [label, handler] : links)
        connect(label, &TLinkLabel::clicked, this, handler);
}

void TMainForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!FShown) {
        FShown = true;
        FormShow();
    }
}

void TMainForm::OpenToScan1Click() {
    btnOpenClick();
}

void TMainForm::Exit1Click() {
    close();
}

void TMainForm::m1Click() {
    TFMAbout about(this);
    about.exec();
}

} // namespace quorvex
