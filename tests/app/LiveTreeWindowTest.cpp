// The main window after the disk changed under a scan, on the real widgets (offscreen):
// Refresh (F5) of the folder shown, and a deletion in a detail window, update the summary,
// the folder tree and the lists without a rescan.
#include "FixtureTree.h"
#include "uBaseView.h"
#include "uDetailVT.h"
#include "uEntryModels.h"
#include "uMain.h"
#include "uWaitForm.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QWindow>
#include <filesystem>

using namespace quorvex;
using namespace quorvex::test;

class LiveTreeWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void refreshShowsWhatChangedInTheShownFolder();
    void refreshWorksInAReadOnlyWindow();
    void deletionInTheDetailWindowLeavesTheResults();
    void aComparisonFollowsRefreshAndCountSwitch();

private:
    void ShowAndScan();
    void Activate();
    TDataInfo* Find(const std::string& relative) const {
        return BaseView->FDataCtrl().Root()->FindByPath(Tree.Str() + "/" + relative);
    }
    /// The folder tree's size column for `relative`, as the user reads it.
    QString TreeSizeText(const std::string& relative) const;

    TempDir Tree;
    std::unique_ptr<QTemporaryDir> Config, Settings;
    std::unique_ptr<TMainForm> Form;
};

void LiveTreeWindowTest::init() {
    Config = std::make_unique<QTemporaryDir>();
    Settings = std::make_unique<QTemporaryDir>();
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, Settings->path());
    std::filesystem::remove_all(Tree.Path());
    std::filesystem::create_directories(Tree.Path());
    WriteTree(Tree.Path(), {"docs/a.txt:1000", "docs/deep/c:5", "e/f:1", "big.bin:70000"});
}

void LiveTreeWindowTest::cleanup() {
    Form.reset();
    WaitForm = nullptr; // owned by the form
}

void LiveTreeWindowTest::ShowAndScan() {
    Form = std::make_unique<TMainForm>();
    Form->FConfigFile = Config->filePath("KestrixFAConfig.xml").toStdString();
    WaitForm = new TWaitForm(Form.get());
    Form->show();
    Form->OpenFolder(Tree.Str());
    QVERIFY(BaseView && BaseView->FDataCtrl().Root());
}

// Window shortcuts reach only the active window; offscreen, the wait window does not hand
// the activation back when it closes, as a desktop's window manager does.
void LiveTreeWindowTest::Activate() {
    Form->windowHandle()->requestActivate();
    QTRY_COMPARE(QApplication::activeWindow(), Form.get());
}

QString LiveTreeWindowTest::TreeSizeText(const std::string& relative) const {
    const TEntryTreeModel& model = BaseView->VTLeft();
    const QModelIndex index = model.IndexOf(Find(relative));
    for (int column = 0; column < model.columnCount(); ++column)
        if (model.headerData(column, Qt::Horizontal).toString().contains("Size"))
            return model.data(index.siblingAtColumn(column)).toString();
    return {};
}

void LiveTreeWindowTest::refreshShowsWhatChangedInTheShownFolder() {
    ShowAndScan();
    QVERIFY(Form->ShowFolderEntry(Find("docs")));
    QCOMPARE(Form->lblFileQty->text(), QString("2"));
    const QString before = TreeSizeText("docs");
    WriteTree(Tree.Path(), {"docs/new.bin:50000", "docs/more/x:7"});
    std::filesystem::remove(Tree.Path() / "docs/deep/c");
    Activate();
    QTest::keyClick(Form.get(), Qt::Key_F5);
    QCOMPARE(Form->lblFileQty->text(), QString("3"));
    QCOMPARE(Form->lblFolderQty->text(), QString("3")); // docs, deep and the new more
    QCOMPARE(Find("docs")->Size(), 51007u);
    QCOMPARE(BaseView->FDataCtrl().Root()->Size(), 51007u + 70001u);
    QCOMPARE(BaseView->FDataCtrl().CurrentRoot(), Find("docs")); // still the folder shown
    QCOMPARE(before, QString("1,005.00 B"));
    QCOMPARE(TreeSizeText("docs"), QString("49.81 KB"));
    QCOMPARE(Form->lblFileSize->text(), QString("49.81 KB( 51007 Byte)"));
    QCOMPARE(BaseView->VTFileAll().rowCount(), 3);
    QCOMPARE(Form->VTLeft->currentIndex(), BaseView->VTLeft().IndexOf(Find("docs")));
}

