// The main window's layout, the shared look of its views and its About box, checked on the
// built widgets (offscreen). Set QUORVEX_GRAB_DIR to also save screenshots there.
#include "UAbout.h"
#include "uAppIcon.h"
#include "uMain.h"

#include <QAction>
#include <QChart>
#include <QChartView>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QSplitter>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <memory>

using namespace quorvex;

namespace {

const QColor Blue(0, 0, 255);

QStringList TabTexts(const QTabWidget* tabs) {
    QStringList texts;
    for (int i = 0; i < tabs->count(); ++i)
        texts << tabs->tabText(i);
    return texts;
}

/// Pixels of `image` within `tolerance` of `colour` in every channel.
int CountColour(const QImage& image, const QColor& colour, int tolerance = 40) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (qAbs(c.red() - colour.red()) <= tolerance &&
                qAbs(c.green() - colour.green()) <= tolerance &&
                qAbs(c.blue() - colour.blue()) <= tolerance)
                ++count;
        }
    return count;
}

void SaveGrab(QWidget* widget, const QString& name) {
    const QString dir = qEnvironmentVariable("QUORVEX_GRAB_DIR");
    if (!dir.isEmpty())
        widget->grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}

} // namespace

class MainWindowLayoutTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase() { Form.reset(); }

    void windowAndTopBar();
    void tabsAndTheirViews_data();
    void tabsAndTheirViews();
    void summaryPageTexts();
    void everyViewSharesTheLook();
    void headerIsLightBlueAndRowsHaveGridLines();
    void groupPagesKeepTableAndPieSize();
    void chartsAreEmptyAndStyled();
    void reportLinksEmitOneClick();
    void menusAndDirectMenuBarItems();
    void aboutBoxOpensModallyFromTheMenuBar();
    void applicationIconHasEveryThemeSize();
    void windowIsDrawnWithText();
    void exitClosesTheWindow();

private:
    QTemporaryDir ConfigDir;
    int FolderPicks = 0;
    std::unique_ptr<TMainForm> Form;
};

void MainWindowLayoutTest::initTestCase() {
    Form = std::make_unique<TMainForm>();
    Form->FConfigFile = ConfigDir.filePath(QStringLiteral("KestrixFAConfig.xml")).toStdString();
    Form->FBrowseForFolder = [this](QString&) {
        ++FolderPicks;
        return false; // cancelled: nothing else happens
    };
    Form->show();
    QVERIFY(QTest::qWaitForWindowExposed(Form.get()));
}

void MainWindowLayoutTest::windowAndTopBar() {
    QCOMPARE(Form->windowTitle(), QStringLiteral("Quorvex"));
    QCOMPARE(Form->size(), QSize(1034, 612));
    QCOMPARE(Form->font().pointSize(), 8);
    QCOMPARE(Form->btnOpen->text(), QStringLiteral("  &Open Folder To Scan"));
    QCOMPARE(Form->btnOpen->size(), QSize(255, 41));
    QCOMPARE(Form->btnOpen->focusPolicy(), Qt::NoFocus);
    QVERIFY(Form->btnOpen->font().bold());
    QVERIFY(!Form->btnOpen->icon().isNull());
    QCOMPARE(Form->btnOpen->parentWidget()->height(), 43);
    QCOMPARE(Form->Label1->text(), QStringLiteral("Current Root:"));
    QCOMPARE(Form->lbPath->text(), QStringLiteral("Current Path"));
    QCOMPARE(Form->lbPath->palette().color(QPalette::WindowText), Blue);
    QCOMPARE(Form->VTLeft->width(), 283);
    QVERIFY(Form->lblScanState && Form->lblScanState->isVisible());

    // Alt+O is the button's mnemonic although the button never takes the focus.
    QApplication::setActiveWindow(Form.get());
    QVERIFY(QTest::qWaitForWindowActive(Form.get()));
    QSignalSpy clicked(Form->btnOpen, &QPushButton::clicked);
    QTest::keyClick(Form.get(), Qt::Key_O, Qt::AltModifier);
    QTRY_COMPARE(clicked.count(), 1);
    QCOMPARE(FolderPicks, 1);
}

