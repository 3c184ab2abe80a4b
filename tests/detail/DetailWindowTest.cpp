// The report links and drill-downs open the detail window with the right rows; the detail
// window checks, opens and deletes entries and says what it could not delete.
#include "FixtureTree.h"
#include "uApplication.h"
#include "uBaseConfig.h"
#include "uBaseFunction.h"
#include "uBaseView.h"
#include "uDetailVT.h"
#include "uMain.h"
#include "uShell.h"
#include "uWaitForm.h"

#include <QCheckBox>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <algorithm>
#include <ctime>
#include <filesystem>
#include <sys/stat.h>

using namespace quorvex;
using namespace quorvex::test;
namespace fs = std::filesystem;

namespace {

constexpr long long Day = 86400;

// Runs `inspect` on the next detail window that opens, then closes it.
struct TDetailProbe {
    QStringList Names;
    QString Title;
    int RowHeight = 0, Indicator = 0; // of the first row, and the style's check box
    bool Opened = false;
    bool Waiting = false; // cleared to stop waiting for a window that never comes
    void Next() {
        Waiting = true;
        QTimer::singleShot(20, [this] {
            if (!Waiting)
                return;
            auto* detail = qobject_cast<TfmDetail*>(QApplication::activeModalWidget());
            if (!detail)
                return Next();
            Opened = true;
            Waiting = false;
            Title = detail->windowTitle();
            const QAbstractItemModel& rows = *detail->VT->model();
            Names.clear();
            for (int row = 0; row < rows.rowCount(); ++row)
                Names << rows.index(row, 0).data().toString();
            RowHeight = detail->VT->visualRect(rows.index(0, 0)).height();
            Indicator =
                detail->VT->style()->pixelMetric(QStyle::PM_IndicatorHeight, nullptr, detail->VT);
            detail->close();
        });
    }
};

// Answers the next message box with `button`, keeping its title and text.
struct TAnswer {
    QString Title, Text;
    void Next(QMessageBox::StandardButton button) {
        QTimer::singleShot(20, [this, button] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return Next(button);
            Title = box->windowTitle();
            Text = box->text();
            box->button(button)->click();
        });
    }
};

std::int64_t LocalMs(int year, int month, int day, int hour) {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_isdst = -1;
    return std::int64_t(std::mktime(&tm)) * 1000;
}

} // namespace

class DetailWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void emptyReportsListTheCurrentFolderToo();
    void largestAndOldestListExactlyTheConfiguredNumber();
    void oldestAreTheEarliestCreatedNotTheEarliestWritten();
    void checkBoxesFitTheRowsWithAndWithoutIcons();
    void neverUsedRangesEndWholeYearsAgo();
    void neverUsedLinkUsesTheEnginesClock();
    void linksDoNothingBeforeAScan();
    void drillDownsOpenTheDetailWindow();
    void checkAllAndOpenInFileManager();
    void titleNamesTheReportAndStatusCountsRowsAndChecks();
    void aFolderNoProgramOpensIsNamedInAMessage();
    void deletingRemovesExactlyWhatLeftTheDisk();
    void exportsWriteEveryRowInTheListsOrder();
    void eachExportButtonWritesItsOwnFormat_data();
    void eachExportButtonWritesItsOwnFormat();

private:
    void Open(const std::vector<std::string>& lines);
    TDetailProbe Probe;
    std::unique_ptr<TempDir> Tree;
    std::unique_ptr<QTemporaryDir> Config;
    std::unique_ptr<TMainForm> Form;
};

void DetailWindowTest::init() {
    Probe = {};
    Tree = std::make_unique<TempDir>();
    Config = std::make_unique<QTemporaryDir>();
    Form = std::make_unique<TMainForm>();
    Form->FConfigFile = Config->filePath("KestrixFAConfig.xml").toStdString();
    WaitForm = new TWaitForm(Form.get());
    Form->show();
}

