// The main window's commands on scanned fixture trees: the open flow through the folder-picker
// seam, a click in the folder tree, the scan on its worker thread (progress, cancel, failure),
// the wait window hidden on every path, a broken configuration file and the central error
// display.
#include "FixtureTree.h"
#include "uApplication.h"
#include "uBaseView.h"
#include "uMain.h"
#include "uScanRunner.h"
#include "uWaitForm.h"

#include <QBarSeries>
#include <QChart>
#include <QChartView>
#include <QMessageBox>
#include <QPieSeries>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <filesystem>
#include <fstream>
#include <sys/mount.h>
#include <thread>

using namespace quorvex;
using namespace quorvex::test;

namespace {

// Answers the next message box that opens with `button`, remembering its title and text.
struct TMessageAnswer {
    QString Title, Text;
    void Next(QMessageBox::StandardButton button) {
        QTimer::singleShot(50, [this, button] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return Next(button); // not open yet
            Title = box->windowTitle();
            Text = box->text();
            box->button(button)->click();
        });
    }
};

// Calls `action` whenever `widget` is shown.
class TOnShow : public QObject {
public:
    TOnShow(QWidget* widget, std::function<void()> action) : FAction(std::move(action)) {
        widget->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Show)
            FAction();
        return false;
    }

private:
    std::function<void()> FAction;
};

QString ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path);
    return QString::fromStdString({std::istreambuf_iterator<char>(in), {}});
}

} // namespace

class MainFlowTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void openFlowFillsTheWindowAndAClickShowsAFolder();
    void cancellingThePickerChangesNothing();
    void aFailedScanHidesTheWaitWindowAndKeepsTheWindowUsable();
    void workerScanReportsProgressAndStopsOnCancel();
    void workerFailureReachesTheCaller();
    void brokenConfigurationIsReplacedOnRequest();
    void declinedReplacementClosesTheWindow();
    void escapedFailuresReachOneMessageBox();
    void hiddenChartsFollowTheFolderWhenShown();
    void chartsOfManyTypesStayReadable();
    void closingDuringAScanStopsItAndCloses();
    void closingWhileTheWaitWindowOpensClosesAfterTheCommand();
    void inputWaitsForTheScanButTheWaitWindowTakesIt();
    void foldersOnOtherVolumesAreShownAsNotScanned();

private:
    std::unique_ptr<TMainForm> NewForm();

    TempDir Tree;
    std::unique_ptr<QTemporaryDir> Config;
    std::unique_ptr<TMainForm> Form;
    QString Picked;
};

void MainFlowTest::init() {
    Config = std::make_unique<QTemporaryDir>();
    WriteTree(Tree.Path(), {"docs/a.txt:1000", "docs/b.TXT:536", "docs/deep/c:0", "e/", "f.bin:0"});
}

void MainFlowTest::cleanup() {
    Form.reset();
    WaitForm = nullptr; // owned by the form
}

std::unique_ptr<TMainForm> MainFlowTest::NewForm() {
    auto form = std::make_unique<TMainForm>();
    form->FConfigFile = Config->filePath("KestrixFAConfig.xml").toStdString();
    form->FBrowseForFolder = [this](QString& path) {
        path = Picked;
        return !Picked.isEmpty();
    };
    WaitForm = new TWaitForm(form.get());
    return form;
}

void MainFlowTest::openFlowFillsTheWindowAndAClickShowsAFolder() {
    Form = NewForm();
    Form->show();
    QVERIFY(QTest::qWaitForWindowExposed(Form.get()));
    QVERIFY(BaseView);
    Picked = QString::fromStdString(Tree.Str());
    Form->btnOpenClick();

    QVERIFY(!WaitForm->isVisible());
    QCOMPARE(Form->lbPath->text(), Picked);
    QCOMPARE(Form->lblFileSize->text(), QString("1.50 KB( 1536 Byte)"));
    QCOMPARE(Form->lblFolderQty->text(), QString("4"));
    QCOMPARE(Form->lblFileQty->text(), QString("4"));
    QCOMPARE(Form->lblTypeQty->text(), QString("4"));
    QCOMPARE(Form->VTLeft->model()->rowCount(), 1);
    QVERIFY(Form->VTLeft->isExpanded(Form->VTLeft->model()->index(0, 0)));
    QVERIFY(Form->VTDetail->isExpanded(Form->VTDetail->model()->index(0, 0)));
    QCOMPARE(Form->VTFileAll->model()->rowCount(), 4);
    QCOMPARE(Form->windowTitle(), QString("Quorvex"));

    // A click on "docs" in the folder tree shows it everywhere but in the tree itself.
    TEntryTreeModel& tree = BaseView->VTLeft();
    const QModelIndex docs =
        tree.IndexOf(BaseView->FDataCtrl().Root()->FindByPath(Tree.Str() + "/docs"));
    QVERIFY(docs.isValid());
    Form->VTLeft->setCurrentIndex(docs);
    Form->VTLeftClick(docs);
    QCOMPARE(Form->lbPath->text(), Picked + "/docs");
    QCOMPARE(Form->lblFolderQty->text(), QString("2"));
    QCOMPARE(Form->VTFileAll->model()->rowCount(), 3);
    QCOMPARE(tree.TotalRowCount(), 4);
    QVERIFY(!WaitForm->isVisible());

    // A second scan replaces everything and shows its own top folder.
    TempDir other;
    WriteTree(other.Path(), {"only.txt:1"});
    Picked = QString::fromStdString(other.Str());
    Form->btnOpenClick();
    QCOMPARE(Form->lbPath->text(), Picked);
    QCOMPARE(BaseView->VTLeft().TotalRowCount(), 1);
    QCOMPARE(Form->lblFileQty->text(), QString("1"));
}

