#include "FixtureTree.h"
#include "ForkedChild.h"
#include "uDataCtrl.h"
#include "uDataInfo.h"
#include "uFunction.h"
#include "uMain.h"
#include "uShell.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

using namespace quorvex;

namespace {

bool Exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

/// Runs `act` on the folder dialog once it is open (the dialog blocks the caller).
void WhenDialogOpens(std::function<void(QFileDialog*)> act) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, act] {
        if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            poll->deleteLater();
            act(dialog);
        }
    });
    poll->start(20);
}

/// Closes every message box that opens until destroyed, keeping their titles and texts.
struct TMessageLog {
    QStringList Titles, Texts;
    QTimer Poll;
    TMessageLog() {
        QObject::connect(&Poll, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                Titles << box->windowTitle();
                Texts << box->text();
                box->accept();
            }
        });
        Poll.start(20);
    }
};

} // namespace

/// Receives the addresses handed to the desktop instead of a browser or file manager.
class TUrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> Urls;
public slots:
    void Open(const QUrl& url) { Urls << url; }
};

class ShellTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void folderPathRules();
    void browseForFolder_data();
    void browseForFolder();
    void folderUrlKeepsNameBytes_data();
    void folderUrlKeepsNameBytes();
    void addressesGoToTheDesktop();
    void addressesNoProgramTakesAreNamedInAMessage();
    void forceDeleteFile();
    void iconsForFoldersAndLinks();
    void iconsAreCachedPerExtension();
    void wholeNameTypesDoNotLeakIntoExtensionCache();

private:
    /// Writes `lines` into a fresh folder and scans it.
    void ScanTree(const std::vector<std::string>& lines);
    /// The scanned entry at `relative` below the scanned folder.
    TDataInfo& Entry(const std::string& relative);

    QTemporaryDir FDir;
    int FTrees = 0;
    TDataCtrl FCtrl;
};

void ShellTest::initTestCase() {
    QVERIFY(FDir.isValid());
    UseDefaultIconTheme();
    QVERIFY(QIcon::hasThemeIcon("folder"));
}

void ShellTest::folderPathRules() {
    QCOMPARE(ChosenFolderPath("/"), QStringLiteral("/"));
    QCOMPARE(ChosenFolderPath("/home/user"), QStringLiteral("/home/user"));
    QCOMPARE(ChosenFolderPath("/home/user//"), QStringLiteral("/home/user"));
    test::WriteTree(FDir.path().toStdString(), {"file.txt:3"});
    QCOMPARE(ExistingFolderOrEmpty(FDir.path()), FDir.path());
    QCOMPARE(ExistingFolderOrEmpty(FDir.filePath("file.txt")), QString());
    QCOMPARE(ExistingFolderOrEmpty(FDir.filePath("gone")), QString());
    QCOMPARE(PickerStartFolder(QString(), "/usr"), QStringLiteral("/usr"));
    QCOMPARE(PickerStartFolder(FDir.path(), "/usr"), FDir.path());
}

void ShellTest::browseForFolder_data() {
    QTest::addColumn<QString>("incoming");
    QTest::addColumn<bool>("choose");
    QTest::addColumn<QString>("opensAt"); // empty: not checked
    QTest::addColumn<QString>("result");
    QTest::newRow("cancel, missing folder") << "gone" << false << ""
                                            << "";
    QTest::newRow("cancel, existing folder") << "start" << false << "start"
                                             << "start";
    QTest::newRow("choose") << "start" << true << "start"
                            << "target";
}

void ShellTest::browseForFolder() {
    QFETCH(QString, incoming);
    QFETCH(bool, choose);
    QFETCH(QString, opensAt);
    QFETCH(QString, result);
    QTemporaryDir dir;
    test::WriteTree(dir.path().toStdString(), {"start/", "target/inner/"});
    QString openedAt;
    WhenDialogOpens([&](QFileDialog* dialog) {
        openedAt = dialog->directory().absolutePath();
        dialog->setDirectory(dir.filePath("target") + "/");
        QMetaObject::invokeMethod(dialog, choose ? "accept" : "reject");
    });
    QString path = dir.filePath(incoming);
    QCOMPARE(BrowseForFolder("Pick", QString(), path, nullptr), choose);
    QCOMPARE(path, result.isEmpty() ? QString() : dir.filePath(result));
    if (!opensAt.isEmpty())
        QCOMPARE(openedAt, dir.filePath(opensAt));
}

