// The main window from the keyboard and between runs, on the real widgets (offscreen): menu
// mnemonics and F10, the file shortcuts, Alt+arrows through the folders shown, the deferred
// move of the folder tree, Tab and Enter on the report links, the state kept in a temporary
// settings folder, and tool tips of cut cells.
#include "FixtureTree.h"
#include "uBaseView.h"
#include "uMain.h"
#include "uNavigation.h"
#include "uViewStyle.h"
#include "uWaitForm.h"
#include "uWindowMemory.h"

#include <QApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QSignalSpy>
#include <QSplitter>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>
#include <QTreeView>
#include <QWindow>

using namespace quorvex;
using namespace quorvex::test;

class MainKeysTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void menusOpenFromTheKeyboard();
    void fileShortcutsOpenAndQuit();
    void altArrowsWalkTheFoldersShown();
    void treeMovesShowTheFolderOnceTheyPause();
    void reportLinksAreReachedWithTabAndActOnEnterAndSpace();
    void windowStateSurvivesARestart();
    void recentFoldersAreFewNewestFirstAndOpenFromTheMenu();
    void recentFolders_data();
    void recentFolders();
    void onlyCutCellsShowTheirTextAsToolTip();

private:
    void ShowForm();
    void Activate();
    void Scan();
    QString ShownPath() const { return Form->lbPath->text(); }
    QModelIndex TreeIndex(const std::string& relative) const;

    TempDir Tree;
    std::unique_ptr<QTemporaryDir> Config, Settings;
    std::unique_ptr<TMainForm> Form;
    QString Picked;
};

void MainKeysTest::init() {
    Config = std::make_unique<QTemporaryDir>();
    // Every case starts without remembered state, and nothing reaches the user's own file.
    Settings = std::make_unique<QTemporaryDir>();
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, Settings->path());
    WriteTree(Tree.Path(), {"docs/a.txt:1000", "docs/deep/c:5", "e/f:1", "g.bin:0"});
    Picked = QString::fromStdString(Tree.Str());
}

void MainKeysTest::cleanup() {
    Form.reset();
    WaitForm = nullptr; // owned by the form
}

void MainKeysTest::ShowForm() {
    Form = std::make_unique<TMainForm>();
    Form->FConfigFile = Config->filePath("KestrixFAConfig.xml").toStdString();
    Form->FBrowseForFolder = [this](QString& path) {
        path = Picked;
        return !Picked.isEmpty();
    };
    WaitForm = new TWaitForm(Form.get());
    Form->show();
    Activate();
    QVERIFY(BaseView && Form->Navigation());
}

// Window shortcuts reach only the active window; offscreen, the wait window does not hand
// the activation back when it closes, as a desktop's window manager does.
void MainKeysTest::Activate() {
    Form->windowHandle()->requestActivate();
    QTRY_COMPARE(QApplication::activeWindow(), Form.get());
}

void MainKeysTest::Scan() {
    Form->OpenFolder(Picked.toStdString());
    QCOMPARE(ShownPath(), Picked);
}

QModelIndex MainKeysTest::TreeIndex(const std::string& relative) const {
    TDataInfo* root = BaseView->FDataCtrl().Root();
    const std::string path = relative.empty() ? Tree.Str() : Tree.Str() + "/" + relative;
    return BaseView->VTLeft().IndexOf(root->FindByPath(path));
}

void MainKeysTest::menusOpenFromTheKeyboard() {
    ShowForm();
    const QList<QAction*> top = Form->menuBar()->actions();
    const struct {
        QKeySequence Key;
        QMenu* Menu;
    } cases[] = {{QKeySequence(Qt::Key_F10), top[0]->menu()},
                 {QKeySequence(Qt::ALT | Qt::Key_F), top[0]->menu()},
                 {QKeySequence(Qt::ALT | Qt::Key_V), Form->findChild<QMenu*>("View1")},
                 {QKeySequence(Qt::ALT | Qt::Key_T), Form->findChild<QMenu*>("Tools1")}};
    for (const auto& c : cases) {
        QTest::keySequence(Form.get(), c.Key);
        QTRY_COMPARE(QApplication::activePopupWidget(), c.Menu);
        QTest::keyClick(c.Menu, Qt::Key_Escape);
        QTRY_VERIFY(!QApplication::activePopupWidget());
    }
}

