// Saved scans in the main window, on the real widgets (offscreen): a scan file opened from
// the File menu shows as the live scan it was written from and changes nothing on disk; a
// bad file says where it broke and leaves the window empty; Save Scan As writes a file that
// reads back to the same figures.
#include "FixtureTree.h"
#include "MessageCatcher.h"
#include "uBaseView.h"
#include "uDetailVT.h"
#include "uEntryMenu.h"
#include "uLiveTree.h"
#include "uMain.h"
#include "uScanFileActions.h"
#include "uWaitForm.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QWindow>
#include <filesystem>
#include <fstream>

using namespace quorvex;
using namespace quorvex::test;

namespace {

// What the window shows of a scan, as the user reads it.
struct TShown {
    QStringList Tree, Summary, SizeGroups, Types;
    bool operator==(const TShown&) const = default;
};

QStringList Outline(const QAbstractItemModel& model, const QModelIndex& parent = {},
                    int depth = 0) {
    QStringList lines;
    for (int row = 0; row < model.rowCount(parent); ++row) {
        const QModelIndex index = model.index(row, 0, parent);
        lines << QString(depth * 2, u' ') + index.data().toString() + " | " +
                     index.siblingAtColumn(1).data().toString();
        lines << Outline(model, index, depth + 1);
    }
    return lines;
}

QStringList Table(const QAbstractItemModel& model) {
    QStringList rows;
    for (int row = 0; row < model.rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < model.columnCount(); ++column)
            cells << model.index(row, column).data().toString();
        rows << cells.join(" | ");
    }
    return rows;
}

// Clicks Cancel as soon as the wait window offers it, once the worker runs.
class TCancelOnShow : public QObject {
public:
    TCancelOnShow() { WaitForm->btnCancel->installEventFilter(this); }
    ~TCancelOnShow() override { WaitForm->btnCancel->removeEventFilter(this); }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Show)
            QTimer::singleShot(0, WaitForm->btnCancel, &QPushButton::click);
        return false;
    }
};

// A scan file of one folder with `files` files: big enough that reading or writing it
// meets several of the engine's cancel checks.
void WriteBigScanFile(const std::string& path, int files) {
    std::ofstream out(path);
    out << R"([1,2,{"progname":"test","progver":"1","timestamp":0},[{"name":"/big"})";
    for (int i = 0; i < files; ++i)
        out << R"(,{"name":"f)" << i << R"(","asize":1})";
    out << "]]";
}

QByteArray Head(const QString& path, int bytes) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(bytes) : QByteArray();
}

} // namespace

class ScanFileWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void openedScanFileShowsAsTheLiveScan();
    void savedScanOffersNoRemovalNorRefresh();
    void liveScanAfterASavedOneRestoresTheReadOnlyState_data();
    void liveScanAfterASavedOneRestoresTheReadOnlyState();
    void badFileSaysWhyAndLeavesTheWindowEmpty_data();
    void badFileSaysWhyAndLeavesTheWindowEmpty();
    void saveScanAsReadsBackToTheSameFigures_data();
    void saveScanAsReadsBackToTheSameFigures();
    void saveToAMissingFolderSaysWhy();
    void cancelledLoadLeavesTheWindowEmpty();
    void cancelledSaveLeavesTheOldFile();

private:
    void ShowWindow();
    void Scan() { Form->OpenFolder(Tree.Str()); }
    /// Opens `file` through the File menu item.
    void OpenFromMenu(const QString& file);
    QString WriteScanFile(const char* name);
    TShown Shown() const;
    void Activate();
    QAction* Action(const char* name) const { return Form->findChild<QAction*>(name); }

    TempDir Tree, Files;
    std::unique_ptr<QTemporaryDir> Config, Settings;
    std::unique_ptr<TMainForm> Form;
};