void ShellTest::folderUrlKeepsNameBytes_data() {
    QTest::addColumn<QByteArray>("path");
    QTest::newRow("root") << QByteArray("/");
    QTest::newRow("UTF-8") << QByteArray("/tmp/Gr\xc3\xb6\xc3\x9f"
                                         "e");
    QTest::newRow("not UTF-8") << QByteArray("/tmp/a\xff\xfe"
                                             "b");
    QTest::newRow("URL delimiters") << QByteArray("/tmp/50% off #1?x=y");
}

void ShellTest::folderUrlKeepsNameBytes() {
    QFETCH(QByteArray, path);
    const QUrl url = FolderUrl(path);
    QVERIFY(url.isLocalFile());
    QVERIFY(!url.hasQuery() && !url.hasFragment());
    QCOMPARE(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()), path);
}

void ShellTest::addressesGoToTheDesktop() {
    TUrlRecorder recorder;
    for (const char* scheme : {"https", "mailto", "file"})
        QDesktopServices::setUrlHandler(scheme, &recorder, "Open");
    OpenHomePage();
    OpenMakerMail();
    OpenFolderInFileManager(QByteArray("/tmp/x\xff"));
    for (const char* scheme : {"https", "mailto", "file"})
        QDesktopServices::unsetUrlHandler(scheme);
    QCOMPARE(recorder.Urls.size(), 3);
    QCOMPARE(recorder.Urls[0], QUrl("https://quorvex.org"));
    QCOMPARE(recorder.Urls[1], QUrl("mailto:dev@quorvex.org"));
    QCOMPARE(recorder.Urls[2].path(QUrl::FullyEncoded), QStringLiteral("/tmp/x%FF"));
}

void ShellTest::addressesNoProgramTakesAreNamedInAMessage() {
    QList<QUrl> asked;
    bool opens = false;
    SetUrlOpener([&](const QUrl& url) {
        asked << url;
        return opens;
    });
    TMainForm form;
    {
        TMessageLog log;
        form.m2Click(); // Help
        OpenMakerMail(&form);
        OpenFolderInFileManager(QByteArray("/tmp/x\xff"), &form);
        QCOMPARE(log.Titles, (QStringList{"Quorvex", "Quorvex", "Quorvex"}));
        QVERIFY2(log.Texts[0].contains("https://quorvex.org"), qPrintable(log.Texts[0]));
        QVERIFY2(log.Texts[1].contains("dev@quorvex.org"), qPrintable(log.Texts[1]));
        QVERIFY2(log.Texts[2].contains(QStringLiteral("/tmp/x\uFFFD")), qPrintable(log.Texts[2]));
    }
    QCOMPARE(asked.size(), 3);
    QCOMPARE(asked[0], QUrl("https://quorvex.org"));
    QCOMPARE(asked[2].path(QUrl::FullyEncoded), QStringLiteral("/tmp/x%FF"));

    opens = true; // a program took it: nothing to say
    TMessageLog quiet;
    form.m2Click();
    OpenFolderInFileManager(QByteArray("/tmp"), &form);
    QTest::qWait(60);
    QVERIFY(quiet.Texts.isEmpty());
    QCOMPARE(asked.size(), 5);
    SetUrlOpener({});
}

