// Exports on the worker thread, driven through the real wait window, report dialog and
// detail window offscreen: Cancel in the middle keeps the old file and leaves no temporary
// file, while the window stays modal and counts the rows; a finished report holds exactly the
// bytes of the synchronous writer; a failure is said, not swallowed.
#include "ExportTestUtil.h"
#include "ViewFixture.h"
#include "uDetailVT.h"
#include "uEntryModels.h"
#include "uReport.h"
#include "uReportDocs.h"
#include "uWaitForm.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <thread>

namespace fs = std::filesystem;
using namespace quorvex;
using namespace quorvex::test;

namespace {

// Rows "name-N" / N; reading row `Gate` (on the export's worker) holds the worker there
// until Release(), so the test acts while an export is surely half-way.
class TGateModel : public QAbstractTableModel {
public:
    TGateModel(int rows, int gate) : FRows(rows), FGate(gate) {}
    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : FRows;
    }
    int columnCount(const QModelIndex& = {}) const override { return 2; }
    QVariant headerData(int section, Qt::Orientation, int role) const override {
        return role == Qt::DisplayRole ? QVariant(section ? "Size" : "Name") : QVariant();
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole)
            return {};
        if (index.row() == FGate && index.column() == 0) {
            Reached = true;
            while (!Released)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return index.column() ? QVariant(index.row())
                              : QVariant(QString("name-%1").arg(index.row()));
    }
    void Release() { Released = true; }
    mutable std::atomic<bool> Reached{false};

private:
    int FRows, FGate;
    std::atomic<bool> Released{false};
};

// Answers every message box with its first button and records its title and text.
struct TMessages {
    QStringList Seen;
    QTimer Timer;
    TMessages() {
        Timer.setInterval(20);
        QObject::connect(&Timer, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                Seen << box->windowTitle() + ": " + box->text();
                box->buttons().constFirst()->click();
            }
        });
        Timer.start();
    }
};

// What the wait window showed while the worker was held at the gate.
struct TSeen {
    QString Progress;
    bool Modal = false;
    bool OwnerPaints = false;
};

std::vector<std::string> FolderNames(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The detail window's five export commands.
struct TExporter {
    const char* Name;
    bool (*Export)(const QAbstractItemModel&, const TSaveStep&, QWidget*);
};
const TExporter Exporters[] = {
    {"html", [](const QAbstractItemModel& m, const TSaveStep& s,
                QWidget* o) { return ExportVTToHtml(m, s, o); }},
    {"text", [](const QAbstractItemModel& m, const TSaveStep& s,
                QWidget* o) { return ExportVTToText(m, "  ,  ", s, o); }},
    {"csv", [](const QAbstractItemModel& m, const TSaveStep& s,
               QWidget* o) { return ExportVTToCsv(m, s, o); }},
    {"xml", [](const QAbstractItemModel& m, const TSaveStep& s,
               QWidget* o) { return ExportVTToXml(m, s, o); }},
    {"xlsx", [](const QAbstractItemModel& m, const TSaveStep& s,
                QWidget* o) { return ExportVTToExcel(m, s, o); }},
};

} // namespace

class ExportWorkerTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void cancelHalfWayKeepsTheOldFileAndLeavesNoTemporary_data();
    void cancelHalfWayKeepsTheOldFileAndLeavesNoTemporary();
    void reportOnTheWorkerEqualsTheSynchronousWriter_data();
    void reportOnTheWorkerEqualsTheSynchronousWriter();
    void failureIsSaidInTheReportDialogAndTheDetailWindow();

private:
    std::unique_ptr<QWidget> Main;
};

void ExportWorkerTest::init() {
    Main = std::make_unique<QWidget>();
    Main->resize(600, 400);
    Main->show();
    QVERIFY(QTest::qWaitForWindowExposed(Main.get()));
    WaitForm = new TWaitForm(Main.get());
}

void ExportWorkerTest::cleanup() {
    Main.reset();
    QVERIFY(!WaitForm);
}

void ExportWorkerTest::cancelHalfWayKeepsTheOldFileAndLeavesNoTemporary_data() {
    QTest::addColumn<int>("exporter"); // the index in Exporters
    for (int i = 0; i < int(std::size(Exporters)); ++i)
        QTest::newRow(Exporters[i].Name) << i;
}

