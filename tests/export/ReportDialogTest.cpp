// The report dialog and the save step: layout, the three messages, the list order of the
// sections, every format button, cancelling, the overwrite question, the row limit of the
// single-list workbook, and a failure said in a message with the wait window taken down.
#include "ExportTestUtil.h"
#include "ViewFixture.h"
#include "uReport.h"
#include "uWaitForm.h"

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

namespace fs = std::filesystem;
using namespace quorvex;
using namespace quorvex::test;

namespace {

// Answers every message box that opens with `button` and records their titles and texts.
struct TMessages {
    QStringList Seen;
    QMessageBox::StandardButton Button = QMessageBox::Ok;
    QTimer Timer;
    TMessages() {
        Timer.setInterval(20);
        QObject::connect(&Timer, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                Seen << box->windowTitle() + ": " + box->text();
                box->button(box->button(Button) ? Button : QMessageBox::Ok)->click();
            }
        });
        Timer.start();
    }
};

// A flat model of `rows` numbered rows.
class TNumbers : public QAbstractListModel {
public:
    explicit TNumbers(int rows) : FRows(rows) {}
    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : FRows;
    }
    QVariant data(const QModelIndex& index, int role) const override {
        return role == Qt::DisplayRole ? QVariant(index.row()) : QVariant();
    }

private:
    int FRows;
};

void Tick(TFMReport& dialog, int row) {
    dialog.clbVTList->item(row)->setCheckState(Qt::Checked);
}

} // namespace

class ReportDialogTest : public QObject {
    Q_OBJECT
private slots:
    void layoutAsDesigned();
    void noticesBeforeScanAndWithoutTicks();
    void sectionsFollowTheListAndEachButtonItsFormat();
    void cancelledSaveShowsNothing();
    void failureRestoresWaitWindowAndCursor();
    void saveStepAsksBeforeReplacingAndDeletesNothing();
    void singleListWorkbookRefusesTooManyRows();
};

void ReportDialogTest::layoutAsDesigned() {
    TFMReport dialog(nullptr);
    QCOMPARE(dialog.windowTitle(), QString("Generate Report"));
    QCOMPARE(dialog.minimumSize(), QSize(354, 342));
    QCOMPARE(dialog.maximumSize(), QSize(354, 342));
    QVERIFY(dialog.windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(!(dialog.windowFlags() & Qt::WindowMaximizeButtonHint));
    QCOMPARE(dialog.font().pixelSize(), 11);
    QCOMPARE(dialog.clbVTList->font().pixelSize(), 13);
    QCOMPARE(dialog.Label1->text(), QString("Select Report Content:"));
    QCOMPARE(dialog.Label2->text(), QString("Select Format:"));
    QCOMPARE(dialog.clbVTList->count(), 13);
    QCOMPARE(dialog.clbVTList->item(0)->text(), QString("Total Folder Tree"));
    QCOMPARE(dialog.clbVTList->item(12)->text(), QString("Files Name Length"));
    for (int i = 0; i < 13; ++i)
        QCOMPARE(dialog.clbVTList->item(i)->checkState(), Qt::Unchecked);
    QVERIFY(dialog.rbHtml->isChecked());

    // Five buttons top to bottom, each with a 32 x 32 icon to its right.
    const QList<QRadioButton*> buttons{dialog.rbHtml, dialog.rbExcel, dialog.rbTxt, dialog.rbCSV,
                                       dialog.rbXML};
    const QStringList texts{"Html", "Excel", "Text", "CSV", "XML"};
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(buttons[i]->text(), texts[i]);
        QVERIFY(i == 0 || buttons[i]->y() > buttons[i - 1]->y());
        QVERIFY(buttons[i]->geometry().bottom() < dialog.btnReport->y());
        const QPoint right(buttons[i]->geometry().right() + 16,
                           buttons[i]->geometry().center().y());
        const auto* icon = qobject_cast<QLabel*>(dialog.childAt(right));
        QVERIFY(icon);
        QCOMPARE(icon->pixmap().size(), QSize(32, 32));
    }
    QCOMPARE(dialog.btnReport->text(), QString("  Generate Report Now"));
    QVERIFY(!dialog.btnReport->icon().isNull());
    QVERIFY(dialog.btnReport->geometry().top() > dialog.clbVTList->geometry().bottom());
    QVERIFY(dialog.btnReport->width() > 300);
}

void ReportDialogTest::noticesBeforeScanAndWithoutTicks() {
    TMessages messages;
    int asked = 0;
    TFMReport before(nullptr);
    before.FSelectSaveFile = [&](EExportFormat) { return ++asked, QString(); };
    Tick(before, 0);
    before.btnReport->click();
    TViewFixture f({"a.txt:1"});
    TFMReport unscanned(f.View.get());
    unscanned.FSelectSaveFile = before.FSelectSaveFile;
    Tick(unscanned, 0);
    unscanned.btnReportClick();
    f.Open();
    TFMReport scanned(f.View.get());
    scanned.FSelectSaveFile = before.FSelectSaveFile;
    scanned.btnReportClick();
    QCOMPARE(messages.Seen, QStringList({"Quorvex: Please open one directory and scan first!",
                                         "Quorvex: Please open one directory and scan first!",
                                         "Quorvex: Please select content to generate report!"}));
    QCOMPARE(asked, 0);
}