void ScanFileWindowTest::init() {
    Config = std::make_unique<QTemporaryDir>();
    Settings = std::make_unique<QTemporaryDir>();
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, Settings->path());
    std::filesystem::remove_all(Tree.Path());
    std::filesystem::create_directories(Tree.Path());
    WriteTree(Tree.Path(), {"docs/a.txt:1000", "docs/deep/c:5", "e/f:1", "e/g.TXT:300",
                            "big.bin:70000", "empty/"});
}

void ScanFileWindowTest::cleanup() {
    Form.reset();
    WaitForm = nullptr; // owned by the form
}

void ScanFileWindowTest::ShowWindow() {
    Form = std::make_unique<TMainForm>();
    Form->FConfigFile = Config->filePath("KestrixFAConfig.xml").toStdString();
    WaitForm = new TWaitForm(Form.get());
    Form->show();
    QVERIFY(BaseView && Form->ScanFiles());
}

void ScanFileWindowTest::OpenFromMenu(const QString& file) {
    Form->ScanFiles()->FChooseOpen = [file](QString& path) {
        path = file;
        return true;
    };
    Action("OpenScanFile1")->trigger();
}

// Written by an engine of its own from the fixture as it is now.
QString ScanFileWindowTest::WriteScanFile(const char* name) {
    const std::string path = (Files.Path() / name).string();
    TDataCtrl engine;
    engine.ScanFolder(Tree.Str());
    engine.SaveScanFile(path);
    return QString::fromStdString(path);
}

TShown ScanFileWindowTest::Shown() const {
    TShown s;
    s.Tree = Outline(BaseView->VTLeft());
    for (const QLabel* label : {Form->lblFolderPath, Form->lblFileSize, Form->lblFolderQty,
                                Form->lblFileQty, Form->lblTypeQty, Form->lblNotScannedQty})
        s.Summary << label->text();
    s.SizeGroups = Table(BaseView->GroupView(EView::VTFileSize));
    s.Types = Table(BaseView->GroupView(EView::VTType));
    return s;
}

// Window shortcuts reach only the active window; offscreen, the wait window does not hand
// the activation back when it closes, as a desktop's window manager does.
void ScanFileWindowTest::Activate() {
    Form->windowHandle()->requestActivate();
    QTRY_COMPARE(QApplication::activeWindow(), Form.get());
}

void ScanFileWindowTest::openedScanFileShowsAsTheLiveScan() {
    ShowWindow();
    Scan();
    const TShown live = Shown();
    QVERIFY(live.Tree.size() == 5 && !live.SizeGroups.isEmpty() && !live.Types.isEmpty());
    const QString file = WriteScanFile("scan.json");

    OpenFromMenu(file);
    QVERIFY(BaseView->ShowsSavedScan());
    QCOMPARE(Shown(), live);
    QCOMPARE(Form->windowTitle(), QString("Quorvex - scan.json (saved scan, read-only)"));
    QCOMPARE(BaseView->VTFileAll().rowCount(), 5);
    QVERIFY(Action("SaveScanAs1")->isEnabled()); // a saved scan can be saved again
}

void ScanFileWindowTest::savedScanOffersNoRemovalNorRefresh() {
    ShowWindow();
    OpenFromMenu(WriteScanFile("scan.json"));
    QVERIFY(BaseView->FDataCtrl().Root());

    Form->VTFileAll->setCurrentIndex(BaseView->VTFileAll().index(0, 0));
    const std::unique_ptr<QMenu> menu = Form->EntryMenu()->MenuFor(Form->VTFileAll);
    for (const char* name : {"actMoveToTrash", "actDeletePermanently", "actRefresh"})
        QVERIFY2(!menu->findChild<QAction*>(name), name);
    QVERIFY(menu->findChild<QAction*>("actCopyPath"));
    QVERIFY(!Action("Refresh1")->isEnabled());

    // The keys: Delete and Shift+Delete would ask first, F5 would list the new file.
    WriteTree(Tree.Path(), {"docs/new.bin:10"});
    TMessageCatcher boxes;
    Activate();
    Form->VTFileAll->setFocus();
    QTest::keyClick(Form->VTFileAll, Qt::Key_Delete);
    QTest::keyClick(Form->VTFileAll, Qt::Key_Delete, Qt::ShiftModifier);
    QTest::keyClick(Form.get(), Qt::Key_F5);
    QCOMPARE(boxes.Texts, QStringList());
    QCOMPARE(BaseView->VTFileAll().rowCount(), 5);
    QVERIFY(std::filesystem::exists(Tree.Path() / "big.bin"));

    // Nor does a report's detail window.
    bool removalOffered = true;
    QTimer::singleShot(0, [&] {
        auto* detail = qobject_cast<TfmDetail*>(QApplication::activeModalWidget());
        QVERIFY(detail);
        removalOffered = detail->ToolButton2 || detail->ToolButton3;
        detail->close();
    });
    Form->Label2Click();
    QVERIFY(!removalOffered);
}