void MainWindowLayoutTest::tabsAndTheirViews_data() {
    QTest::addColumn<int>("tab");
    QTest::addColumn<QStringList>("innerTabs");
    QTest::addColumn<QStringList>("views");
    QTest::newRow("Summary") << 0 << QStringList{"Summary", "Total List"}
                             << QStringList{"lblFolderPath", "VTDetail"};
    QTest::newRow("Folders") << 1
                             << QStringList{"Size Group", "All Folders", "Empty Folders",
                                            "Not Scanned"}
                             << QStringList{"VTFolderSize", "chFolderPie",   "chFolderBar",
                                            "VTFolderAll",  "VTFolderEmpty", "VTFolderNotScanned"};
    QTest::newRow("Files") << 2 << QStringList{"Size Group", "All Files", "Empty Files"}
                           << QStringList{"VTFileSize", "chFilePie", "chFileBar", "VTFileAll",
                                          "VTFileEmpty"};
    QTest::newRow("Age") << 3
                         << QStringList{"File Create Time", "File Write Time", "File Access Time"}
                         << QStringList{"VTAgeCreate", "chAgeCreatePie", "chAgeCreateBar",
                                        "VTAgeWrite",  "chAgeWritePie",  "chAgeWriteBar",
                                        "VTAgeAccess", "chAgeAccessPie", "chAgeAccessBar"};
    QTest::newRow("Type") << 4 << QStringList{"Type List", "Pie Graph", "Bar Graph"}
                          << QStringList{"VTType", "chTypePie", "chTypeBar"};
    QTest::newRow("Name") << 5 << QStringList{} << QStringList{"VTName", "chNamePie", "chNameBar"};
}

void MainWindowLayoutTest::tabsAndTheirViews() {
    QFETCH(int, tab);
    QFETCH(QStringList, innerTabs);
    QFETCH(QStringList, views);
    QCOMPARE(TabTexts(Form->pcTotal), (QStringList{"Summary", "Folders ", "Files", "Files Age",
                                                   "Files Type", "Files Name Length"}));
    QCOMPARE(Form->pcTotal->iconSize(), QSize(32, 32));
    QVERIFY(!Form->pcTotal->tabIcon(tab).isNull());
    QCOMPARE(Form->pcTotal->currentIndex(), 0);

    QWidget* page = Form->pcTotal->widget(tab);
    auto* inner = qobject_cast<QTabWidget*>(page);
    QCOMPARE(inner ? TabTexts(inner) : QStringList{}, innerTabs);
    if (inner) {
        QCOMPARE(inner->currentIndex(), 0);
        QCOMPARE(inner->iconSize(), QSize(16, 16));
        for (int i = 0; i < inner->count(); ++i)
            QVERIFY(!inner->tabIcon(i).isNull());
    }
    for (const QString& name : views)
        QVERIFY2(page->findChild<QWidget*>(name), qPrintable(name));
}

void MainWindowLayoutTest::summaryPageTexts() {
    QWidget* page = Form->findChild<QWidget*>(QStringLiteral("tsSummary"));
    QVERIFY(page);
    QStringList captions;
    for (const QLabel* label : page->findChildren<QLabel*>())
        captions << label->text();
    for (const char* text : {"Folder Path:", "Total Sizes:", "Folders Quantity:",
                             " Files Quantity:", "Files Type Quantity:", "Files Reports:"})
        QVERIFY2(captions.contains(QLatin1String(text)), text);
    for (QLabel* value : {Form->lblFolderPath, Form->lblFileSize, Form->lblFolderQty,
                          Form->lblFileQty, Form->lblTypeQty}) {
        QCOMPARE(value->text(), QStringLiteral("A"));
        QCOMPARE(value->palette().color(QPalette::WindowText), Blue);
        QVERIFY(page->isAncestorOf(value));
    }
    const QLabel* heading = page->findChild<QLabel*>(QStringLiteral("Label8"));
    QVERIFY(heading->font().bold());
    QCOMPARE(heading->palette().color(QPalette::WindowText), Blue);
}