void DetailWindowTest::cleanup() {
    Probe.Waiting = false;
    Form.reset();
    WaitForm = nullptr;
}

void DetailWindowTest::Open(const std::vector<std::string>& lines) {
    WriteTree(Tree->Path(), lines);
    Form->OpenFolder(Tree->Str());
}

void DetailWindowTest::emptyReportsListTheCurrentFolderToo() {
    Open({"e1:0", "sub/e2:0", "void/", "full:3"});
    Probe.Next();
    Form->Label11Click();
    QVERIFY(Probe.Opened);
    QCOMPARE(QSet<QString>(Probe.Names.begin(), Probe.Names.end()), (QSet<QString>{"e1", "e2"}));
    Probe.Next();
    Form->Label9Click();
    QCOMPARE(QSet<QString>(Probe.Names.begin(), Probe.Names.end()), (QSet<QString>{"sub", "void"}));

    BaseView->ShowFolder(BaseView->FDataCtrl().Root()->FindByPath(Tree->Str() + "/sub"));
    Probe.Next();
    Form->Label9Click();
    QCOMPARE(Probe.Names, QStringList{"sub"}); // the current folder's own total is 0
}

void DetailWindowTest::largestAndOldestListExactlyTheConfiguredNumber() {
    std::vector<std::string> lines;
    for (int i = 1; i <= 5; ++i)
        lines.push_back("f" + std::to_string(i) + ":" + std::to_string(i * 10));
    Open(lines);
    // The oldest by creation time: birth times follow the order of writing.
    auto defaults = BaseView->FConfig().GetConfig()->Default();
    defaults.SetLargefilenum(3);
    defaults.SetOlderfilenum(0);
    Probe.Next();
    Form->Label2Click();
    QCOMPARE(Probe.Names, (QStringList{"f5", "f4", "f3"}));
    QCOMPARE(Form->VTFileAll->model()->index(0, 0).data().toString(), QString("f5"));
    QVERIFY(!BaseView->VTFileAll().SortState().IsSet()); // the header keeps its state

    Probe.Next();
    Form->Label12Click();
    QVERIFY(Probe.Opened);
    QVERIFY(Probe.Names.isEmpty()); // 0 means none
    defaults.SetOlderfilenum(100);
    Probe.Next();
    Form->Label12Click();
    QCOMPARE(Probe.Names.size(), 5); // fewer files than asked for
    QCOMPARE(Form->VTFileAll->model()->index(4, 0).data().toString(), Probe.Names.last());
}

// Creation and write times in opposite orders. A file's creation time is its birth time, or
// without one the earlier of change and modification time: modification times set in the
// future leave the change time, set at the moment of the call, as the creation time.
void DetailWindowTest::oldestAreTheEarliestCreatedNotTheEarliestWritten() {
    const long long now = std::time(nullptr);
    const fs::path root = Tree->Path();
    for (const char* name : {"born-first", "born-second"}) {
        if (name[5] == 's')
            QTest::qWait(1100); // the times are kept in whole seconds
        WriteTree(root, {std::string(name) + ":1"});
        SetTimes(root / name, now + (name[5] == 's' ? 1000 : 2000)); // written in reverse
    }
    Form->OpenFolder(Tree->Str());
    const TDataInfo* first = BaseView->FDataCtrl().Root()->FindByPath(Tree->Str() + "/born-first");
    const TDataInfo* second =
        BaseView->FDataCtrl().Root()->FindByPath(Tree->Str() + "/born-second");
    QVERIFY(first && second);
    QVERIFY(first->CreateSeconds() < second->CreateSeconds());
    QVERIFY(first->WriteSeconds() > second->WriteSeconds());

    BaseView->FConfig().GetConfig()->Default().SetOlderfilenum(2);
    Probe.Next();
    Form->Label12Click();
    QCOMPARE(Probe.Names, (QStringList{"born-first", "born-second"}));
}

