// The detail window moves the checked entries to the trash (Delete) or deletes them
// (Shift+Delete), asks first with their count and size and No as the default, never acts on
// a link's target or on an item that replaced a scanned one, names everything it left in
// one message, and offers neither in a read-only window.
#include "FixtureTree.h"
#include "uApplication.h"
#include "uBaseView.h"
#include "uDataInfo.h"
#include "uDetailVT.h"
#include "uEntryModels.h"
#include "uMain.h"
#include "uWaitForm.h"

#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <filesystem>
#include <sys/stat.h>

using namespace quorvex;
using namespace quorvex::test;
namespace fs = std::filesystem;

namespace {

// Records the next message box and answers it: with `key` pressed on it (a real keyboard
// answer) or, when `key` is 0, with a click on `button`.
struct TBoxAnswer {
    QString Text;
    bool Shown = false, NoIsDefault = false, Waiting = false;
    void Next(QMessageBox::StandardButton button, int key = 0) {
        Waiting = true;
        QTimer::singleShot(20, [this, button, key] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!Waiting)
                return;
            if (!box)
                return Next(button, key);
            Waiting = false;
            Shown = true;
            Text = box->text();
            NoIsDefault = box->defaultButton() == box->button(QMessageBox::No);
            if (key)
                QTest::keyClick(box, Qt::Key(key));
            else
                box->button(button)->click();
        });
    }
};

} // namespace

class DetailRemovalTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void theTrashTakesTheCheckedEntriesAndLinksThemselves();
    void confirmationCountsEachByteOnceAndEnterMeansNo();
    void replacedOrRewrittenEntriesAreLeftAndNamed();
    void deletingTakesChildrenBeforeTheirFolder();
    void aReadOnlyWindowOffersNoWayToRemove();

private:
    // Scans `lines` and opens a detail window over every entry, checking those named.
    void Open(const std::vector<std::string>& lines, const QStringList& checked);
    QStringList RowNames() const;
    void Press(Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    fs::path At(const char* relative) const { return Tree->Path() / relative; }
    fs::path Trashed(const char* name) const { return Home->Path() / "data/Trash/files" / name; }

    std::unique_ptr<TempDir> Tree, Home;
    std::unique_ptr<QTemporaryDir> Config;
    std::unique_ptr<TMainForm> Form;
    std::unique_ptr<TEntryListModel> Rows;
    std::unique_ptr<TfmDetail> Detail;
    TBoxAnswer Question, Failures;
    QByteArray OldHome, OldData;
};

void DetailRemovalTest::init() {
    Tree = std::make_unique<TempDir>();
    // The trash of the test's own home, on the volume of the tree, so Qt uses it.
    Home = std::make_unique<TempDir>(Tree->Path().parent_path());
    OldHome = qgetenv("HOME");
    OldData = qgetenv("XDG_DATA_HOME");
    qputenv("HOME", QByteArray::fromStdString(Home->Str()));
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString(Home->Str() + "/data"));
    fs::create_directory(Home->Path() / "data"); // Qt makes the trash, not the folder above
    Config = std::make_unique<QTemporaryDir>();
    Form = std::make_unique<TMainForm>();
    Form->FConfigFile = Config->filePath("KestrixFAConfig.xml").toStdString();
    WaitForm = new TWaitForm(Form.get());
    Form->show();
    Question = Failures = {};
}

void DetailRemovalTest::cleanup() {
    Question.Waiting = Failures.Waiting = false;
    Detail.reset();
    Rows.reset();
    Form.reset();
    WaitForm = nullptr;
    qputenv("HOME", OldHome);
    qputenv("XDG_DATA_HOME", OldData);
}

void DetailRemovalTest::Open(const std::vector<std::string>& lines, const QStringList& checked) {
    WriteTree(Tree->Path(), lines);
    Form->OpenFolder(Tree->Str());
    Rows = std::make_unique<TEntryListModel>();
    Rows->SetColumns(BaseView->VTFileAll().Columns());
    Rows->Fill(BaseView->FDataCtrl().Root(), nullptr);
    Detail = std::make_unique<TfmDetail>(*Rows, *BaseView);
    for (int row = 0; row < Rows->rowCount(); ++row)
        Rows->SetChecked(row, checked.contains(RowNames()[row]));
    Detail->show();
    QApplication::setActiveWindow(Detail.get());
    QVERIFY(QTest::qWaitForWindowActive(Detail.get()));
}