void MainWindowLayoutTest::everyViewSharesTheLook() {
    const QList<QTreeView*> views = Form->findChildren<QTreeView*>();
    QCOMPARE(views.size(), 14);
    for (QTreeView* view : views) {
        const QString name = view->objectName();
        const bool nested = name == "VTLeft" || name == "VTDetail";
        QVERIFY2(view->uniformRowHeights(), qPrintable(name));
        QCOMPARE(view->rootIsDecorated(), nested);
        QCOMPARE(view->itemsExpandable(), nested);
        QVERIFY(!view->isSortingEnabled());
        QCOMPARE(view->selectionBehavior(), QAbstractItemView::SelectRows);
        QVERIFY(!view->header()->isHidden());
        QVERIFY(view->header()->sectionsMovable());
        // The range tables do not sort, so their headers never show an arrow.
        const bool sorts = !QStringList{"VTFolderSize", "VTFileSize",  "VTAgeCreate",
                                        "VTAgeWrite",   "VTAgeAccess", "VTName"}
                                .contains(name);
        QCOMPARE(view->header()->isSortIndicatorShown(), sorts);
        QCOMPARE(view->header()->sortIndicatorSection(), -1); // no arrow before a sort
        QCOMPARE(view->header()->sizeHint().height(), 17);
        const QPalette& p = view->palette();
        QCOMPARE(p.color(QPalette::Inactive, QPalette::Highlight),
                 p.color(QPalette::Active, QPalette::Highlight));
        QCOMPARE(p.color(QPalette::Inactive, QPalette::HighlightedText),
                 p.color(QPalette::Active, QPalette::HighlightedText));
    }
    QCOMPARE(Form->VTLeft->header()->height(), 17);
}

void MainWindowLayoutTest::headerIsLightBlueAndRowsHaveGridLines() {
    QTreeView view;
    StyleTreeView(&view, false);
    QStandardItemModel model(3, 2);
    model.setHorizontalHeaderLabels({"A", "B"});
    view.setModel(&model);
    view.header()->resizeSection(0, 120);
    view.resize(300, 150);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    const QImage image = view.grab().toImage();
    QCOMPARE(image.pixelColor(60, 4), QColor(123, 170, 255));
    // One horizontal line under each row, one vertical line between the columns.
    const int rowHeight = view.visualRect(model.index(0, 0)).height();
    const int y = view.header()->height() + view.frameWidth() + rowHeight - 1;
    QCOMPARE(image.pixelColor(60, y), QColor(216, 216, 216));
    const int x = view.frameWidth() + 119;
    QCOMPARE(image.pixelColor(x, y - rowHeight / 2), QColor(216, 216, 216));

    // The row under the mouse is tinted across all its columns.
    const QRect hovered = view.visualRect(model.index(2, 1));
    QTest::mouseMove(view.viewport(), hovered.center());
    const QPoint inFirstColumn = view.viewport()->mapTo(&view, QPoint(60, hovered.center().y()));
    QTRY_VERIFY(view.grab().toImage().pixelColor(inFirstColumn) != QColor(Qt::white));
}