// The reports without icons (largest, oldest) and those with them (empty files) alike: the
// check box and the frame around it fit, so the grid line below does not cut it.
void DetailWindowTest::checkBoxesFitTheRowsWithAndWithoutIcons() {
    Open({"e1:0", "e2:0", "big:9"});
    const int margin = Form->style()->pixelMetric(QStyle::PM_FocusFrameVMargin);
    QList<int> heights;
    for (auto link :
         {&TMainForm::Label2Click, &TMainForm::Label12Click, &TMainForm::Label11Click}) {
        Probe.Next();
        (Form.get()->*link)();
        QVERIFY(Probe.Opened);
        QVERIFY2(
            Probe.RowHeight >= Probe.Indicator + 2 * margin,
            qPrintable(
                QStringLiteral("row %1, check box %2").arg(Probe.RowHeight).arg(Probe.Indicator)));
        heights << Probe.RowHeight;
    }
    QCOMPARE(heights[0], heights[2]); // one height whether or not there is an icon
}

void DetailWindowTest::neverUsedRangesEndWholeYearsAgo() {
    const auto text = [](int y, int m, int d, int h) {
        return DateTimeText(LocalMs(y, m, d, h) / 1000);
    };
    QCOMPARE(NeverUsedAccessRange(LocalMs(2025, 3, 10, 14), 1),
             text(2023, 3, 10, 14) + ";" + text(2024, 3, 10, 14));
    QCOMPARE(NeverUsedAccessRange(LocalMs(2025, 3, 10, 14), 3),
             text(2021, 3, 10, 14) + ";" + text(2022, 3, 10, 14));
    // 29 February: a year without one uses the 28th.
    QCOMPARE(NeverUsedAccessRange(LocalMs(2024, 2, 29, 9), 1),
             text(2022, 2, 28, 9) + ";" + text(2023, 2, 28, 9));
    QCOMPARE(NeverUsedAccessRange(LocalMs(2024, 2, 29, 9), 3),
             text(2020, 2, 29, 9) + ";" + text(2021, 2, 28, 9));
}

void DetailWindowTest::neverUsedLinkUsesTheEnginesClock() {
    const long long year = 365 * Day;
    Open({"recent:1@-" + std::to_string(30 * Day),
          "oneandhalf:1@-" + std::to_string(year + 180 * Day),
          "twoandhalf:1@-" + std::to_string(2 * year + 180 * Day)});
    const std::int64_t now = std::int64_t(std::time(nullptr)) * 1000;
    BaseView->FDataCtrl().SetClock([now] { return now; });
    Probe.Next();
    Form->Label13Click();
    QCOMPARE(Probe.Names, QStringList{"oneandhalf"});
    Probe.Next();
    Form->Label3Click();
    QCOMPARE(Probe.Names, QStringList{"twoandhalf"});
    Probe.Next();
    Form->Label6Click();
    QVERIFY(Probe.Opened && Probe.Names.isEmpty());
}

void DetailWindowTest::linksDoNothingBeforeAScan() {
    Probe.Next();
    for (auto link : {&TMainForm::Label9Click, &TMainForm::Label11Click, &TMainForm::Label12Click,
                      &TMainForm::Label2Click, &TMainForm::Label13Click, &TMainForm::Label3Click,
                      &TMainForm::Label6Click})
        (Form.get()->*link)();
    QTest::qWait(100);
    QVERIFY(!Probe.Opened);
}

void DetailWindowTest::drillDownsOpenTheDetailWindow() {
    Open({"a.txt:10", "b.TXT:20", "c:30"});
    const QStringList types = [&] {
        QStringList captions;
        for (int row = 0; row < Form->VTType->model()->rowCount(); ++row)
            captions << Form->VTType->model()->index(row, 0).data().toString();
        return captions;
    }();
    Form->VTType->setCurrentIndex(Form->VTType->model()->index(int(types.indexOf("TXT")), 0));
    Probe.Next();
    emit Form->VTType->doubleClicked(Form->VTType->currentIndex());
    QCOMPARE(Probe.Names, QStringList{"b.TXT"});
    Probe.Next();
    const TChartPoints points = BaseView->ChartPoints(EView::VTType);
    const auto noExtension = std::find_if(points.Points.begin(), points.Points.end(),
                                          [](const TChartPoint& p) { return p.Caption.empty(); });
    QVERIFY(noExtension != points.Points.end());
    // The empty extension: every file.
    BaseView->ChartDblClick(EView::VTType, int(noExtension - points.Points.begin()));
    QCOMPARE(Probe.Names.size(), 3);
}

