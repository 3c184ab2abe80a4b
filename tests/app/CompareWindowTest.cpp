// Comparing with a saved scan in the main window, on the real widgets (offscreen): the
// Changes page and the Change column come and go with the comparison, follow rescans of the
// same folder, and a saved scan of another folder is refused with nothing changed.
#include "FixtureTree.h"
#include "MessageCatcher.h"
#include "uBaseView.h"
#include "uChangesModel.h"
#include "uCompareActions.h"
#include "uMain.h"
#include "uNavigation.h"
#include "uReport.h"
#include "uWaitForm.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace quorvex;
using namespace quorvex::test;
namespace fs = std::filesystem;

namespace {

// The captions of a model's columns.
QStringList Captions(const QAbstractItemModel& model) {
    QStringList captions;
    for (int column = 0; column < model.columnCount(); ++column)
        captions << model.headerData(column, Qt::Horizontal).toString();
    return captions;
}

// The first column's texts with the given caption's, row by row.
QStringList Column(const QAbstractItemModel& model, const QString& caption) {
    const int column = int(Captions(model).indexOf(caption));
    QStringList rows;
    for (int row = 0; column >= 0 && row < model.rowCount(); ++row)
        rows << model.index(row, 1).data().toString() + " " +
                    model.index(row, column).data().toString();
    return rows;
}

} // namespace

class CompareWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void comparisonShowsThePageAndTheColumnUntilStopped();
    void rescanOfTheSameFolderComparesAgain();
    void scanOfAnotherFolderIsRefused();
    void reportDialogOffersTheChangesWhileComparing();

private:
    void ShowWindow();
    bool CompareFromMenu(const std::string& file);
    std::string SaveBase(const fs::path& folder);
    bool PageShown() const { return Form->pcTotal->indexOf(Form->Comparing()->Page()) >= 0; }
    QAction* Action(const char* name) const { return Form->findChild<QAction*>(name); }

    TempDir Tree, Other, Files;
    std::unique_ptr<QTemporaryDir> Config, Settings;
    std::unique_ptr<TMainForm> Form;
};

void CompareWindowTest::init() {
    Config = std::make_unique<QTemporaryDir>();
    Settings = std::make_unique<QTemporaryDir>();
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, Settings->path());
    fs::remove_all(Tree.Path());
    fs::create_directories(Tree.Path());
    WriteTree(Tree.Path(), {"docs/a.txt:1000", "docs/old/c:5", "keep:7", "grow.bin:100"});
    ShowWindow();
}

void CompareWindowTest::cleanup() {
    Form.reset();
    WaitForm = nullptr; // owned by the form
}

void CompareWindowTest::ShowWindow() {
    Form = std::make_unique<TMainForm>();
    Form->FConfigFile = Config->filePath("KestrixFAConfig.xml").toStdString();
    WaitForm = new TWaitForm(Form.get());
    Form->show();
    QVERIFY(BaseView && Form->Comparing());
}

std::string CompareWindowTest::SaveBase(const fs::path& folder) {
    const std::string path = (Files.Path() / "base.json").string();
    TDataCtrl engine;
    engine.ScanFolder(folder.string());
    engine.SaveScanFile(path);
    return path;
}

// Through the File menu item, with every message box closed and its text kept.
bool CompareWindowTest::CompareFromMenu(const std::string& file) {
    Form->Comparing()->FChoose = [file](QString& path) {
        path = QString::fromStdString(file);
        return true;
    };
    const TMessageCatcher closer;
    Action("CompareWithSavedScan1")->trigger();
    return closer.Texts.isEmpty();
}

void CompareWindowTest::comparisonShowsThePageAndTheColumnUntilStopped() {
    const std::string base = SaveBase(Tree.Path());
    fs::remove_all(Tree.Path() / "docs/old");
    fs::resize_file(Tree.Path() / "grow.bin", 2148);
    WriteTree(Tree.Path(), {"new/n:4096"});
    Form->OpenFolder(Tree.Str());
    QVERIFY(Action("CompareWithSavedScan1")->isEnabled());
    QVERIFY(!Action("StopComparing1")->isEnabled());
    QVERIFY(!PageShown());

    QVERIFY(CompareFromMenu(base));
    QVERIFY(PageShown());
    QCOMPARE(Form->pcTotal->currentWidget(), Form->Comparing()->Page());
    QVERIFY(Action("StopComparing1")->isEnabled());
    const QString totals = Form->Comparing()->Page()->findChild<QLabel*>("lblChangeTotals")->text();
    QVERIFY2(totals.contains(QString::fromStdString(base)), qPrintable(totals));
    QVERIFY2(totals.contains("+6.00 KB"), qPrintable(totals)); // 4096 + 2048 - 5
    QCOMPARE(Form->Comparing()->Changes().rowCount(), 3);      // new, grow.bin, docs/old
    // Every entry view shows the change; the folder shown is the root.
    QVERIFY(Captions(BaseView->VTDetail()).contains("Change"));
    QVERIFY(Captions(BaseView->VTFileAll()).contains("Change"));
    QVERIFY(Column(BaseView->VTFileAll(), "Change").join(',').contains("+2.00 KB"));
    const QHeaderView* header = Form->VTFileAll->header();
    QCOMPARE(header->visualIndex(BaseView->VTFileAll().ChangeColumn()),
             header->visualIndex(ecFileSize) + 1); // beside the size, not past the edge

    Action("StopComparing1")->trigger();
    QVERIFY(!PageShown());
    QVERIFY(!Captions(BaseView->VTDetail()).contains("Change"));
    QCOMPARE(Form->Comparing()->Changes().rowCount(), 0);
    QVERIFY(!Action("StopComparing1")->isEnabled());
}