void ScanFileWindowTest::liveScanAfterASavedOneRestoresTheReadOnlyState_data() {
    QTest::addColumn<bool>("readOnly");
    QTest::addRow("writable window") << false;
    QTest::addRow("--read-only") << true;
}

void ScanFileWindowTest::liveScanAfterASavedOneRestoresTheReadOnlyState() {
    QFETCH(bool, readOnly);
    ShowWindow();
    BaseView->SetReadOnly(readOnly);
    OpenFromMenu(WriteScanFile("scan.json"));
    QVERIFY(BaseView->ReadOnly());

    Scan();
    QVERIFY(!BaseView->ShowsSavedScan());
    QCOMPARE(BaseView->ReadOnly(), readOnly);
    QCOMPARE(Form->windowTitle(), QString("Quorvex"));
    QVERIFY(Action("Refresh1")->isEnabled());
    Form->VTFileAll->setCurrentIndex(BaseView->VTFileAll().index(0, 0));
    const std::unique_ptr<QMenu> menu = Form->EntryMenu()->MenuFor(Form->VTFileAll);
    QCOMPARE(menu->findChild<QAction*>("actMoveToTrash") != nullptr, !readOnly);
    QVERIFY(menu->findChild<QAction*>("actRefresh"));
}

void ScanFileWindowTest::badFileSaysWhyAndLeavesTheWindowEmpty_data() {
    QTest::addColumn<QString>("content"); // "" for no file at all
    QTest::addColumn<QString>("expected");
    QTest::addRow("truncated") << "half"
                               << "at byte";
    QTest::addRow("not JSON") << "hello"
                              << "at byte";
    QTest::addRow("missing") << ""
                             << "bad.json";
}

void ScanFileWindowTest::badFileSaysWhyAndLeavesTheWindowEmpty() {
    QFETCH(QString, content);
    QFETCH(QString, expected);
    const QString bad = QString::fromStdString((Files.Path() / "bad.json").string());
    if (content == "half") {
        const QString good = WriteScanFile("good.json");
        const QByteArray whole = Head(good, 1 << 20);
        QVERIFY(whole.size() > 100);
        std::ofstream(bad.toStdString()) << whole.left(whole.size() / 2).toStdString();
    } else if (!content.isEmpty()) {
        std::ofstream(bad.toStdString()) << content.toStdString();
    }
    ShowWindow();
    Scan();
    QVERIFY(BaseView->VTFileAll().rowCount() > 0);

    TMessageCatcher boxes;
    OpenFromMenu(bad);
    QCOMPARE(boxes.Texts.size(), 1);
    QVERIFY2(boxes.Texts[0].contains(expected), qPrintable(boxes.Texts[0]));
    QVERIFY(boxes.Texts[0].contains(bad));
    QVERIFY(!BaseView->FDataCtrl().Root());
    QCOMPARE(BaseView->VTLeft().rowCount(), 0);
    QCOMPARE(BaseView->VTFileAll().rowCount(), 0);
    QCOMPARE(BaseView->GroupView(EView::VTType).rowCount(), 0);
    QCOMPARE(Form->windowTitle(), QString("Quorvex"));
    QCOMPARE(Form->lblScanState->text(), QString());
    QVERIFY(!Action("SaveScanAs1")->isEnabled());
}