void DetailWindowTest::titleNamesTheReportAndStatusCountsRowsAndChecks() {
    Open({"dir/inner.txt:1024", "top.txt:512", "e.txt:0"});
    const struct {
        void (TMainForm::*Link)();
        const char* Title;
    } links[] = {{&TMainForm::Label11Click, "Detail Files - Empty Files Report"},
                 {&TMainForm::Label2Click, "Detail Files - The Largest Files Report"},
                 {&TMainForm::Label12Click, "Detail Files - The Oldest Files Report"},
                 {&TMainForm::Label3Click, "Detail Files - Files Never Used Last Two Years Report"},
                 {&TMainForm::lnkNotScannedClick, "Detail Files - Folders Not Scanned Report"}};
    for (const auto& link : links) {
        Probe.Next();
        (Form.get()->*link.Link)();
        QCOMPARE(Probe.Title, QString(link.Title));
    }
    Probe.Next();
    BaseView->GroupDblClick(EView::VTFileSize, 0);
    QCOMPARE(Probe.Title, QString("Detail Files - File Size: 0~10KB"));

    // The root, "dir", its file, and two files: 1,536 bytes, each counted once.
    TEntryListModel rows;
    rows.SetColumns(BaseView->VTFileAll().Columns());
    rows.Fill(BaseView->FDataCtrl().Root(), nullptr);
    TfmDetail detail(rows, *BaseView);
    QCOMPARE(detail.lblCounts->text(), QString("Rows: 5 (1.50 KB) - Checked: 0 (0.00 B)"));
    for (int row = 0; row < rows.rowCount(); ++row)
        if (rows.EntryAt(row)->Name() == "dir" || rows.EntryAt(row)->Name() == "inner.txt")
            rows.SetChecked(row, true);
    QTRY_COMPARE(detail.lblCounts->text(), QString("Rows: 5 (1.50 KB) - Checked: 2 (1.00 KB)"));
    detail.cbCheck->click();
    QTRY_COMPARE(detail.lblCounts->text(), QString("Rows: 5 (1.50 KB) - Checked: 5 (1.50 KB)"));
    rows.RemoveRowsAt({0});
    QTRY_COMPARE(detail.lblCounts->text(), QString("Rows: 4 (1.50 KB) - Checked: 4 (1.50 KB)"));
}