void MainFlowTest::cancellingThePickerChangesNothing() {
    Form = NewForm();
    Form->show();
    Picked = QString::fromStdString(Tree.Str());
    Form->btnOpenClick();
    Picked.clear();
    Form->btnOpenClick();
    QCOMPARE(Form->lbPath->text(), QString::fromStdString(Tree.Str()));
    QCOMPARE(Form->VTFileAll->model()->rowCount(), 4);
}

void MainFlowTest::aFailedScanHidesTheWaitWindowAndKeepsTheWindowUsable() {
    Form = NewForm();
    Form->show();
    QVERIFY_THROWS_EXCEPTION(std::exception, Form->OpenFolder(Tree.Str() + "/missing"));
    QVERIFY(!WaitForm->isVisible());
    Form->OpenFolder(Tree.Str()); // the next command works
    QCOMPARE(Form->lblFileQty->text(), QString("4"));
}

void MainFlowTest::workerScanReportsProgressAndStopsOnCancel() {
    Form = NewForm();
    Form->show();
    TWaitScope wait(QStringLiteral("Get Files Size Info.."));
    std::thread::id scanThread;
    QTimer::singleShot(300, WaitForm->btnCancel, &QPushButton::click);
    RunScanInBackground(
        [&](IScanObserver& observer) {
            scanThread = std::this_thread::get_id();
            for (std::uint64_t n = 1; !observer.ScanCancelRequested(); ++n) {
                observer.ScanProgress({n, n * 1024, "/data/folder"});
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        },
        WaitForm);
    QVERIFY(scanThread != std::this_thread::get_id());
    QVERIFY(WaitForm->lblProgress->text().contains("/data/folder"));
    QVERIFY(!WaitForm->btnCancel->isVisible());
}

void MainFlowTest::workerFailureReachesTheCaller() {
    QVERIFY_THROWS_EXCEPTION(
        std::runtime_error,
        RunScanInBackground([](IScanObserver&) { throw std::runtime_error("disk gone"); },
                            nullptr));
}

void MainFlowTest::brokenConfigurationIsReplacedOnRequest() {
    const std::filesystem::path file = Config->filePath("KestrixFAConfig.xml").toStdString();
    std::ofstream(file) << "<config versionNo=\"3\"><files>";
    TMessageAnswer answer;
    answer.Next(QMessageBox::Yes);
    Form = NewForm();
    Form->show();
    QVERIFY(BaseView);
    QCOMPARE(answer.Title, QString("Quorvex"));
    QVERIFY(answer.Text.contains(QString::fromStdString(file.string())));
    QCOMPARE(ReadFile(file.string() + ".bak"), QString("<config versionNo=\"3\"><files>"));
    QCOMPARE(std::filesystem::file_size(file), std::uintmax_t(1922)); // the default document
}

void MainFlowTest::declinedReplacementClosesTheWindow() {
    const std::filesystem::path file = Config->filePath("KestrixFAConfig.xml").toStdString();
    std::ofstream(file) << "<config/>"; // no versionNo
    TMessageAnswer answer;
    answer.Next(QMessageBox::No);
    Form = NewForm();
    Form->show();
    QVERIFY(!BaseView);
    QTRY_VERIFY(!Form->isVisible());
    QCOMPARE(ReadFile(file), QString("<config/>")); // left as it was
    QVERIFY(!std::filesystem::exists(file.string() + ".bak"));
}

void MainFlowTest::escapedFailuresReachOneMessageBox() {
    Form = NewForm();
    Form->show();
    ShowWait();
    TMessageAnswer answer;
    answer.Next(QMessageBox::Ok);
    QTimer::singleShot(0, [] { throw std::runtime_error("The folder vanished."); });
    QTRY_COMPARE(answer.Text, QString("The folder vanished."));
    QCOMPARE(answer.Title, QString("Quorvex"));
    QVERIFY(!WaitForm->isVisible());
    QVERIFY(Form->isVisible()); // the program goes on
}

namespace {

double ChartTotal(QChartView* view) {
    double total = 0;
    if (auto* pie = qobject_cast<QPieSeries*>(view->chart()->series().value(0)))
        for (QPieSlice* slice : pie->slices())
            total += slice->value();
    return total;
}

int ChartPointCount(QChartView* view) {
    if (auto* pie = qobject_cast<QPieSeries*>(view->chart()->series().value(0)))
        return int(pie->count());
    if (auto* bars = qobject_cast<QBarSeries*>(view->chart()->series().value(0)))
        return int(bars->count());
    return 0;
}

} // namespace

void MainFlowTest::hiddenChartsFollowTheFolderWhenShown() {
    Form = NewForm();
    Form->show();
    QVERIFY(QTest::qWaitForWindowExposed(Form.get()));
    Form->OpenFolder(Tree.Str());
    // Folder sizes of the folders below the root: docs 1536, docs/deep and e 0.
    Form->pcTotal->setCurrentIndex(1);
    QVERIFY(Form->chFolderPie->isVisible());
    QCOMPARE(ChartTotal(Form->chFolderPie), 1536.0);

    // A click while the page is hidden leaves its charts behind until they are shown.
    Form->pcTotal->setCurrentIndex(0);
    TEntryTreeModel& tree = BaseView->VTLeft();
    const QModelIndex docs =
        tree.IndexOf(BaseView->FDataCtrl().Root()->FindByPath(Tree.Str() + "/docs"));
    Form->VTLeft->setCurrentIndex(docs);
    Form->VTLeftClick(docs);
    QCOMPARE(ChartTotal(Form->chFolderPie), 1536.0);
    Form->pcTotal->setCurrentIndex(1);
    QCOMPARE(ChartTotal(Form->chFolderPie), 0.0); // only docs/deep is below docs
    QCOMPARE(ChartPointCount(Form->chFolderPie),
             BaseView->GroupView(EView::VTFolderSize).rowCount());

    // A click while the page is on screen updates it at once.
    const QModelIndex root = tree.index(0, 0);
    Form->VTLeft->setCurrentIndex(root);
    Form->VTLeftClick(root);
    QCOMPARE(ChartTotal(Form->chFolderPie), 1536.0);
}

void MainFlowTest::chartsOfManyTypesStayReadable() {
    TempDir many;
    std::vector<std::string> lines;
    for (int i = 0; i < 300; ++i)
        lines.push_back("f" + std::to_string(i) + ".t" + std::to_string(i) + ":" +
                        std::to_string(1 + i));
    WriteTree(many.Path(), lines);
    Form = NewForm();
    Form->show();
    QVERIFY(QTest::qWaitForWindowExposed(Form.get()));
    Form->OpenFolder(many.Str());
    QCOMPARE(Form->VTType->model()->rowCount(), 300); // the table keeps every type
    Form->pcTotal->setCurrentWidget(Form->pcTotal->widget(4));
    auto* typeTabs = qobject_cast<QTabWidget*>(Form->pcTotal->currentWidget());
    QVERIFY(typeTabs);
    for (QChartView* chart : {Form->chTypePie, Form->chTypeBar}) {
        typeTabs->setCurrentWidget(chart);
        QCOMPARE(ChartPointCount(chart), 21);
        QCOMPARE(ChartTotal(Form->chTypePie), 300.0 * 301 / 2);
    }
    auto* pie = qobject_cast<QPieSeries*>(Form->chTypePie->chart()->series().value(0));
    QVERIFY(pie->slices().last()->label().startsWith("Others (280) "));
    QCOMPARE(pie->slices().first()->value(), 300.0); // the largest first
}

void MainFlowTest::closingDuringAScanStopsItAndCloses() {
    Form = NewForm();
    Form->show();
    QVERIFY(QTest::qWaitForWindowExposed(Form.get()));
    QSignalSpy cancelled(WaitForm, &TWaitForm::CancelRequested);
    // Cancel appears just before the worker starts: a close queued then reaches the window
    // in the scan's own event loop, ahead of the scan's end.
    TOnShow onCancelShown(WaitForm->btnCancel, [this] {
        QMetaObject::invokeMethod(Form.get(), &QWidget::close, Qt::QueuedConnection);
    });
    // The program's own event loop, as at run time: it must end with the window.
    QTimer::singleShot(0, Form.get(), [this] { Form->OpenFolder(Tree.Str()); });
    QTimer::singleShot(20000, qApp, [] { QCoreApplication::exit(2); }); // a hung program
    QCOMPARE(QCoreApplication::exec(), 0);
    QCOMPARE(cancelled.size(), 1);
    QVERIFY(!Form->isVisible());
    QVERIFY(!BaseView); // the view controller and the scan are gone
    QVERIFY(!WaitForm->isVisible());
}

void MainFlowTest::closingWhileTheWaitWindowOpensClosesAfterTheCommand() {
    Form = NewForm();
    Form->show();
    QVERIFY(QTest::qWaitForWindowExposed(Form.get()));
    // Queued before the command: showing the wait window lets it through.
    QMetaObject::invokeMethod(Form.get(), &QWidget::close, Qt::QueuedConnection);
    Form->OpenFolder(Tree.Str());
    QTRY_VERIFY(!Form->isVisible());
    QVERIFY(!BaseView);
}

void MainFlowTest::inputWaitsForTheScanButTheWaitWindowTakesIt() {
    Form = NewForm();
    Form->show();
    QVERIFY(QTest::qWaitForWindowExposed(Form.get()));
    Picked = QString::fromStdString(Tree.Str());
    int opened = 0;
    Form->FBrowseForFolder = [&](QString&) { return ++opened, false; };
    int cancelled = 0;
    TOnShow onCancelShown(WaitForm->btnCancel, [&] {
        QTimer::singleShot(0, Form.get(), [&] {
            QTest::mouseClick(Form->btnOpen, Qt::LeftButton); // blocked: the scan owns the engine
            QTest::mouseClick(WaitForm->btnCancel, Qt::LeftButton);
            cancelled = WaitForm->btnCancel->isEnabled() ? 0 : 1;
        });
    });
    Form->OpenFolder(Tree.Str());
    QCOMPARE(opened, 0);
    QCOMPARE(cancelled, 1);                           // the click reached the wait window
    QTest::mouseClick(Form->btnOpen, Qt::LeftButton); // and free again afterwards
    QCOMPARE(opened, 1);
}

void MainFlowTest::foldersOnOtherVolumesAreShownAsNotScanned() {
    TempDir data;
    WriteTree(data.Path(), {"mnt/", "a.txt:5", "empty/"});
    if (mount("quorvex-test", (data.Path() / "mnt").c_str(), "tmpfs", 0, "size=1m") != 0)
        QSKIP("mounting a tmpfs is refused here");
    const std::shared_ptr<void> unmount(nullptr,
                                        [&data](void*) { umount((data.Path() / "mnt").c_str()); });
    WriteTree(data.Path(), {"mnt/inside:100"});
    Form = NewForm();
    Form->show();
    QVERIFY(QTest::qWaitForWindowExposed(Form.get()));
    Form->OpenFolder(data.Str());
    const QString mnt = QString::fromStdString(data.Str() + "/mnt");
    QVERIFY2(Form->lblScanState->text().endsWith(" - 1 folder(s) not scanned"),
             qPrintable(Form->lblScanState->text()));
    QCOMPARE(Form->lblNotScannedQty->text(), QString("1"));
    QCOMPARE(Form->VTFolderNotScanned->model()->rowCount(), 1);
    QCOMPARE(Form->VTFolderNotScanned->model()->index(0, 0).data().toString(), mnt);
    QCOMPARE(Form->lblFileSize->text(), QString("5.00 B( 5 Byte)")); // its 100 bytes not counted
    // Not empty, only unread: the empty list holds "empty" alone, the tree marks "mnt".
    QCOMPARE(Form->VTFolderEmpty->model()->rowCount(), 1);
    TEntryTreeModel& tree = BaseView->VTLeft();
    const QModelIndex mntRow =
        tree.IndexOf(BaseView->FDataCtrl().Root()->FindByPath(mnt.toStdString()));
    QCOMPARE(mntRow.data(Qt::ToolTipRole).toString(), QString("Not scanned: other volume"));
    QVERIFY(mntRow.data(Qt::ForegroundRole).isValid());
    QStringList listed;
    BaseView->SetReportHandler([&listed](TEntryListModel& rows) {
        for (int row = 0; row < rows.rowCount(); ++row)
            listed << rows.index(row, ecFullPath).data().toString();
    });
    QTest::mouseClick(Form->lnkNotScanned, Qt::LeftButton);
    QCOMPARE(listed, QStringList{mnt});
}

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    MainFlowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "MainFlowTest.moc"