void ScanFileWindowTest::saveScanAsReadsBackToTheSameFigures_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("head");
    QTest::addRow("plain") << "out.json" << QByteArray("[");
    QTest::addRow("zstd") << "out.json.zst" << QByteArray("\x28\xb5\x2f\xfd");
}

void ScanFileWindowTest::saveScanAsReadsBackToTheSameFigures() {
    QFETCH(QString, name);
    QFETCH(QByteArray, head);
    ShowWindow();
    QVERIFY(!Action("SaveScanAs1")->isEnabled()); // nothing to save yet
    Scan();
    QVERIFY(Action("SaveScanAs1")->isEnabled());
    const TShown live = Shown();
    const QString target = QString::fromStdString((Files.Path() / name.toStdString()).string());
    QString proposed;
    Form->ScanFiles()->FChooseSave = [&](QString& path) {
        proposed = path;
        path = target;
        return true;
    };
    TMessageCatcher boxes;
    Action("SaveScanAs1")->trigger();
    QCOMPARE(boxes.Texts, QStringList());
    QCOMPARE(QFileInfo(proposed).fileName(),
             QString::fromStdString(Tree.Path().filename().string()) + ".json");
    QCOMPARE(Head(target, int(head.size())), head);
    QCOMPARE(Shown(), live); // saving changed nothing shown

    QVERIFY(Form->ScanFiles()->Load(target.toStdString()));
    QCOMPARE(Shown(), live);
    QCOMPARE(Form->windowTitle(), "Quorvex - " + name + " (saved scan, read-only)");
}

void ScanFileWindowTest::saveToAMissingFolderSaysWhy() {
    ShowWindow();
    Scan();
    const std::string target = (Files.Path() / "gone" / "out.json").string();
    TMessageCatcher boxes;
    QVERIFY(!Form->ScanFiles()->Save(target));
    QCOMPARE(boxes.Texts.size(), 1);
    QVERIFY2(boxes.Texts[0].contains(QString::fromStdString(target)), qPrintable(boxes.Texts[0]));
    QVERIFY(!std::filesystem::exists(target));
    QVERIFY(BaseView->VTFileAll().rowCount() > 0); // the scan stays shown
}

void ScanFileWindowTest::cancelledLoadLeavesTheWindowEmpty() {
    const std::string big = (Files.Path() / "big.json").string();
    WriteBigScanFile(big, 300000);
    ShowWindow();
    Scan();
    TMessageCatcher boxes;
    {
        TCancelOnShow cancel;
        QVERIFY(!Form->ScanFiles()->Load(big));
    }
    QCOMPARE(boxes.Texts, QStringList()); // a cancel is no failure
    QVERIFY(!BaseView->FDataCtrl().Root());
    QCOMPARE(BaseView->VTLeft().rowCount(), 0);
    QCOMPARE(BaseView->VTFileAll().rowCount(), 0);
    QCOMPARE(Form->windowTitle(), QString("Quorvex"));
    QVERIFY(!Action("SaveScanAs1")->isEnabled());

    QVERIFY(Form->ScanFiles()->Load(big)); // uncancelled it reads to the end
    QCOMPARE(BaseView->VTFileAll().rowCount(), 300000);
}

void ScanFileWindowTest::cancelledSaveLeavesTheOldFile() {
    const std::string big = (Files.Path() / "big.json").string();
    WriteBigScanFile(big, 300000);
    const std::string target = (Files.Path() / "out.json").string();
    std::ofstream(target) << "old";
    ShowWindow();
    QVERIFY(Form->ScanFiles()->Load(big));
    TCancelOnShow cancel;
    QVERIFY(!Form->ScanFiles()->Save(target));
    QCOMPARE(Head(QString::fromStdString(target), 10), QByteArray("old"));
    QCOMPARE(BaseView->VTFileAll().rowCount(), 300000); // still shown
}

QTEST_MAIN(ScanFileWindowTest)
#include "ScanFileWindowTest.moc"