void DetailWindowTest::checkAllAndOpenInFileManager() {
    Open({"dir/inner.txt:4", "top.txt:1"});
    TEntryListModel rows;
    rows.SetColumns(BaseView->VTFileAll().Columns());
    rows.Fill(BaseView->FDataCtrl().Root(), nullptr);
    TfmDetail detail(rows, *BaseView);
    QCOMPARE(detail.windowTitle(), QString("Detail Files"));
    QCOMPARE(detail.ToolButton61->toolTip(), QString("Export to HTML"));
    QCOMPARE(rows.index(0, 0).data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
    rows.SetChecked(1, true);
    detail.cbCheck->click();
    for (int row = 0; row < rows.rowCount(); ++row)
        QVERIFY(rows.IsChecked(row));
    detail.cbCheck->click();
    for (int row = 0; row < rows.rowCount(); ++row)
        QVERIFY(!rows.IsChecked(row)); // also the row checked by hand

    QList<QByteArray> opened;
    detail.FOpenFolder = [&](const QByteArray& folder) { opened << folder; };
    detail.ToolButton1Click(); // no focused row
    QVERIFY(opened.isEmpty());
    for (int row = 0; row < rows.rowCount(); ++row) {
        detail.VT->setCurrentIndex(rows.index(row, 0));
        detail.ToolButton1Click();
    }
    const QByteArray root = QByteArray::fromStdString(Tree->Str());
    QVERIFY(opened.contains(root));          // the folder itself, and top.txt's folder
    QVERIFY(opened.contains(root + "/dir")); // dir, and inner.txt's folder
    QCOMPARE(opened.size(), rows.rowCount());
}

void DetailWindowTest::aFolderNoProgramOpensIsNamedInAMessage() {
    Open({"dir/inner.txt:4"});
    TEntryListModel rows;
    rows.SetColumns(BaseView->VTFileAll().Columns());
    rows.Fill(BaseView->FDataCtrl().Root()->FindByPath(Tree->Str() + "/dir"), nullptr);
    TfmDetail detail(rows, *BaseView);
    QList<QUrl> asked;
    SetUrlOpener([&](const QUrl& url) {
        asked << url;
        return false;
    });
    detail.VT->setCurrentIndex(rows.index(1, 0)); // inner.txt: its folder opens
    TAnswer answer;
    answer.Next(QMessageBox::Ok);
    detail.ToolButton1Click();
    SetUrlOpener({});
    QCOMPARE(asked.size(), 1);
    QCOMPARE(asked[0].toLocalFile(), QString::fromStdString(Tree->Str() + "/dir"));
    QCOMPARE(answer.Title, QString("Quorvex"));
    QVERIFY2(answer.Text.contains(QString::fromStdString(Tree->Str() + "/dir")),
             qPrintable(answer.Text));
}

void DetailWindowTest::deletingRemovesExactlyWhatLeftTheDisk() {
    Open({"ro.txt:3", "keep.txt:2", "target.txt:5", "link -> target.txt", "empty/", "full/x:1",
          "locked/y:1"});
    const fs::path root = Tree->Path();
    ::chmod((root / "ro.txt").c_str(), 0444);
    TEntryListModel rows;
    rows.SetColumns(BaseView->VTFileAll().Columns());
    rows.Fill(BaseView->FDataCtrl().Root()->FindByPath(Tree->Str()), nullptr);
    TfmDetail detail(rows, *BaseView);
    const QStringList wanted{"ro.txt", "link", "empty", "full"};
    for (int row = 0; row < rows.rowCount(); ++row)
        rows.SetChecked(row, wanted.contains(rows.index(row, 0).data().toString()));

    TAnswer no;
    no.Next(QMessageBox::No);
    detail.ToolButton3Click();
    QCOMPARE(no.Title, QString("Warning"));
    QCOMPARE(no.Text, QString("Delete 4 entries (14.00 B) permanently? This cannot be undone."));
    QVERIFY(fs::exists(root / "ro.txt"));

    TAnswer yes, warning;
    yes.Next(QMessageBox::Yes);
    QTimer::singleShot(200, [&] { warning.Next(QMessageBox::Ok); });
    detail.ToolButton3Click();
    QVERIFY(!fs::exists(root / "ro.txt"));
    QVERIFY(!fs::exists(fs::symlink_status(root / "link")));
    QCOMPARE(fs::file_size(root / "target.txt"), std::uintmax_t(5)); // the link's target stays
    QVERIFY(!fs::exists(root / "empty"));
    QVERIFY(fs::exists(root / "full/x")); // a folder that still holds files stays...
    QStringList left;
    for (int row = 0; row < rows.rowCount(); ++row)
        left << rows.index(row, 0).data().toString();
    QVERIFY(left.contains("full")); // ...and so does its row, still checked
    QVERIFY(rows.IsChecked(int(left.indexOf("full"))));
    for (const char* gone : {"ro.txt", "link", "empty"})
        QVERIFY(!left.contains(gone));
    QTRY_COMPARE(warning.Title, QString("Warning"));
    QVERIFY(warning.Text.startsWith("1 of the checked entries could not be deleted:\n"));
    QVERIFY(warning.Text.contains("/full"));
    // The main window still counts what was deleted until the next scan.
    QCOMPARE(Form->lblFileQty->text(), QString("6"));
}

void DetailWindowTest::exportsWriteEveryRowInTheListsOrder() {
    Open({"a.txt:1", "b.txt:22", "c.txt:333"});
    TEntryListModel rows;
    rows.SetColumns(BaseView->VTFileAll().Columns());
    rows.Fill(BaseView->FDataCtrl().Root(), nullptr);
    TfmDetail detail(rows, *BaseView);
    rows.SortRows(ecFileSize, Qt::DescendingOrder);
    rows.SetChecked(1, true);
    const QString target = Config->filePath("out.csv");
    detail.FSaveStep = [&](EExportFormat) { return target; };
    detail.ToolButton66->trigger();
    QFile file(target);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString csv = QString::fromUtf8(file.readAll());
    const qsizetype c = csv.indexOf("c.txt"), b = csv.indexOf("b.txt"), a = csv.indexOf("a.txt");
    QVERIFY(c > 0 && b > c && a > b); // unchecked rows too, largest first
    QVERIFY(csv.contains(QString::fromStdString(Tree->Str()) + ","));
}

void DetailWindowTest::eachExportButtonWritesItsOwnFormat_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("format");
    QTest::addColumn<QByteArray>("start");   // how the file begins
    QTest::addColumn<QByteArray>("holds");   // what only this format holds
    QTest::addColumn<QByteArray>("foreign"); // what it must not hold
    QTest::newRow("HTML") << "ToolButton61" << int(EExportFormat::Html)
                          << QByteArray("<HTML><HEAD>") << QByteArray("<Table")
                          << QByteArray("<?xml");
    QTest::newRow("XML") << "ToolButton62" << int(EExportFormat::Xml) << QByteArray("<?xml")
                         << QByteArray("<file ") << QByteArray("<HTML>");
    QTest::newRow("Text") << "ToolButton63" << int(EExportFormat::Text) << QByteArray()
                          << QByteArray("  ,  ") << QByteArray("<");
    QTest::newRow("CSV") << "ToolButton66" << int(EExportFormat::Csv) << QByteArray()
                         << QByteArray(",\r\n") << QByteArray("  ,  ");
    // A zip archive whose directory names the sheet.
    QTest::newRow("Excel") << "ToolButton67" << int(EExportFormat::Excel) << QByteArray("PK\3\4")
                           << QByteArray("xl/worksheets/sheet1.xml") << QByteArray();
}

void DetailWindowTest::eachExportButtonWritesItsOwnFormat() {
    QFETCH(QString, button);
    QFETCH(int, format);
    QFETCH(QByteArray, start);
    QFETCH(QByteArray, holds);
    QFETCH(QByteArray, foreign);
    Open({"a.txt:1", "b.txt:22"});
    TEntryListModel rows;
    rows.SetColumns(BaseView->VTFileAll().Columns());
    rows.Fill(BaseView->FDataCtrl().Root(), nullptr);
    TfmDetail detail(rows, *BaseView);
    QList<int> asked;
    const QString target = Config->filePath("out");
    detail.FSaveStep = [&](EExportFormat chosen) {
        asked << int(chosen);
        return target;
    };
    auto* action = detail.findChild<QAction*>(button);
    QVERIFY(action);
    action->trigger();
    QCOMPARE(asked, QList<int>{format}); // the save dialog offers this format's extension
    QFile file(target);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY2(bytes.startsWith(start), bytes.left(40));
    QVERIFY2(bytes.contains(holds), bytes.left(80));
    QVERIFY2(foreign.isEmpty() || !bytes.contains(foreign), bytes.left(80));
}

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    DetailWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "DetailWindowTest.moc"