void ShellTest::forceDeleteFile() {
    QTemporaryDir dir;
    const std::string root = dir.path().toStdString();
    test::WriteTree(root, {"locked.txt:10", "target.txt:5", "link -> target.txt", "shut/kept:1"});
    QCOMPARE(::chmod((root + "/locked.txt").c_str(), 0444), 0);
    const std::string badName = root + "/bad\xff name";
    ::close(::open(badName.c_str(), O_CREAT | O_WRONLY, 0644));
    for (const std::string name : {"/locked.txt", "/link"})
        QVERIFY(ForceDeleteFile(root + name, nullptr) && !Exists(root + name));
    QVERIFY(ForceDeleteFile(badName, nullptr) && !Exists(badName));
    QCOMPARE(std::filesystem::file_size(root + "/target.txt"), std::uintmax_t(5));

    std::string error;
    QVERIFY(!ForceDeleteFile(root + "/missing", &error));
    QCOMPARE(error, std::string("No such file or directory"));
    QVERIFY(!ForceDeleteFile(root + "/shut", nullptr)); // folders are not files
    // Root ignores permission bits: an ordinary user meets the locked folder.
    ::chmod((root + "/shut").c_str(), 0555);
    test::HandOver(root, test::NobodyId);
    const test::TChildResult child = test::RunInChild({test::NobodyId}, [&root] {
        std::string why;
        const bool deleted = ForceDeleteFile(root + "/shut/kept", &why);
        return test::Verdict("refused", !deleted) + why + "\n" +
               test::Verdict("kept", std::filesystem::exists(root + "/shut/kept"));
    });
    ::chmod((root + "/shut").c_str(), 0755);
    if (!child.Refused.empty())
        QSKIP(child.Refused.c_str());
    QCOMPARE(QString::fromStdString(child.Output),
             QString("refused yes\nPermission denied\nkept yes\n"));
}

void ShellTest::ScanTree(const std::vector<std::string>& lines) {
    const std::string root = FDir.path().toStdString() + "/tree" + std::to_string(++FTrees);
    test::WriteTree(root, lines);
    FCtrl.ScanFolder(root);
}

TDataInfo& ShellTest::Entry(const std::string& relative) {
    TDataInfo* root = FCtrl.Root();
    TDataInfo* entry = root->FindByPath(root->FullPath() + "/" + relative);
    if (!entry)
        qFatal("no entry %s in the scanned tree", relative.c_str());
    return *entry;
}

void ShellTest::iconsForFoldersAndLinks() {
    ScanTree({"docs/a.txt:1", "folder.txt/", "link.txt -> docs/a.txt", "broken -> gone"});
    TEntryIcons icons;
    QCOMPARE(icons.FolderIcon().name(), QStringLiteral("folder"));
    QCOMPARE(icons.Icon(Entry("docs")).cacheKey(), icons.FolderIcon().cacheKey());
    // A folder's name never selects a file type.
    QCOMPARE(icons.Icon(Entry("folder.txt")).cacheKey(), icons.FolderIcon().cacheKey());
    QCOMPARE(icons.Icon(Entry("link.txt")).name(), QStringLiteral("inode-symlink"));
    QCOMPARE(icons.Icon(Entry("broken")).name(), QStringLiteral("inode-symlink"));
    QCOMPARE(icons.Icon(Entry("docs/a.txt")).name(), QStringLiteral("text-x-generic"));
}

void ShellTest::iconsAreCachedPerExtension() {
    ScanTree({"a.txt:1", "B.TXT:1", "c.Txt:1", "pic.png:1", "noext:1"});
    TEntryIcons icons;
    const QIcon text = icons.Icon(Entry("a.txt"));
    QCOMPARE(icons.Icon(Entry("B.TXT")).cacheKey(), text.cacheKey());
    QCOMPARE(icons.Icon(Entry("c.Txt")).cacheKey(), text.cacheKey());
    const QIcon picture = icons.Icon(Entry("pic.png"));
    QVERIFY(picture.name().startsWith("image-"));
    QVERIFY(!icons.Icon(Entry("noext")).isNull());
    QCOMPARE(icons.CachedTypeCount(), 3); // txt, png and no extension
}

void ShellTest::wholeNameTypesDoNotLeakIntoExtensionCache() {
    // "Makefile" and "meson.build" have types of their own by whole name; they must not
    // decide the icon of every file without extension or with ".build".
    ScanTree({"Makefile:1", "plain:1", "meson.build:1", "x.build:1"});
    TEntryIcons fresh;
    const QString plainIcon = fresh.Icon(Entry("plain")).name();
    const QString buildIcon = fresh.Icon(Entry("x.build")).name();
    TEntryIcons icons;
    icons.Icon(Entry("Makefile"));
    icons.Icon(Entry("meson.build"));
    QCOMPARE(icons.Icon(Entry("plain")).name(), plainIcon);
    QCOMPARE(icons.Icon(Entry("x.build")).name(), buildIcon);
    QVERIFY(plainIcon != QStringLiteral("text-x-generic")); // what the leak would give
}

QTEST_MAIN(ShellTest)
#include "ShellTest.moc"