void LiveTreeWindowTest::refreshWorksInAReadOnlyWindow() {
    ShowAndScan();
    BaseView->SetReadOnly(true);
    QAction* refresh = Form->findChild<QAction*>("Refresh1");
    QVERIFY(refresh && refresh->isEnabled());
    std::filesystem::remove(Tree.Path() / "big.bin");
    refresh->trigger();
    QCOMPARE(BaseView->FDataCtrl().Root()->Size(), 1006u);
    QCOMPARE(Form->lblFileQty->text(), QString("3"));
    QVERIFY(!Find("big.bin"));
}

// The result points into the tree: it is dropped before a refresh or a count switch
// changes the tree, and made again against the kept saved scan afterwards.
void LiveTreeWindowTest::aComparisonFollowsRefreshAndCountSwitch() {
    ShowAndScan();
    const std::string saved = Config->filePath("base.json").toStdString();
    BaseView->FDataCtrl().SaveScanFile(saved);
    auto base = std::make_unique<TDataCtrl>();
    base->LoadScanFile(saved);
    BaseView->CompareWith(std::move(base), saved);
    std::vector<std::pair<bool, std::uint64_t>> seen; // (comparing, the tree's size then)
    connect(BaseView, &TBaseView::ComparisonChanged, this, [&seen] {
        seen.emplace_back(BaseView->Comparison() != nullptr, BaseView->FDataCtrl().Root()->Size());
    });
    std::filesystem::remove(Tree.Path() / "big.bin");
    WriteTree(Tree.Path(), {"docs/new.bin:50000"});
    Form->findChild<QAction*>("Refresh1")->trigger();
    const std::vector<std::pair<bool, std::uint64_t>> refreshed = {{false, 71006u}, {true, 51006u}};
    QCOMPARE(seen, refreshed);
    QCOMPARE(BaseView->Comparison()->TotalChange(), std::int64_t(50000 - 70000));

    seen.clear();
    Form->findChild<QAction*>("CountDiskUsage1")->trigger();
    QCOMPARE(seen.size(), std::size_t(2));
    QVERIFY(!seen.front().first && seen.back().first);
    QVERIFY(BaseView->ComparisonBase()->CountsDiskUsage());
    Form->findChild<QAction*>("CountApparentSize1")->trigger();
    QCOMPARE(BaseView->Comparison()->TotalChange(), std::int64_t(50000 - 70000));
}

void LiveTreeWindowTest::deletionInTheDetailWindowLeavesTheResults() {
    ShowAndScan();
    QCOMPARE(Form->lblFileQty->text(), QString("4"));
    bool deleted = false;
    // The largest-files report lists big.bin first: check it, delete it, say yes, close.
    QTimer::singleShot(0, [&] {
        auto* detail = qobject_cast<TfmDetail*>(QApplication::activeModalWidget());
        QVERIFY(detail && detail->ToolButton3);
        QAbstractItemModel* rows = detail->VT->model();
        QCOMPARE(rows->data(rows->index(0, 0)).toString(), QString("big.bin"));
        rows->setData(rows->index(0, 0), Qt::Checked, Qt::CheckStateRole);
        QTimer::singleShot(0, [] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box)
                box->button(QMessageBox::Yes)->click();
        });
        detail->ToolButton3->trigger();
        deleted = !std::filesystem::exists(Tree.Path() / "big.bin");
        detail->close();
    });
    Form->Label2Click();
    QVERIFY(deleted);
    QCOMPARE(Form->lblFileQty->text(), QString("3"));
    QCOMPARE(BaseView->FDataCtrl().Root()->Size(), 1006u);
    QVERIFY(!Find("big.bin"));
    QCOMPARE(BaseView->VTFileAll().rowCount(), 3);
    QVERIFY(Form->lblFileSize->text().endsWith("( 1006 Byte)"));
    QCOMPARE(TreeSizeText("e"), QString("1.00 B")); // the folder tree refilled, still whole
}

QTEST_MAIN(LiveTreeWindowTest)
#include "LiveTreeWindowTest.moc"