void MainKeysTest::fileShortcutsOpenAndQuit() {
    ShowForm();
    QTest::keyClick(Form.get(), Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(ShownPath(), Picked);
    QCOMPARE(Form->lblFileQty->text(), QString("4"));
    Activate();
    QTest::keyClick(Form.get(), Qt::Key_Q, Qt::ControlModifier);
    QVERIFY(!Form->isVisible());
    QVERIFY(!BaseView); // closed the normal way, the controller gone
}

void MainKeysTest::altArrowsWalkTheFoldersShown() {
    ShowForm();
    Scan();
    const QString root = Picked, docs = Picked + "/docs", deep = Picked + "/docs/deep";
    for (const char* folder : {"docs", "docs/deep"}) {
        Form->VTLeft->setCurrentIndex(TreeIndex(folder));
        Form->VTLeftClick(Form->VTLeft->currentIndex());
    }
    QCOMPARE(ShownPath(), deep);
    const auto press = [this](Qt::Key key) {
        Activate();
        QTest::keyClick(Form.get(), key, Qt::AltModifier);
        return ShownPath();
    };
    QCOMPARE(press(Qt::Key_Left), docs);
    QCOMPARE(press(Qt::Key_Left), root);
    QCOMPARE(press(Qt::Key_Left), root); // nothing before the first folder
    QCOMPARE(press(Qt::Key_Right), docs);
    // The tree follows, so the arrow keys go on from the folder shown.
    QCOMPARE(Form->VTLeft->currentIndex(), TreeIndex("docs"));
    QCOMPARE(press(Qt::Key_Up), root);
    QCOMPARE(press(Qt::Key_Up), root);    // nothing above the scanned folder
    QCOMPARE(press(Qt::Key_Right), root); // showing the parent dropped the way forward
    QCOMPARE(press(Qt::Key_Left), docs);

    // A new scan starts a new history.
    Scan();
    QCOMPARE(press(Qt::Key_Left), root);
    QCOMPARE(Form->Navigation()->History().Size(), std::size_t(1));
}

void MainKeysTest::treeMovesShowTheFolderOnceTheyPause() {
    ShowForm();
    Scan();
    QSignalSpy shown(BaseView, &TBaseView::ViewsRefreshed);
    QTreeView* tree = Form->VTLeft;
    tree->setFocus();
    tree->setCurrentIndex(TreeIndex(""));
    QTimer& pause = Form->Navigation()->TreeMoveTimer();
    pause.stop();
    // Two moves in a row: neither is shown while the keys keep coming.
    QTest::keyClick(tree, Qt::Key_Down);
    QTest::keyClick(tree, Qt::Key_Down);
    QCOMPARE(ShownPath(), Picked);
    QVERIFY(pause.isActive());
    TDataInfo* target = BaseView->VTLeft().Entry(tree->currentIndex());
    QVERIFY(target && target->Parent() == BaseView->FDataCtrl().Root());
    QTRY_COMPARE(ShownPath(), QString::fromStdString(target->FullPath()));
    QCOMPARE(shown.count(), 1);
    QVERIFY(!pause.isActive());
}

void MainKeysTest::reportLinksAreReachedWithTabAndActOnEnterAndSpace() {
    ShowForm();
    Form->VTLeft->setFocus();
    int tabs = 0;
    while (QApplication::focusWidget() != Form->Label9 && tabs++ < 50)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), Form->Label9);
    QTest::keyClick(Form->Label9, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), Form->Label11); // and on through the links
    QSignalSpy clicked(Form->Label11, &TLinkLabel::clicked);
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space, Qt::Key_A})
        QTest::keyClick(Form->Label11, key);
    QCOMPARE(clicked.count(), 3);
}

void MainKeysTest::windowStateSurvivesARestart() {
    ShowForm();
    Scan();
    const auto* splitter = Form->findChild<QSplitter*>("Splitter1");
    const QList<int> sizes{200, Form->width() - 200 - splitter->handleWidth()};
    Form->findChild<QSplitter*>("Splitter1")->setSizes(sizes);
    Form->VTFileAll->setColumnWidth(0, 333);
    QHeaderView* header = Form->VTFileAll->header();
    header->moveSection(header->visualIndex(2), 0);
    Form->pcTotal->setCurrentIndex(2);
    Form->findChild<QTabWidget*>("pcFiles")->setCurrentIndex(1);
    Form->resize(900, 560);
    const QList<int> kept = splitter->sizes();
    Form->close();
    QFile config(Config->filePath("KestrixFAConfig.xml"));
    QVERIFY(config.open(QIODevice::ReadOnly));
    const QByteArray configBefore = config.readAll();
    config.close();

    ShowForm();
    QCOMPARE(Form->size(), QSize(900, 560));
    QCOMPARE(Form->findChild<QSplitter*>("Splitter1")->sizes(), kept);
    QCOMPARE(Form->VTFileAll->columnWidth(0), 333);
    QCOMPARE(Form->VTFileAll->header()->logicalIndex(0), 2);
    QCOMPARE(Form->pcTotal->currentIndex(), 2);
    QCOMPARE(Form->findChild<QTabWidget*>("pcFiles")->currentIndex(), 1);
    Form->close();
    // The XML configuration keeps its own content: the window state lives apart.
    QVERIFY(config.open(QIODevice::ReadOnly));
    QCOMPARE(config.readAll(), configBefore);
    config.close();

    // Columns changed in the configuration since win over the remembered ones.
    QByteArray changed = configBefore;
    const QByteArray from = R"(Index="0"  Width="172")", to = R"(Index="0"  Width="140")";
    QVERIFY(changed.contains(from));
    QVERIFY(config.open(QIODevice::WriteOnly | QIODevice::Truncate));
    config.write(changed.replace(from, to));
    config.close();
    ShowForm();
    QCOMPARE(Form->VTFileAll->columnWidth(0), 140);
    QCOMPARE(Form->VTFileAll->header()->logicalIndex(0), 0);
    QCOMPARE(Form->pcTotal->currentIndex(), 2); // the rest is still remembered
}

