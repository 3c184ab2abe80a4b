// The never-used reports on the real widgets (offscreen), on tmpfs volumes mounted with
// noatime and with the default relatime: the summary page says how far access times hold,
// the links are closed where they never change, and the report window repeats the note.
// Mounting needs root (as in CI); where it is refused the tests skip and say so.
// Set QUORVEX_GRAB_DIR to also save the summary page there.
#include "FixtureTree.h"
#include "uAccessTimes.h"
#include "uBaseView.h"
#include "uDetailVT.h"
#include "uMain.h"
#include "uWaitForm.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <sys/mount.h>

using namespace quorvex;
using namespace quorvex::test;

namespace {

QString Note(EAccessTimes rule) {
    return QString::fromStdString(AccessTimesNote(rule));
}

} // namespace

class AccessTimesWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void noatimeClosesTheNeverUsedLinksAndSaysWhy();
    void theLinksFollowEachScansVolume();
    void theReportWindowRepeatsTheNote();

private:
    /// Mounts a fresh tmpfs with `flags` on the fixture's "mnt", fills it and scans it;
    /// false when mounting is refused.
    bool ScanTmpfs(unsigned long flags);
    void Unmount();
    QList<TLinkLabel*> NeverUsedLinks() const {
        return {Form->Label13, Form->Label3, Form->Label6};
    }

    TempDir Tree;
    std::filesystem::path Mounted;
    std::unique_ptr<QTemporaryDir> Config;
    std::unique_ptr<TMainForm> Form;
};

void AccessTimesWindowTest::init() {
    Config = std::make_unique<QTemporaryDir>();
    Form = std::make_unique<TMainForm>();
    Form->FConfigFile = Config->filePath("KestrixFAConfig.xml").toStdString();
    WaitForm = new TWaitForm(Form.get());
    Form->resize(1000, 700);
    Form->show();
    QVERIFY(QTest::qWaitForWindowExposed(Form.get()));
}

void AccessTimesWindowTest::cleanup() {
    Form.reset();
    WaitForm = nullptr; // owned by the form
    Unmount();
}

bool AccessTimesWindowTest::ScanTmpfs(unsigned long flags) {
    Unmount();
    const std::filesystem::path target = Tree.Path() / "mnt";
    std::filesystem::create_directories(target);
    if (mount("quorvex-test", target.c_str(), "tmpfs", flags, "size=1m") != 0)
        return false;
    Mounted = target;
    WriteTree(target, {"old.txt:5@-100000000", "new.txt:7"});
    Form->OpenFolder(target.string());
    return true;
}

void AccessTimesWindowTest::Unmount() {
    if (!Mounted.empty())
        umount2(Mounted.c_str(), MNT_DETACH);
    Mounted.clear();
}

void AccessTimesWindowTest::noatimeClosesTheNeverUsedLinksAndSaysWhy() {
    if (!ScanTmpfs(MS_NOATIME))
        QSKIP("mounting a tmpfs is not permitted here");
    QCOMPARE(Form->lblAccessTimes->text(), Note(EAccessTimes::Never));
    for (TLinkLabel* link : NeverUsedLinks()) {
        QVERIFY2(!link->isEnabled(), qPrintable(link->objectName()));
        QCOMPARE(link->toolTip(), Note(EAccessTimes::Never));
    }
    QVERIFY(Form->Label9->isEnabled()); // the other reports do not read access times
    QVERIFY(Form->Label12->isEnabled());
    // A closed link opens nothing, by mouse or keyboard.
    int reports = 0;
    BaseView->SetReportHandler([&reports](TEntryListModel&) { ++reports; });
    QTest::mouseClick(Form->Label13, Qt::LeftButton);
    QTest::keyClick(Form->Label3, Qt::Key_Return);
    QCOMPARE(reports, 0);
    QTest::mouseClick(Form->Label9, Qt::LeftButton);
    QCOMPARE(reports, 1);

    const QString dir = qEnvironmentVariable("QUORVEX_GRAB_DIR");
    if (!dir.isEmpty())
        Form->findChild<QWidget*>(QStringLiteral("tsSummary"))
            ->grab()
            .save(dir + QStringLiteral("/atime-summary-noatime.png"));
}

// The rule is the scanned volume's, read again by every scan: a relatime scan after a
// noatime one opens the links again.
void AccessTimesWindowTest::theLinksFollowEachScansVolume() {
    if (!ScanTmpfs(MS_NOATIME))
        QSKIP("mounting a tmpfs is not permitted here");
    QVERIFY(!Form->Label6->isEnabled());
    QVERIFY(ScanTmpfs(0)); // the kernel's default: relatime
    QCOMPARE(Form->lblAccessTimes->text(), Note(EAccessTimes::Relative));
    for (TLinkLabel* link : NeverUsedLinks()) {
        QVERIFY2(link->isEnabled(), qPrintable(link->objectName()));
        QCOMPARE(link->toolTip(), Note(EAccessTimes::Relative));
    }
    const QString dir = qEnvironmentVariable("QUORVEX_GRAB_DIR");
    if (!dir.isEmpty())
        Form->findChild<QWidget*>(QStringLiteral("tsSummary"))
            ->grab()
            .save(dir + QStringLiteral("/atime-summary-relatime.png"));
}

// The report window says the note above its rows; reports that do not read access times
// carry none.
void AccessTimesWindowTest::theReportWindowRepeatsTheNote() {
    if (!ScanTmpfs(MS_STRICTATIME))
        QSKIP("mounting a tmpfs is not permitted here");
    QStringList notes;
    const auto probe = [&notes] {
        QTimer::singleShot(20, [&notes] {
            auto* detail = qobject_cast<TfmDetail*>(QApplication::activeModalWidget());
            QVERIFY(detail);
            notes << (detail->lblNote ? detail->lblNote->text() : QStringLiteral("-"));
            const QString dir = qEnvironmentVariable("QUORVEX_GRAB_DIR");
            if (!dir.isEmpty() && detail->lblNote)
                detail->grab().save(dir + QStringLiteral("/atime-detail-strictatime.png"));
            detail->close();
        });
    };
    probe();
    QTest::mouseClick(Form->Label13, Qt::LeftButton);
    probe();
    QTest::mouseClick(Form->Label11, Qt::LeftButton);
    QCOMPARE(notes, QStringList({Note(EAccessTimes::Strict), QStringLiteral("-")}));
}

QTEST_MAIN(AccessTimesWindowTest)
#include "AccessTimesWindowTest.moc"