void ExportWorkerTest::cancelHalfWayKeepsTheOldFileAndLeavesNoTemporary() {
    QFETCH(int, exporter);
    TempDir dir;
    const fs::path target = dir.Path() / "old.out";
    WriteBytes(target, "the user's old file\r\n");
    TGateModel model(5000, 3000);
    TSeen seen;
    QTimer poll;
    poll.setInterval(5);
    int waited = 0;
    connect(&poll, &QTimer::timeout, [&] {
        // Rows 0..3000 are counted once the worker waits in row 3000.
        if (!model.Reached ||
            (WaitForm->lblProgress->text() != "3,001 of 5,000 rows written" && ++waited < 400))
            return;
        poll.stop();
        seen = {WaitForm->lblProgress->text(), QApplication::activeModalWidget() == WaitForm,
                Main->updatesEnabled()};
        QTest::mouseClick(WaitForm->btnCancel, Qt::LeftButton);
        model.Release();
    });
    poll.start();
    const QString path = QString::fromStdString(target.string());
    const bool written = Exporters[exporter].Export(
        model, [&](EExportFormat) { return path; }, Main.get());
    QVERIFY(!written);
    QCOMPARE(seen.Progress, QString("3,001 of 5,000 rows written"));
    QVERIFY(seen.Modal); // nothing else took input meanwhile
    QVERIFY(seen.OwnerPaints);
    QCOMPARE(ReadBytes(target), std::string("the user's old file\r\n"));
    QCOMPARE(FolderNames(dir.Path()), std::vector<std::string>{"old.out"});
    QVERIFY(!WaitForm->isVisible());
    QCOMPARE(WaitForm->windowModality(), Qt::NonModal);
}

void ExportWorkerTest::reportOnTheWorkerEqualsTheSynchronousWriter_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("format");
    QTest::newRow("html") << "rbHtml" << int(EExportFormat::Html);
    QTest::newRow("text") << "rbTxt" << int(EExportFormat::Text);
    QTest::newRow("csv") << "rbCSV" << int(EExportFormat::Csv);
    QTest::newRow("xml") << "rbXML" << int(EExportFormat::Xml);
}

void ExportWorkerTest::reportOnTheWorkerEqualsTheSynchronousWriter() {
    QFETCH(QString, button);
    QFETCH(int, format);
    TViewFixture f(
        {"docs/a.txt:5", "docs/sub/b <&>.htm:300", "c.csv:0", "empty/", "z,\"q\".xml:7"});
    f.Open();
    TempDir out;
    fs::create_directory(out.Path() / "worker");
    fs::create_directory(out.Path() / "direct");
    TMessages messages;
    TFMReport dialog(f.View.get(), Main.get());
    dialog.FSelectSaveFile = [&](EExportFormat) {
        return QString::fromStdString((out.Path() / "worker" / "report").string());
    };
    for (int row : {0, 3, 6, 11, 12})
        dialog.clbVTList->item(row)->setCheckState(Qt::Checked);
    dialog.show();
    dialog.findChild<QRadioButton*>(button)->click();
    QTest::mouseClick(dialog.btnReport, Qt::LeftButton);
    QCOMPARE(messages.Seen, QStringList("Quorvex: Report generated!"));

    TReportList list;
    for (std::size_t row : {0, 3, 6, 11, 12})
        list.push_back(ReportItem(*f.View, row));
    WriteReport(EExportFormat(format), list, out.Path() / "direct" / "report");
    const std::string direct = ReadBytes(out.Path() / "direct" / "report");
    QVERIFY(direct.size() > 1000);
    QCOMPARE(ReadBytes(out.Path() / "worker" / "report"), direct);
}

void ExportWorkerTest::failureIsSaidInTheReportDialogAndTheDetailWindow() {
    TViewFixture f({"a.txt:1", "b.txt:2"});
    f.Open();
    // A regular file where a folder should be: refused even for root.
    const std::string blocker = f.Root() + "/a.txt";
    const QString target = QString::fromStdString(blocker + "/out.htm");
    TMessages messages;

    TFMReport dialog(f.View.get(), Main.get());
    dialog.FSelectSaveFile = [&](EExportFormat) { return target; };
    dialog.clbVTList->item(6)->setCheckState(Qt::Checked);
    dialog.show();
    QTest::mouseClick(dialog.btnReport, Qt::LeftButton);

    TEntryListModel rows;
    rows.SetColumns(f.View->VTFileAll().Columns());
    rows.Fill(f.View->FDataCtrl().Root(), nullptr);
    TfmDetail detail(rows, *f.View, Main.get());
    detail.FSaveStep = [&](EExportFormat) { return target; };
    detail.show();
    detail.ToolButton61->trigger();

    QCOMPARE(messages.Seen.size(), 2); // no "Report generated!" after the failure
    for (const QString& text : messages.Seen) {
        QVERIFY2(text.startsWith("Quorvex: Cannot write '" + target + "'"), qPrintable(text));
        QVERIFY2(text.contains("Not a directory"), qPrintable(text));
    }
    QVERIFY(!WaitForm->isVisible());
    QVERIFY(fs::is_regular_file(blocker));
}

QTEST_MAIN(ExportWorkerTest)
#include "ExportWorkerTest.moc"