void MainKeysTest::recentFoldersAreFewNewestFirstAndOpenFromTheMenu() {
    ShowForm();
    auto* recent = Form->findChild<QMenu*>("RecentFolders1");
    QVERIFY(recent);
    QVERIFY(!recent->menuAction()->isEnabled()); // nothing yet
    TWindowMemory memory(*Form);
    QCOMPARE(memory.PickerStart(), QDir::homePath()); // the first time: home
    Scan();
    TempDir other;
    WriteTree(other.Path(), {"x & y/z:3"});
    const QString second = QString::fromStdString(other.Str() + "/x & y");
    Form->OpenFolder(second.toStdString());
    QCOMPARE(memory.RecentFolders(), (QStringList{second, Picked}));
    QCOMPARE(memory.PickerStart(), second);

    // The menu lists them newest first, and a choice scans that folder again.
    QVERIFY(recent->menuAction()->isEnabled());
    QCOMPARE(recent->actions().size(), 2);
    QCOMPARE(recent->actions()[0]->text(), QString(second).replace("&", "&&"));
    recent->actions()[1]->trigger();
    QCOMPARE(ShownPath(), Picked);
    QCOMPARE(memory.RecentFolders(), (QStringList{Picked, second}));

    // A last folder that is gone sends the picker home again.
    std::filesystem::remove_all(other.Path() / "x & y");
    Form->OpenFolder(other.Str());
    std::filesystem::remove_all(other.Path());
    QCOMPARE(memory.PickerStart(), QDir::homePath());
}

void MainKeysTest::recentFolders_data() {
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QStringList>("after");
    QTest::newRow("first") << QStringList{} << "/a" << QStringList{"/a"};
    QTest::newRow("again moves to the front")
        << QStringList{"/a", "/b", "/c"} << "/c" << QStringList{"/c", "/a", "/b"};
    QStringList ten, kept{"/new"};
    for (int i = 0; i < 10; ++i)
        ten << QString("/%1").arg(i);
    kept << ten.mid(0, 9);
    QTest::newRow("the oldest goes beyond ten") << ten << "/new" << kept;
}

void MainKeysTest::recentFolders() {
    QFETCH(QStringList, before);
    QFETCH(QString, path);
    QFETCH(QStringList, after);
    QCOMPARE(WithRecentFolder(before, path, TWindowMemory::MaxRecentFolders), after);
}

void MainKeysTest::onlyCutCellsShowTheirTextAsToolTip() {
    QStandardItemModel model(3, 1);
    const QString longText = QString("a rather long name that does not fit ").repeated(3);
    model.setItem(0, 0, new QStandardItem(longText));
    model.setItem(1, 0, new QStandardItem("short"));
    auto* own = new QStandardItem(longText);
    own->setToolTip("read failed: permission denied");
    model.setItem(2, 0, own);
    QTreeView view;
    StyleTreeView(&view, false);
    view.setModel(&model);
    view.setColumnWidth(0, 120);
    view.resize(300, 200);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));

    const auto tipAt = [&view, &model](int row) {
        QToolTip::hideText(); // hides after a short fade: wait, so a stale tip is not read
        if (!QTest::qWaitFor([] { return !QToolTip::isVisible(); }))
            return QStringLiteral("<the last tip stays>");
        const QRect cell = view.visualRect(model.index(row, 0));
        QHelpEvent help(QEvent::ToolTip, cell.center(),
                        view.viewport()->mapToGlobal(cell.center()));
        QApplication::sendEvent(view.viewport(), &help);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    QCOMPARE(tipAt(0), longText);
    QCOMPARE(tipAt(1), QString());
    QCOMPARE(tipAt(2), QString("read failed: permission denied"));
    view.setColumnWidth(0, 2000); // the long text fits now
    QCOMPARE(tipAt(0), QString());
}

QTEST_MAIN(MainKeysTest)
#include "MainKeysTest.moc"
