// The View menu's Count on the real widgets (offscreen): a sparse file and a hard-linked
// pair make apparent size and disk usage differ; the summary, the folder tree and the group
// tables follow the switch, on the folder shown, and come back unchanged.
#include "FixtureTree.h"
#include "uBaseFunction.h"
#include "uBaseView.h"
#include "uCountBinding.h"
#include "uMain.h"
#include "uWaitForm.h"

#include <QAction>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <filesystem>
#include <fstream>

using namespace quorvex;
using namespace quorvex::test;

namespace {

QString SizeCell(std::uint64_t bytes) {
    return QString::fromStdString(SizeText(SizeNumberText(double(bytes))));
}

} // namespace

class CountSwitchWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void switchingCountsDiskUsageAndBack();
    void menuChoiceIsRememberedButNotTheCommandLines();

private:
    void ShowWindow();
    TDataInfo* Find(const std::string& relative) const {
        return BaseView->FDataCtrl().Root()->FindByPath(Tree.Str() + "/" + relative);
    }
    /// Each folder's size text in the folder tree is the engine's figure for it (disk usage
    /// or apparent size) formatted as the views do.
    void CheckTreeSizes(bool diskUsage) const;
    QStringList SizeGroups() const;
    QAction* Action(const char* name) const { return Form->findChild<QAction*>(name); }

    TempDir Tree;
    std::unique_ptr<QTemporaryDir> Config, Settings;
    std::unique_ptr<TMainForm> Form;
};

void CountSwitchWindowTest::init() {
    Config = std::make_unique<QTemporaryDir>();
    Settings = std::make_unique<QTemporaryDir>();
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, Settings->path());
    std::filesystem::remove_all(Tree.Path());
    std::filesystem::create_directories(Tree.Path());
    WriteTree(Tree.Path(), {"data/a.bin:20000", "data/small.txt:10", "other/c:3000"});
    std::filesystem::create_hard_link(Tree.Path() / "data/a.bin", Tree.Path() / "data/b.bin");
    std::ofstream(Tree.Path() / "data/sparse.img").close();
    std::filesystem::resize_file(Tree.Path() / "data/sparse.img", 4 << 20); // no block written
}

void CountSwitchWindowTest::cleanup() {
    Form.reset();
    WaitForm = nullptr; // owned by the form
}

void CountSwitchWindowTest::ShowWindow() {
    Form = std::make_unique<TMainForm>();
    Form->FConfigFile = Config->filePath("KestrixFAConfig.xml").toStdString();
    WaitForm = new TWaitForm(Form.get());
    Form->show();
    QVERIFY(BaseView && Form->Count());
}

void CountSwitchWindowTest::CheckTreeSizes(bool diskUsage) const {
    const TDataCtrl& engine = BaseView->FDataCtrl();
    const TEntryTreeModel& tree = BaseView->VTLeft();
    for (const char* relative : {"", "data", "other"}) {
        const TDataInfo* folder = *relative ? Find(relative) : engine.Root();
        const QModelIndex index = tree.IndexOf(folder);
        QVERIFY2(index.isValid(), relative);
        const std::uint64_t expected =
            diskUsage ? engine.DiskSize(*folder) : engine.ApparentSize(*folder);
        QCOMPARE(index.siblingAtColumn(1).data().toString(), SizeCell(expected));
    }
}

QStringList CountSwitchWindowTest::SizeGroups() const {
    const TGroupModel& table = BaseView->GroupView(EView::VTFileSize);
    QStringList rows;
    for (int row = 0; row < table.rowCount(); ++row)
        for (int column = 0; column < table.columnCount(); ++column)
            rows << table.index(row, column).data().toString();
    return rows;
}

void CountSwitchWindowTest::switchingCountsDiskUsageAndBack() {
    ShowWindow();
    Form->OpenFolder(Tree.Str());
    QVERIFY(Form->ShowFolderEntry(Find("data")));
    const TDataCtrl& engine = BaseView->FDataCtrl();
    const TDataInfo* data = Find("data");
    // The fixture makes a difference both ways: a sparse file and a link counted once.
    QVERIFY(engine.ApparentSize(*data) > engine.DiskSize(*data));
    QVERIFY(engine.DiskSize(*Find("data/a.bin")) > 0);
    QVERIFY(Action("CountApparentSize1")->isChecked());
    const QString apparentTotal = Form->lblFileSize->text();
    const QStringList apparentGroups = SizeGroups();
    QVERIFY(apparentTotal.endsWith(QString("( %1 Byte)").arg(engine.ApparentSize(*data))));
    CheckTreeSizes(false);

    Action("CountDiskUsage1")->trigger();
    QVERIFY(engine.CountsDiskUsage());
    QVERIFY(!Action("CountApparentSize1")->isChecked());
    data = Find("data");
    QCOMPARE(engine.CurrentRoot(), data); // still the folder shown
    QCOMPARE(data->Size(), engine.DiskSize(*data));
    QVERIFY2(Form->lblFileSize->text().endsWith(QString("( %1 Byte)").arg(engine.DiskSize(*data))),
             qPrintable(Form->lblFileSize->text()));
    CheckTreeSizes(true);
    QVERIFY(SizeGroups() != apparentGroups); // the sparse file left the megabyte group
    QCOMPARE(Form->windowTitle(), QString("Quorvex"));

    Action("CountApparentSize1")->trigger();
    QVERIFY(!engine.CountsDiskUsage());
    QCOMPARE(engine.CurrentRoot(), Find("data"));
    QCOMPARE(Form->lblFileSize->text(), apparentTotal);
    QCOMPARE(SizeGroups(), apparentGroups);
    CheckTreeSizes(false);
}

void CountSwitchWindowTest::menuChoiceIsRememberedButNotTheCommandLines() {
    ShowWindow();
    Form->Count()->Select(true); // as --disk-usage does
    QVERIFY(Action("CountDiskUsage1")->isChecked());
    Form->OpenFolder(Tree.Str());
    QVERIFY(BaseView->FDataCtrl().CountsDiskUsage()); // a scan after the switch counts so
    QCOMPARE(BaseView->FDataCtrl().Root()->Size(),
             BaseView->FDataCtrl().DiskSize(*BaseView->FDataCtrl().Root()));
    Form->close();
    cleanup();

    ShowWindow();
    QVERIFY(Action("CountApparentSize1")->isChecked());
    QVERIFY(!BaseView->FDataCtrl().CountsDiskUsage());
    Action("CountDiskUsage1")->trigger();
    Form->close();
    cleanup();

    ShowWindow();
    QVERIFY(Action("CountDiskUsage1")->isChecked());
    QVERIFY(BaseView->FDataCtrl().CountsDiskUsage());
}

QTEST_MAIN(CountSwitchWindowTest)
#include "CountSwitchWindowTest.moc"