// The saved scan stays the base: a rescan shows what changed since it, not since the last
// scan, and the page's rows never point into the tree the rescan replaced.
void CompareWindowTest::rescanOfTheSameFolderComparesAgain() {
    const std::string base = SaveBase(Tree.Path());
    Form->OpenFolder(Tree.Str());
    TDataInfo* docs = BaseView->FDataCtrl().Root()->FindByPath((Tree.Path() / "docs").string());
    Form->Navigation()->Show(docs);
    // The refilled folder tree opens down to the folder shown again, both ways.
    QVERIFY(CompareFromMenu(base));
    QCOMPARE(BaseView->VTLeft().Entry(Form->VTLeft->currentIndex()), docs);
    Action("StopComparing1")->trigger();
    QCOMPARE(BaseView->VTLeft().Entry(Form->VTLeft->currentIndex()), docs);
    QVERIFY(CompareFromMenu(base));
    QCOMPARE(Form->Comparing()->Changes().rowCount(), 0);
    WriteTree(Tree.Path(), {"later:10"});
    Form->OpenFolder(Tree.Str());
    QVERIFY(PageShown());
    QCOMPARE(Form->Comparing()->Changes().rowCount(), 1);
    QCOMPARE(Form->Comparing()->Changes().index(0, 1).data().toString(),
             QString::fromStdString((Tree.Path() / "later").string()));

    fs::create_directories(Other.Path());
    Form->OpenFolder(Other.Str()); // another folder: the saved scan is no base of it
    QVERIFY(!PageShown());
    QVERIFY(BaseView->Comparison() == nullptr);
}

void CompareWindowTest::scanOfAnotherFolderIsRefused() {
    fs::create_directories(Other.Path());
    WriteTree(Other.Path(), {"x:1"});
    const std::string base = SaveBase(Other.Path());
    Form->OpenFolder(Tree.Str());
    const QStringList before = Captions(BaseView->VTDetail());
    QVERIFY(!CompareFromMenu(base));
    QVERIFY(!PageShown());
    QCOMPARE(Captions(BaseView->VTDetail()), before);
    QVERIFY(BaseView->Comparison() == nullptr);
}

void CompareWindowTest::reportDialogOffersTheChangesWhileComparing() {
    const std::string base = SaveBase(Tree.Path());
    WriteTree(Tree.Path(), {"added.dat:3000"});
    Form->OpenFolder(Tree.Str());
    QVERIFY(CompareFromMenu(base));
    TFMReport dialog(BaseView, Form.get());
    const int views = dialog.clbVTList->count();
    dialog.OfferChanges(&Form->Comparing()->Changes());
    QCOMPARE(dialog.clbVTList->count(), views + 1);
    QListWidgetItem* changes = dialog.clbVTList->item(views);
    QCOMPARE(changes->text(), QStringLiteral("Changes"));
    changes->setCheckState(Qt::Checked);
    const std::string out = (Files.Path() / "changes.csv").string();
    dialog.FSelectSaveFile = [&out](EExportFormat) { return QString::fromStdString(out); };
    dialog.rbCSV->setChecked(true);
    const TMessageCatcher closer;
    dialog.btnReport->click();
    QCOMPARE(closer.Texts, QStringList{"Report generated!"});
    std::stringstream text;
    text << std::ifstream(out).rdbuf();
    QVERIFY2(text.str().find((Tree.Path() / "added.dat").string()) != std::string::npos,
             text.str().c_str());
    QVERIFY2(text.str().find("+2.93 KB") != std::string::npos, text.str().c_str());
}

QTEST_MAIN(CompareWindowTest)
#include "CompareWindowTest.moc"