QStringList DetailRemovalTest::RowNames() const {
    QStringList names;
    for (int row = 0; row < Rows->rowCount(); ++row)
        names << QString::fromStdString(Rows->EntryAt(row)->FullPath().substr(Tree->Str().size()));
    return names;
}

// Delete, or Shift+Delete, typed in the list.
void DetailRemovalTest::Press(Qt::KeyboardModifiers modifiers) {
    // Shortcuts reach the active window only; offscreen, a closed box gives nothing back.
    QApplication::setActiveWindow(Detail.get());
    QTest::keyClick(Detail->VT, Qt::Key_Delete, modifiers);
}

void DetailRemovalTest::theTrashTakesTheCheckedEntriesAndLinksThemselves() {
    Open({"a.txt:3", "keep.txt:2", "target.txt:5", "link -> target.txt", "dir/x:1", "dir/y:2",
          "dangling -> nowhere"},
         {"/a.txt", "/link", "/dir", "/dangling"});
    Question.Next(QMessageBox::Yes);
    Failures.Next(QMessageBox::Ok);
    Press();
    QVERIFY(Question.Shown);
    for (const char* name : {"a.txt", "link", "dir/x", "dir/y"}) {
        QVERIFY2(!fs::exists(fs::symlink_status(At(name))), name);
        QVERIFY2(fs::exists(fs::symlink_status(Trashed(name))), name);
    }
    QVERIFY(fs::is_symlink(Trashed("link"))); // the link went, not a copy of its target
    QCOMPARE(fs::file_size(At("target.txt")), std::uintmax_t(5));
    QVERIFY(fs::exists(At("keep.txt")));
    // Qt cannot trash a broken link; it stays, is named, and keeps its checked row.
    QVERIFY(fs::is_symlink(At("dangling")));
    QTRY_VERIFY(Failures.Shown);
    QCOMPARE(Failures.Text, QString("1 of the checked entries could not be moved to the trash:\n"
                                    "\"%1/dangling\": a link whose target is gone cannot go to "
                                    "the trash")
                                .arg(QString::fromStdString(Tree->Str())));
    QStringList left = RowNames();
    left.sort();
    QCOMPARE(left, (QStringList{"", "/dangling", "/keep.txt", "/target.txt"}));
    QVERIFY(Rows->IsChecked(int(RowNames().indexOf("/dangling"))));
}

void DetailRemovalTest::confirmationCountsEachByteOnceAndEnterMeansNo() {
    // The folder holds 1,536 bytes; its checked file is counted with it, not again.
    Open({"dir/x:1024", "dir/y:512", "z:1"}, {"/dir", "/dir/x", "/z"});
    Question.Next(QMessageBox::Yes, Qt::Key_Return);
    Press();
    QVERIFY(Question.Shown);
    QCOMPARE(Question.Text, QString("Move 3 entries (1.50 KB) to the trash?"));
    QVERIFY(Question.NoIsDefault);
    Question = {};
    Question.Next(QMessageBox::Yes, Qt::Key_Enter);
    Press(Qt::ShiftModifier);
    QVERIFY(Question.Shown);
    QCOMPARE(Question.Text,
             QString("Delete 3 entries (1.50 KB) permanently? This cannot be undone."));
    QVERIFY(Question.NoIsDefault);
    // Enter answered both: nothing moved.
    for (const char* name : {"dir/x", "dir/y", "z"})
        QVERIFY2(fs::exists(At(name)), name);
    QCOMPARE(Rows->rowCount(), 5);
    Rows->SetAllChecked(false);
    Rows->SetChecked(int(RowNames().indexOf("/z")), true);
    Question.Next(QMessageBox::No);
    Detail->ToolButton2Click();
    QCOMPARE(Question.Text, QString("Move 1 entry (1.00 B) to the trash?"));
    QVERIFY(fs::exists(At("z")));
}