void MainWindowLayoutTest::groupPagesKeepTableAndPieSize() {
    // The page's own layout, with all the height the window gives the tabs.
    auto* treemap = Form->findChild<QAction*>("Treemap1");
    QVERIFY(treemap);
    treemap->setChecked(false);
    Form->pcTotal->setCurrentIndex(5);
    Form->resize(1300, 800);
    QTRY_COMPARE(Form->VTName->height(), 178);
    QCOMPARE(Form->chNamePie->width(), 500);
    QVERIFY(Form->chNameBar->width() > 200);
    QVERIFY(Form->chNameBar->height() > 300);
    Form->resize(1034, 612);
    QTRY_COMPARE(Form->VTName->height(), 178);
    QCOMPARE(Form->chNamePie->width(), 500);
    Form->pcTotal->setCurrentIndex(0);
    treemap->setChecked(true);
}

void MainWindowLayoutTest::chartsAreEmptyAndStyled() {
    const QList<QChartView*> charts = Form->findChildren<QChartView*>();
    QCOMPARE(charts.size(), 14);
    for (QChartView* view : charts) {
        const QString name = view->objectName();
        const bool legend = name == "chTypePie" || name == "chTypeBar";
        QCOMPARE(view->chart()->legend()->isVisible(), legend);
        QVERIFY(view->chart()->title().isEmpty());
        QVERIFY(view->chart()->series().isEmpty());
        QCOMPARE(view->chart()->plotAreaBackgroundBrush().color(), QColor(Qt::white));
        QVERIFY(view->renderHints().testFlag(QPainter::Antialiasing));
        const QGradient* gradient = view->chart()->backgroundBrush().gradient();
        QVERIFY2(gradient && gradient->stops().first().second == QColor(0, 128, 255),
                 qPrintable(name));
    }
}

void MainWindowLayoutTest::reportLinksEmitOneClick() {
    const QList<std::pair<TLinkLabel*, QString>> links = {
        {Form->Label9, "Empty Folders Report :"},
        {Form->Label11, "Empty Files Report :"},
        {Form->Label12, "The Oldest Files Report :"},
        {Form->Label2, "The Largest Files Report :"},
        {Form->Label13, "Files Never Used Last Year Report :"},
        {Form->Label3, "Files Never Used Last Two Years Report :"},
        {Form->Label6, "Files Never Used Last Three Years Report :"}};
    for (const auto& [link, text] : links) {
        QCOMPARE(link->text(), text);
        QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);
        QVERIFY(link->font().underline());
        QCOMPARE(link->palette().color(QPalette::WindowText), Blue);
        QSignalSpy clicked(link, &TLinkLabel::clicked);
        QTest::mouseClick(link, Qt::LeftButton);
        QCOMPARE(clicked.count(), 1);
        // Pressing and releasing outside the label is no click; nor is the right button.
        QTest::mousePress(link, Qt::LeftButton);
        QTest::mouseRelease(link, Qt::LeftButton, {}, QPoint(-5, -5));
        QTest::mouseClick(link, Qt::RightButton);
        QCOMPARE(clicked.count(), 1);
    }
    // The left column lies left of the right one, top rows aligned.
    QCOMPARE(Form->Label9->y(), Form->Label13->y());
    QVERIFY(Form->Label2->x() < Form->Label6->x());
}

void MainWindowLayoutTest::menusAndDirectMenuBarItems() {
    QStringList bar;
    for (const QAction* action : Form->menuBar()->actions())
        bar << action->text();
    QCOMPARE(bar, (QStringList{"&File", "&View", "&Tools", "&Help", "&About"}));
    const QList<QAction*> top = Form->menuBar()->actions();
    QVERIFY(top[0]->menu() && top[1]->menu() && top[2]->menu());
    QVERIFY(!top[3]->menu() && !top[4]->menu());

    QStringList file, view, tools;
    for (const QAction* action : top[0]->menu()->actions())
        file << (action->isSeparator() ? QStringLiteral("-") : action->text());
    for (const QAction* action : top[1]->menu()->actions())
        view << (action->isSeparator() ? QStringLiteral("-")
                                       : action->text() + " " + action->shortcut().toString());
    for (const QAction* action : top[2]->menu()->actions())
        tools << action->text();
    QCOMPARE(file, (QStringList{"Open To Scan", "&Recent Folders", "-", "Open Scan &File...",
                                "&Save Scan As...", "&Compare With Saved Scan...",
                                "Stop Co&mparing", "-", "Exit"}));
    QCOMPARE(view, (QStringList{"&Treemap Ctrl+T", "Treemap &Cushion Shading ",
                                "Treemap Tint by &Growth ", "-", "&Refresh F5", "-", "&Count "}));
    QCOMPARE(tools, (QStringList{"Options", "Generate Report"}));
}