void ReportDialogTest::sectionsFollowTheListAndEachButtonItsFormat() {
    TViewFixture f({"a/x.txt:10", "b.csv:3"});
    f.Open();
    TempDir out;
    TMessages messages;
    TFMReport dialog(f.View.get());
    std::vector<EExportFormat> asked;
    dialog.FSelectSaveFile = [&](EExportFormat format) {
        asked.push_back(format);
        return QString::fromStdString((out.Path() / "report").string());
    };
    Tick(dialog, 12); // "Files Name Length" first, then the folder tree
    Tick(dialog, 0);
    dialog.show();
    for (QRadioButton* button :
         {dialog.rbHtml, dialog.rbExcel, dialog.rbTxt, dialog.rbCSV, dialog.rbXML})
        button->click(), dialog.btnReport->click();
    QCOMPARE(asked, (std::vector<EExportFormat>{EExportFormat::Html, EExportFormat::Excel,
                                                EExportFormat::Text, EExportFormat::Csv,
                                                EExportFormat::Xml}));
    QCOMPARE(messages.Seen, QStringList(5, "Quorvex: Report generated!"));
    QVERIFY(dialog.isVisible());
    QVERIFY(dialog.rbXML->isChecked());
    QCOMPARE(dialog.clbVTList->item(12)->checkState(), Qt::Checked);

    dialog.rbTxt->click();
    dialog.btnReport->click();
    const std::string text = ReadBytes(out.Path() / "report");
    QCOMPARE(text.substr(0, text.find('\r')), std::string("Total Folder Tree"));
    const std::size_t names = text.find("\r\nFiles Name Length\r\n");
    QVERIFY(names != std::string::npos);
    QCOMPARE(text.substr(names + 21, 36), std::string("Group  ,  Total Size  ,  Files Count"));
}

void ReportDialogTest::cancelledSaveShowsNothing() {
    TViewFixture f({"a.txt:1"});
    f.Open();
    TMessages messages;
    TFMReport dialog(f.View.get());
    dialog.FSelectSaveFile = [](EExportFormat) { return QString(); };
    Tick(dialog, 6);
    dialog.btnReportClick();
    QVERIFY(messages.Seen.isEmpty());
}

void ReportDialogTest::failureRestoresWaitWindowAndCursor() {
    TViewFixture f({"a.txt:1"});
    f.Open();
    QWidget owner;
    WaitForm = new TWaitForm(&owner);
    TMessages messages;
    TFMReport dialog(f.View.get(), &owner);
    const QString target = QString::fromStdString(f.Root() + "/missing/report.htm");
    dialog.FSelectSaveFile = [&](EExportFormat) { return target; };
    Tick(dialog, 0);
    dialog.btnReportClick();
    // Said once, naming the file, and never followed by "Report generated!".
    QCOMPARE(messages.Seen.size(), 1);
    QVERIFY2(messages.Seen[0].startsWith("Quorvex: ") && messages.Seen[0].contains(target),
             qPrintable(messages.Seen[0]));
    QVERIFY(!WaitForm->isVisible());
    QCOMPARE(WaitForm->windowModality(), Qt::NonModal);
    QVERIFY(!QApplication::overrideCursor());
    QVERIFY(dialog.updatesEnabled());
    WaitForm = nullptr;
}

void ReportDialogTest::saveStepAsksBeforeReplacingAndDeletesNothing() {
    TempDir dir;
    const QString existing = QString::fromStdString((dir.Path() / "old.htm").string());
    WriteBytes(dir.Path() / "old.htm", "keep me");
    // Types `name` into the save dialog as soon as it is open, and accepts it.
    std::function<void(const QString&)> choose = [&choose](const QString& name) {
        QTimer::singleShot(20, [name, &choose] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return choose(name);
            // Typed, as selectFile() is ignored by a second dialog on a folder (Qt 6.4).
            dialog->setDirectory(QFileInfo(name).absolutePath());
            dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
                ->setText(QFileInfo(name).fileName());
            QMetaObject::invokeMethod(dialog, "accept");
        });
    };
    TMessages messages;
    messages.Button = QMessageBox::No;
    choose(existing);
    QCOMPARE(SelectSaveFile(".htm", "HTML File|*.htm", {}), QString());
    messages.Button = QMessageBox::Yes;
    choose(existing);
    QCOMPARE(SelectSaveFile(".htm", "HTML File|*.htm", {}), existing);
    QCOMPARE(ReadBytes(dir.Path() / "old.htm"), std::string("keep me")); // replaced on write only
    QCOMPARE(messages.Seen,
             QStringList(2, "Warning: File with the same name already exists,overwrite?"));
    choose(QString::fromStdString((dir.Path() / "new").string()));
    QCOMPARE(SelectSaveFile(".htm", "HTML File|*.htm", {}),
             QString::fromStdString((dir.Path() / "new.htm").string()));
    QCOMPARE(messages.Seen.size(), 2);
}

void ReportDialogTest::singleListWorkbookRefusesTooManyRows() {
    TMessages messages;
    int asked = 0;
    const TSaveStep save = [&](EExportFormat format) {
        asked += format == EExportFormat::Excel;
        return QString();
    };
    QVERIFY(!ExportVTToExcel(TNumbers(65535), save));
    QCOMPARE(messages.Seen, QStringList("Warning: The row count is out of excel range."));
    QCOMPARE(asked, 0);
    QVERIFY(!ExportVTToExcel(TNumbers(65534), save));
    QCOMPARE(asked, 1);
    QCOMPARE(messages.Seen.size(), 1);

    TempDir dir;
    const QString csv = QString::fromStdString((dir.Path() / "n.csv").string());
    QVERIFY(ExportVTToCsv(TNumbers(2), [&](EExportFormat) { return csv; }));
    QCOMPARE(ReadBytes(dir.Path() / "n.csv"),
             std::string("1,\r\n0,\r\n1,\r\n")); // the caption: the section number
}

QTEST_MAIN(ReportDialogTest)
#include "ReportDialogTest.moc"