void DetailRemovalTest::replacedOrRewrittenEntriesAreLeftAndNamed() {
    Open({"same.txt:4@-86400", "new.txt:4@-86400", "grown.txt:4@-86400", "dir/"},
         {"/same.txt", "/new.txt", "/grown.txt", "/dir"});
    const TDataInfo& scanned = *BaseView->FDataCtrl().Root()->FindByPath(At("new.txt").string());
    // Same name, size and write time; another inode, one whose bits differ from the scanned
    // one's (equal bits, one time in eight, are what the entry cannot tell apart).
    for (int attempt = 0;; ++attempt) {
        QVERIFY(attempt < 64);
        const fs::path spare = Home->Path() / std::to_string(attempt);
        WriteTree(Home->Path(), {std::to_string(attempt) + ":4"});
        SetTimes(spare, scanned.WriteSeconds());
        struct stat st {};
        QCOMPARE(::lstat(spare.c_str(), &st), 0);
        if (InodeFingerprintOf(st.st_dev, st.st_ino) != scanned.InodeFingerprint()) {
            fs::rename(spare, At("new.txt"));
            break;
        }
    }
    WriteTree(Tree->Path(), {"grown.txt:9"});
    fs::remove(At("dir"));
    fs::create_symlink("/", At("dir")); // would a rmdir follow it? it must not matter
    Question.Next(QMessageBox::Yes);
    Failures.Next(QMessageBox::Ok);
    Press(Qt::ShiftModifier);
    QTRY_VERIFY(Failures.Shown);
    QVERIFY(!fs::exists(At("same.txt")));
    QCOMPARE(fs::file_size(At("new.txt")), std::uintmax_t(4));
    QCOMPARE(fs::file_size(At("grown.txt")), std::uintmax_t(9));
    QVERIFY(fs::is_symlink(At("dir")));
    const QString root = QString::fromStdString(Tree->Str());
    QVERIFY2(Failures.Text.startsWith("3 of the checked entries could not be deleted:\n"),
             qPrintable(Failures.Text));
    for (const QString& line :
         {QString("\"%1/new.txt\": replaced by another item of the same name since the scan"),
          QString("\"%1/grown.txt\": changed since the scan"),
          QString("\"%1/dir\": replaced by another kind of item since the scan")})
        QVERIFY2(Failures.Text.contains(line.arg(root)), qPrintable(Failures.Text));
    QVERIFY(!RowNames().contains("/same.txt"));
    QVERIFY(RowNames().contains("/new.txt"));
}

void DetailRemovalTest::deletingTakesChildrenBeforeTheirFolder() {
    // Listed folder first, its content after: deleting in row order would leave the folder.
    Open({"dir/sub/x:1", "dir/y:2", "other/z:1"}, {"/dir", "/dir/sub", "/dir/sub/x", "/dir/y"});
    Question.Next(QMessageBox::Yes);
    Failures.Next(QMessageBox::Ok);
    Detail->ToolButton3Click();
    QVERIFY(Question.Shown);
    QVERIFY2(!Failures.Shown, qPrintable(Failures.Text));
    QVERIFY(!fs::exists(At("dir")));
    QVERIFY(fs::exists(At("other/z")));
    QVERIFY(!fs::exists(Home->Path() / "data/Trash")); // deleted, not trashed
    QStringList left = RowNames();
    left.sort();
    QCOMPARE(left, (QStringList{"", "/other", "/other/z"}));
}

void DetailRemovalTest::aReadOnlyWindowOffersNoWayToRemove() {
    BaseView->SetReadOnly(true);
    Open({"a.txt:3", "dir/x:1"}, {"/a.txt", "/dir", "/dir/x"});
    QVERIFY(!Detail->ToolButton2 && !Detail->ToolButton3);
    for (const QAction* action : Detail->findChildren<QAction*>()) {
        QVERIFY2(!action->text().contains("Trash") && !action->text().contains("Delete"),
                 qPrintable(action->text()));
        for (const QKeySequence& removal :
             {QKeySequence(QKeySequence::Delete), QKeySequence(Qt::SHIFT | Qt::Key_Delete)})
            QVERIFY(action->shortcut() != removal);
    }
    // The keys and the slots do nothing either: no question, nothing gone.
    Question.Next(QMessageBox::Yes);
    Press();
    Press(Qt::ShiftModifier);
    Detail->ToolButton2Click();
    Detail->ToolButton3Click();
    QTest::qWait(100);
    QVERIFY(!Question.Shown);
    QVERIFY(fs::exists(At("a.txt")) && fs::exists(At("dir/x")));
    QCOMPARE(Rows->rowCount(), 4);
}

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    DetailRemovalTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "DetailRemovalTest.moc"
