#include "uMain.h"

#include "UAbout.h"
#include "uLiveTree.h"
#include "uNavigation.h"
#include "uShell.h"
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

const QColor LinkBlue(0, 0, 255);
const QColor HeaderBlue(123, 170, 255);
const QColor ChartBlue(0, 128, 255);
constexpr int GroupTableHeight = 178;
constexpr int PieChartWidth = 500;

// ---- Drawn icons -----------------------------------------------------------------------------
// Every icon is drawn on a 32-unit canvas and rendered at 16 and 32 pixels, so the program
// needs no image files and the pictures are our own.

using TDrawFn = void (*)(QPainter&);

QPixmap RenderIcon(TDrawFn draw, int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    draw(p);
    return pixmap;
}

QIcon DrawnIcon(TDrawFn draw) {
    QIcon icon;
    for (int size : {16, 24, 32})
        icon.addPixmap(RenderIcon(draw, size));
    return icon;
}

void PaintFolder(QPainter& p, bool empty) {
    const QColor edge(176, 124, 20);
    QPainterPath back;
    back.moveTo(3, 7);
    back.lineTo(12, 7);
    back.lineTo(15, 10);
    back.lineTo(29, 10);
    back.lineTo(29, 27);
    back.lineTo(3, 27);
    back.closeSubpath();
    QPen pen(edge, 1.6);
    if (empty)
        pen.setStyle(Qt::DashLine);
    p.setPen(pen);
    p.setBrush(empty ? QColor(255, 246, 222) : QColor(232, 178, 48));
    p.drawPath(back);
    if (!empty) {
        p.setBrush(QColor(252, 212, 96));
        p.drawRect(QRectF(3, 14, 26, 13));
    }
}

void PaintPage(QPainter& p, bool empty) {
    QPainterPath page;
    page.moveTo(7, 3);
    page.lineTo(20, 3);
    page.lineTo(26, 9);
    page.lineTo(26, 29);
    page.lineTo(7, 29);
    page.closeSubpath();
    QPen pen(QColor(100, 110, 125), 1.6);
    if (empty)
        pen.setStyle(Qt::DashLine);
    p.setPen(pen);
    p.setBrush(Qt::white);
    p.drawPath(page);
    p.drawPolyline(QPolygonF({QPointF(20, 3), QPointF(20, 9), QPointF(26, 9)}));
    if (empty)
        return;
    p.setPen(QPen(ChartBlue, 1.6));
    for (int y = 14; y <= 25; y += 4)
        p.drawLine(QPointF(10, y), QPointF(23, y));
}

void PaintPie(QPainter& p, const QRectF& r) {
    const struct {
        int Start, Span;
        QColor Colour;
    } slices[] = {
        {90, 200, ChartBlue}, {290, 100, QColor(255, 150, 30)}, {30, 60, QColor(60, 180, 75)}};
    p.setPen(QPen(Qt::white, 1));
    for (const auto& s : slices) {
        p.setBrush(s.Colour);
        p.drawPie(r, s.Start * 16, s.Span * 16);
    }
}

void PaintClock(QPainter& p, const QColor& hands) {
    p.setPen(QPen(QColor(40, 90, 170), 2.2));
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(16, 16), 12.5, 12.5);
    for (int i = 0; i < 12; i += 3) {
        p.save();
        p.translate(16, 16);
        p.rotate(i * 30);
        p.drawLine(QPointF(0, -10.5), QPointF(0, -8.5));
        p.restore();
    }
    p.setPen(QPen(hands, 2.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(16, 16), QPointF(16, 8));
    p.drawLine(QPointF(16, 16), QPointF(22, 18));
}

void PaintBars(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(230, 60, 50));
    p.drawRect(QRectF(5, 16, 6, 12));
    p.setBrush(ChartBlue);
    p.drawRect(QRectF(13, 6, 6, 22));
    p.setBrush(QColor(60, 180, 75));
    p.drawRect(QRectF(21, 12, 6, 16));
    p.setPen(QPen(QColor(70, 70, 70), 1.6));
    p.drawLine(QPointF(3, 28.5), QPointF(29, 28.5));
}

void PaintGroup(QPainter& p) {
    const QColor colours[] = {ChartBlue, QColor(255, 150, 30), QColor(60, 180, 75)};
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 3; ++i) {
        p.setBrush(colours[i]);
        p.drawRoundedRect(QRectF(4, 4 + i * 9, 24, 7), 2, 2);
    }
}

void PaintTree(QPainter& p) {
    p.setPen(QPen(QColor(90, 90, 90), 1.6));
    p.drawPolyline(QPolygonF({QPointF(8, 10), QPointF(8, 25), QPointF(15, 25)}));
    p.drawLine(QPointF(8, 16), QPointF(15, 16));
    p.setPen(QPen(QColor(176, 124, 20), 1.4));
    p.setBrush(QColor(252, 212, 96));
    p.drawRect(QRectF(3, 3, 11, 8));
    p.drawRect(QRectF(15, 12, 13, 8));
    p.drawRect(QRectF(15, 21, 13, 8));
}