void MainWindowLayoutTest::aboutBoxOpensModallyFromTheMenuBar() {
    QString title, name, web, mail;
    QSize size, iconSize;
    QTimer::singleShot(0, [&] {
        auto* about = qobject_cast<TFMAbout*>(QApplication::activeModalWidget());
        if (!about)
            return;
        if (const auto* icon = about->findChild<QLabel*>(QStringLiteral("imgIcon")))
            iconSize = icon->pixmap().size();
        title = about->windowTitle();
        size = about->size();
        name = about->Label1->text();
        web = about->Label5->text();
        mail = about->Label7->text();
        SaveGrab(about, QStringLiteral("about"));
        about->accept();
    });
    QAction* aboutItem = Form->findChild<QAction*>("m1");
    aboutItem->trigger(); // returns when the modal box is closed
    QCOMPARE(title, QStringLiteral("About Quorvex"));
    QCOMPARE(size, QSize(292, 152));
    QCOMPARE(name, QStringLiteral("Quorvex 2.7.5")); // the product's title, not the build's
    QCOMPARE(web, QStringLiteral("https://quorvex.org"));
    QCOMPARE(mail, QStringLiteral("dev@quorvex.org"));
    QVERIFY(!QApplication::activeModalWidget());
    QCOMPARE(iconSize, QSize(32, 32));
}

void MainWindowLayoutTest::applicationIconHasEveryThemeSize() {
    const QIcon icon = ApplicationIcon();
    const QList<QSize> sizes = icon.availableSizes();
    for (int side : {16, 22, 24, 32, 48, 64, 128, 256})
        QVERIFY2(sizes.contains(QSize(side, side)), qPrintable(QString::number(side)));
    // The 16 px drawing fills its square: opaque tiles inside, not a blur of the large one.
    const QImage small = icon.pixmap(16, 16).toImage();
    QCOMPARE(small.size(), QSize(16, 16));
    QCOMPARE(qAlpha(small.pixel(4, 8)), 255);
    QCOMPARE(qAlpha(small.pixel(12, 4)), 255);
    QVERIFY(small.pixel(4, 8) != small.pixel(12, 4)); // two tiles of different colours
}

void MainWindowLayoutTest::windowIsDrawnWithText() {
    SaveGrab(Form.get(), QStringLiteral("main"));
    for (int tab : {1, 3, 4}) {
        Form->pcTotal->setCurrentIndex(tab);
        SaveGrab(Form.get(), QStringLiteral("main-tab%1").arg(tab));
    }
    Form->pcTotal->setCurrentIndex(0);
    const QImage image = Form->grab().toImage();
    const QColor text = Form->palette().color(QPalette::WindowText);
    // Captions, menu and tab texts: glyphs only appear when a font was found.
    QVERIFY2(CountColour(image, text) > 500, "no text drawn");
    QVERIFY2(CountColour(Form->lbPath->grab().toImage(), Blue, 60) > 20, "no blue path text");
}

void MainWindowLayoutTest::exitClosesTheWindow() {
    QVERIFY(Form->isVisible());
    for (QAction* action : Form->menuBar()->actions().at(0)->menu()->actions())
        if (action->text() == QStringLiteral("Exit"))
            action->trigger();
    QVERIFY(!Form->isVisible());
}

QTEST_MAIN(MainWindowLayoutTest)
#include "MainWindowLayoutTest.moc"