void PaintTypeList(QPainter& p) {
    const QColor colours[] = {ChartBlue, QColor(255, 150, 30), QColor(60, 180, 75),
                              QColor(230, 60, 50)};
    for (int i = 0; i < 4; ++i) {
        const qreal y = 4 + i * 7;
        p.setPen(Qt::NoPen);
        p.setBrush(colours[i]);
        p.drawRect(QRectF(3, y, 6, 5));
        p.setPen(QPen(QColor(90, 90, 90), 1.8));
        p.drawLine(QPointF(12, y + 2.5), QPointF(29, y + 2.5));
    }
}

void PaintTag(QPainter& p) {
    QPainterPath tag;
    tag.moveTo(3, 16);
    tag.lineTo(13, 5);
    tag.lineTo(29, 5);
    tag.lineTo(29, 27);
    tag.lineTo(13, 27);
    tag.closeSubpath();
    p.setPen(QPen(QColor(170, 90, 10), 1.6));
    p.setBrush(QColor(255, 170, 60));
    p.drawPath(tag);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(11, 16), 2.5, 2.5);
    p.setPen(QPen(Qt::white, 2));
    p.drawLine(QPointF(17, 12), QPointF(26, 12));
    p.drawLine(QPointF(17, 20), QPointF(24, 20));
}

void PaintNameLength(QPainter& p) {
    QFont font(QStringLiteral("Sans Serif"));
    font.setPixelSize(15);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(40, 90, 170));
    p.drawText(QRectF(0, 1, 32, 17), Qt::AlignCenter, QStringLiteral("Ab"));
    p.setPen(QPen(QColor(90, 90, 90), 1.6));
    p.setBrush(QColor(255, 236, 160));
    p.drawRect(QRectF(2, 20, 28, 9));
    for (int x = 6; x < 30; x += 4)
        p.drawLine(QPointF(x, 20), QPointF(x, x % 8 == 6 ? 26 : 24));
}

void PaintMagnifier(QPainter& p) {
    p.setPen(QPen(QColor(60, 60, 60), 3.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(24, 24), QPointF(30, 30));
    p.setPen(QPen(QColor(60, 60, 60), 2.2));
    p.setBrush(QColor(210, 235, 255, 200));
    p.drawEllipse(QPointF(19, 19), 7, 7);
}

std::vector<QIcon> MakeTabIcons() {
    return {DrawnIcon([](QPainter& p) {
                PaintPage(p, false);
                PaintPie(p, QRectF(15, 17, 14, 14));
            }),
            DrawnIcon([](QPainter& p) { PaintFolder(p, false); }),
            DrawnIcon([](QPainter& p) { PaintPage(p, false); }),
            DrawnIcon([](QPainter& p) { PaintClock(p, QColor(230, 60, 50)); }),
            DrawnIcon(PaintTag),
            DrawnIcon(PaintNameLength)};
}

std::vector<QIcon> MakeGroupIcons() {
    std::vector<QIcon> icons(giCount);
    icons[giGroup] = DrawnIcon(PaintGroup);
    icons[giSummary] = DrawnIcon([](QPainter& p) { PaintPage(p, false); });
    icons[giTree] = DrawnIcon(PaintTree);
    icons[giFolder] = DrawnIcon([](QPainter& p) { PaintFolder(p, false); });
    icons[giEmptyFolder] = DrawnIcon([](QPainter& p) { PaintFolder(p, true); });
    icons[giFile] = DrawnIcon([](QPainter& p) { PaintPage(p, false); });
    icons[giEmptyFile] = DrawnIcon([](QPainter& p) { PaintPage(p, true); });
    icons[giCreateTime] = DrawnIcon([](QPainter& p) { PaintClock(p, QColor(60, 160, 60)); });
    icons[giWriteTime] = DrawnIcon([](QPainter& p) { PaintClock(p, QColor(230, 60, 50)); });
    icons[giAccessTime] = DrawnIcon([](QPainter& p) { PaintClock(p, ChartBlue); });
    icons[giTypeList] = DrawnIcon(PaintTypeList);
    icons[giPie] = DrawnIcon([](QPainter& p) { PaintPie(p, QRectF(3, 3, 26, 26)); });
    icons[giBar] = DrawnIcon(PaintBars);
    return icons;
}

QIcon OpenButtonIcon() {
    return DrawnIcon([](QPainter& p) {
        p.save();
        p.translate(-1, -2);
        PaintFolder(p, false);
        p.restore();
        PaintMagnifier(p);
    });
}

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
    SetTextColour(label, LinkBlue);
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
    SetTextColour(lbPath, LinkBlue);
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
    QLinearGradient gradient(0, 0, 0, 1);
    gradient.setCoordinateMode(QGradient::ObjectBoundingMode);
    gradient.setColorAt(0, ChartBlue);
    gradient.setColorAt(1, Qt::white);
    chart->setBackgroundBrush(gradient);
    chart->setBackgroundRoundness(0);
    chart->setPlotAreaBackgroundBrush(Qt::white);
    chart->setPlotAreaBackgroundVisible(true);

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
    line->setStyleSheet(QStringLiteral("#Bevel1 { border: none; border-top: 1px dotted blue; }"));
    layout->addWidget(line);

    QLabel* heading = NewLabel(QStringLiteral("Files Reports:"), "Label8", page);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    SetTextColour(heading, LinkBlue);
    layout->addWidget(heading);
    layout->addWidget(SetupReportLinks());
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
