// The Options dialog on a configuration store of its own: what it shows, what OK writes (and
// that a failing OK writes nothing), the refusals of the range grids, the key filters, the
// grid's keys and row dragging, and "Load Default".
#include "OptionTestUtil.h"
#include "frmGroupOption.h"
#include "uApplication.h"
#include "uBaseConfig.h"
#include "uConfigDefault.h"
#include "uOption.h"
#include "uOptionInput.h"

#include <QClipboard>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <fstream>

using namespace quorvex;
using namespace quorvex::test;

namespace {

const QStringList DefaultSizes = {"0~10KB=10000",    "10~100KB=100000",    "0.1~1MB=1000000",
                                  "1~10MB=10000000", "10~100MB=100000000", "0.1~1G=1000000000"};

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// `text` (the default document unless given) with `from` replaced by `to`.
std::string Edited(const std::string& from, const std::string& to,
                   std::string text = std::string(DefaultConfigText)) {
    text.replace(text.find(from), from.size(), to);
    return text;
}

void ClickCell(TFrame1& frame, int row, int column) {
    const QRect cell = frame.vleList->visualRect(frame.Grid().index(row, column));
    QTest::mouseClick(frame.vleList->viewport(), Qt::LeftButton, {}, cell.center());
}

// Selects grid row `row` (1 is the first below the title row) as a click on it does.
void Select(TFrame1& frame, int row) {
    frame.vleList->setCurrentIndex(frame.Grid().index(row - 1, 0));
    frame.vleListSelectCell(row); // also when the cell was current already
}

// Focus moves only in the active window; a message box may have taken that role.
bool Activate(QWidget* window) {
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
}

} // namespace

class OptionDialogTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup();
    void defaultDocumentAndLayout();
    void okWithoutChangesWritesTheSameValues();
    void editsReachTheDocumentButNeverTheFile();
    void emptyCaptionRowsAreDropped();
    void refusedCaptionsLeaveTheGridAsItWas();
    void numbersAreDigitsOnly();
    void numberFieldsKeepTheEditingShortcuts();
    void bigSizeBoundsLoadAndSave();
    void failingOkChangesNothing_data();
    void failingOkChangesNothing();
    void loadDefaultThenCancel();
    void failedLoadDefaultKeepsTheControls();
    void handEditedFileLoadsWhatItCan();
    void oversizedRangeListShowsWhatTheGroupsHold();
    void gridKeysAndDragging();
    void deleteRowSelectsTheRowTakingItsPlace();

private:
    void Open(const std::string& fileText = {});
    std::filesystem::path File() const {
        return Dir->filePath("KestrixFAConfig.xml").toStdString();
    }
    IXMLConfigType Doc() const { return Store->GetConfig(); }

    std::unique_ptr<QTemporaryDir> Dir;
    std::unique_ptr<TBaseConfig> Store;
    std::unique_ptr<TfmOption> Dialog;
};

void OptionDialogTest::Open(const std::string& fileText) {
    Dir = std::make_unique<QTemporaryDir>();
    if (!fileText.empty())
        std::ofstream(File(), std::ios::binary) << fileText;
    Store = std::make_unique<TBaseConfig>(File());
    Dialog = std::make_unique<TfmOption>();
    Dialog->Config = Store.get();
    Dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(Dialog.get()));
}

void OptionDialogTest::cleanup() {
    Dialog.reset();
    Store.reset();
}

void OptionDialogTest::defaultDocumentAndLayout() {
    Open();
    TfmOption& d = *Dialog;
    QCOMPARE(d.PageControl1->currentIndex(), 0);
    QCOMPARE(QStringList({d.edLargeAmount->text(), d.edOlderAmount->text(), d.edGroupName->text()}),
             QStringList({"100", "100", "above last"}));
    QCOMPARE(GridRows(d.frmSize->Grid()), DefaultSizes);
    QCOMPARE(GridRows(d.frmAge->Grid()), QStringList({"one day=1", "three days=3", "one week=7",
                                                      "one month=30", "one year=365"}));
    QCOMPARE(GridRows(d.frmLength->Grid()),
             QStringList({"1=1", "2~6=6", "7~10=10", "11~19=19", "10~=365"}));
    QCOMPARE(d.frmSize->CurrentRow(), 0);

    QCOMPARE(d.size(), QSize(570, 433));
    QStringList texts;
    for (int i = 0; i < d.PageControl1->count(); ++i)
        texts << d.PageControl1->tabText(i);
    texts << d.Label1->text() << d.Label2->text() << d.Label3->text();
    QCOMPARE(texts,
             QStringList({"General  ", "File Size Group", "File Age Group", "FileName Length Group",
                          "File Amount Of The Largest Files Report  :",
                          "File Amount Of The Oldest Files Report : ",
                          "File Amount Of The Files Never Used  Report : "}));
    const std::pair<QWidget*, QRect> placed[] = {
        {d.PageControl1, {11, 10, 545, 377}},     {d.edOlderAmount, {286, 120, 121, 21}},
        {d.Button1, {269, 399, 75, 25}},          {d.Button4, {361, 399, 75, 25}},
        {d.Button5, {453, 399, 75, 25}},          {d.frmAge->vleList, {8, 16, 322, 265}},
        {d.frmAge->btnAdd, {393, 160, 75, 25}},   {d.frmAge->btnDelete, {248, 288, 75, 25}},
        {d.frmAge->edCaption, {353, 64, 121, 21}}};
    for (const auto& [widget, rect] : placed)
        QCOMPARE(widget->geometry(), rect);
    QVERIFY(d.PageControl1->tabBar()->tabRect(3).right() < 545); // no tab scrolls away
    QCOMPARE(d.frmAge->vleList->columnWidth(1), 178);
    for (QPushButton* b : d.findChildren<QPushButton*>())
        QVERIFY2(!b->isDefault() && !b->autoDefault(), qPrintable(b->objectName()));
    QCOMPARE(d.Button4->nextInFocusChain(), d.Button5);
    QCOMPARE(d.Button5->nextInFocusChain(), d.Button1);
    // No default and no cancel button: Enter and Esc close nothing.
    QTest::keyClick(d.edGroupName, Qt::Key_Return);
    QTest::keyClick(d.edGroupName, Qt::Key_Escape);
    QVERIFY(d.isVisible());

    // For a look at the dialog: QUORVEX_GRAB_DIR=/tmp ./OptionDialogTest
    if (const QString dir = qEnvironmentVariable("QUORVEX_GRAB_DIR"); !dir.isEmpty())
        for (int page : {0, 2}) {
            d.PageControl1->setCurrentIndex(page);
            if (page == 2)
                ClickCell(*d.frmAge, 1, 0); // a selected row, its cell editor open
            QVERIFY(d.grab().save(dir + QString("/fmOption-%1.png").arg(page)));
        }
}

void OptionDialogTest::okWithoutChangesWritesTheSameValues() {
    Open();
    Dialog->Button4->click();
    QCOMPARE(Dialog->result(), int(QDialog::Accepted));
    QCOMPARE(RangeItems(Doc()->Sizerange()), DefaultSizes);
    QCOMPARE(RangeItems(Doc()->Lengthrange()).last(), QString("10~=365"));
    QCOMPARE(Doc()->Agerange().Count(), 5);
    QCOMPARE(Doc()->Default().Largefilenum(), 100);
    QCOMPARE(Doc()->Default().Abovelast(), std::string("above last"));
}

void OptionDialogTest::editsReachTheDocumentButNeverTheFile() {
    Open();
    Retype(Dialog->edLargeAmount, "250");
    Retype(Dialog->edGroupName, "huge");
    Dialog->PageControl1->setCurrentIndex(1);
    TFrame1& f = *Dialog->frmSize;
    ClickCell(f, 1, 0);
    QCOMPARE(f.CurrentRow(), 2);
    QCOMPARE(f.edCaption->text(), QString("10~100KB"));
    Retype(f.edCaption, "mid"); // the row follows every key
    Retype(f.edValue, "5000");
    QCOMPARE(GridRows(f.Grid())[1], QString("mid=5000"));
    f.edCaption->setText("top");
    f.edValue->setText("2000000000");
    f.btnAdd->click(); // appended; the selected row stays selected and unchanged
    QCOMPARE(f.CurrentRow(), 2);

    Dialog->Button4->click();
    QCOMPARE(Dialog->result(), int(QDialog::Accepted));
    QCOMPARE(Doc()->Default().Largefilenum(), 250);
    QCOMPARE(Doc()->Default().Abovelast(), std::string("huge"));
    QStringList expected = DefaultSizes;
    expected[1] = "mid=5000";
    QCOMPARE(RangeItems(Doc()->Sizerange()), expected << "top=2000000000");
    QCOMPARE(ReadAll(File()), std::string(DefaultConfigText));
}

void OptionDialogTest::emptyCaptionRowsAreDropped() {
    Open();
    TMessageWatch watch;
    TFrame1& age = *Dialog->frmAge;
    Select(age, 1);
    Retype(age.edCaption, ""); // "one day" keeps its value, loses its caption
    QCOMPARE(GridRows(age.Grid())[0], QString("=1"));
    TFrame1& length = *Dialog->frmLength;
    Select(length, 1);
    for (int i = 0; i < 5; ++i)
        length.btnDelete->click();
    QCOMPARE(GridRows(length.Grid()), QStringList({"="})); // an empty grid shows one empty row

    Dialog->Button4->click();
    QCOMPARE(Dialog->result(), int(QDialog::Accepted));
    QVERIFY(watch.Texts.isEmpty());
    QCOMPARE(RangeItems(Doc()->Agerange()),
             QStringList({"three days=3", "one week=7", "one month=30", "one year=365"}));
    QCOMPARE(Doc()->Lengthrange().Count(), 0);
}

void OptionDialogTest::refusedCaptionsLeaveTheGridAsItWas() {
    Open();
    Dialog->PageControl1->setCurrentIndex(2);
    TFrame1& f = *Dialog->frmAge;
    const QStringList before = GridRows(f.Grid());
    TMessageWatch watch;
    const QString duplicate = "A key with the name of \"one week\" already exists";
    const QString equals = "Key may not contain equals sign (\"=\")";

    // "Add To List" with nothing selected.
    f.edCaption->setText("one week");
    f.edValue->setText("9");
    f.btnAdd->click();
    f.edCaption->setText("a=b");
    f.btnAdd->click();
    QCOMPARE(watch.Texts, QStringList({duplicate, equals}));
    QCOMPARE(GridRows(f.Grid()), before);

    // Typing into the caption of a selected row: refused key by key, the row keeps the last
    // caption accepted; "Add To List" then meets the caption the row already bears.
    watch.Texts.clear();
    ClickCell(f, 1, 1);
    Retype(f.edCaption, "one week");
    QCOMPARE(f.Grid().Row(1).Caption, QString("one wee"));
    Retype(f.edCaption, "soon");
    f.btnAdd->click();
    Retype(f.edCaption, "x=");
    QCOMPARE(watch.Texts,
             QStringList({duplicate, "A key with the name of \"soon\" already exists", equals}));
    QCOMPARE(f.Grid().Row(1).Caption, QString("x"));
    QCOMPARE(f.Grid().RowCount(), 5);

    // In the cell itself: refused when the editor commits.
    watch.Texts.clear();
    QVERIFY(Activate(Dialog.get()));
    f.vleList->setFocus();
    f.vleList->setCurrentIndex(f.Grid().index(0, 0));
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    QVERIFY(editor);
    Retype(editor, "one week");
    QTest::keyClick(editor, Qt::Key_Return); // commits once the editor has seen the key
    QTRY_COMPARE(watch.Texts, QStringList({duplicate}));
    QCOMPARE(f.Grid().Row(0).Caption, QString("one day"));
}

void OptionDialogTest::numbersAreDigitsOnly() {
    Open();
    for (QLineEdit* edit :
         {Dialog->edLargeAmount, Dialog->edOlderAmount, Dialog->frmAge->edValue}) {
        edit->clear();
        QTest::keyClicks(edit, "1a2-b 3+");
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClick(edit, Qt::Key_Home);
        QTest::keyClick(edit, Qt::Key_Delete);
        QCOMPARE(edit->text(), QString("2"));
    }
    for (QLineEdit* edit : {Dialog->edGroupName, Dialog->frmAge->edCaption}) {
        QTest::keyClicks(edit, "a-1 b");
        QVERIFY(edit->text().endsWith("a-1 b"));
    }
    // What OK reads for the report amounts: an optionally signed decimal within 32 bits.
    for (const auto& [text, value] :
         {std::pair("0042", 42), {"+7", 7}, {"2147483647", INT32_MAX}, {"-2147483648", INT32_MIN}})
        QCOMPARE(ReadInteger(text), std::optional<std::int32_t>(value));
    for (const char* text : {"2147483648", "-2147483649", "", "-", " 1", "0x10", "\u0661"})
        QVERIFY2(!ReadInteger(QString::fromUtf8(text)), text);
    // Range bounds are 64-bit: sizes beyond 2 GB are everyday.
    for (const auto& [text, value] : {std::pair<const char*, std::int64_t>("10000000000", 1e10),
                                      {"9223372036854775807", INT64_MAX},
                                      {"-9223372036854775808", INT64_MIN}})
        QCOMPARE(ReadInteger64(text), std::optional<std::int64_t>(value));
    for (const char* text : {"9223372036854775808", "-9223372036854775809", "99999999999999999999"})
        QVERIFY2(!ReadInteger64(QString::fromUtf8(text)), text);
}

// The usual editing shortcuts work in the number fields; what a paste would put there obeys
// the same rule as typing: a text with anything but digits is refused whole.
void OptionDialogTest::numberFieldsKeepTheEditingShortcuts() {
    Open();
    for (QLineEdit* edit :
         {Dialog->edLargeAmount, Dialog->edOlderAmount, Dialog->frmAge->edValue}) {
        edit->setText("100");
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(edit, "25"); // replaces the selection
        QCOMPARE(edit->text(), QString("25"));
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), QString("25"));
        QTest::keyClick(edit, Qt::Key_End);
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(edit->text(), QString("2525"));
        QTest::keyClick(edit, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(edit->text(), QString("25"));
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(edit->text(), QString());
        QCOMPARE(QApplication::clipboard()->text(), QString("25"));

        edit->setText("7");
        for (const char* refused : {"12a", "-3", "1 000", "\u0661"}) {
            QApplication::clipboard()->setText(QString::fromUtf8(refused));
            QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
            QTest::keyClick(edit, Qt::Key_Insert, Qt::ShiftModifier);
            QCOMPARE(edit->text(), QString("7"));
        }
        // Text dropped on the field is a paste too.
        for (const char* dropped : {"4b", "4"}) {
            QMimeData data;
            data.setText(dropped);
            QDragEnterEvent enter({1, 1}, Qt::CopyAction, &data, Qt::LeftButton, {});
            QApplication::sendEvent(edit, &enter);
            QDropEvent drop(QPointF(1, 1), Qt::CopyAction, &data, Qt::LeftButton, {});
            QApplication::sendEvent(edit, &drop);
        }
        QCOMPARE(QString(edit->text()).remove(u'7'), QString("4"));
    }
}

void OptionDialogTest::bigSizeBoundsLoadAndSave() {
    TMessageWatch watch;
    Open(Edited("value=\"1000000000\"", "value=\"10000000000\""));
    QCOMPARE(GridRows(Dialog->frmSize->Grid()).last(), QString("0.1~1G=10000000000"));
    Dialog->frmSize->Grid().SetValue(0, "3000000000");
    Dialog->Button4->click();
    QCOMPARE(watch.Texts, QStringList());
    QCOMPARE(Dialog->result(), int(QDialog::Accepted));
    QCOMPARE(Doc()->Sizerange().Item(0).Value(), 3000000000);
    QCOMPARE(Doc()->Sizerange().Item(5).Value(), 10000000000);
}

void OptionDialogTest::failingOkChangesNothing_data() {
    QTest::addColumn<int>("row"); // a size row, or -1 for the largest-files amount
    QTest::addColumn<QString>("text");
    QTest::newRow("letters in a value") << 1 << "12a";
    QTest::newRow("empty value") << 5 << "";
    QTest::newRow("value above 64 bits") << 2 << "9223372036854775808";
    QTest::newRow("empty report amount") << -1 << "";
    QTest::newRow("report amount above 32 bits") << -1 << "2147483648";
}

void OptionDialogTest::failingOkChangesNothing() {
    QFETCH(int, row);
    QFETCH(QString, text);
    Open();
    const std::string before = DocumentText(Doc());
    // Valid changes on every side of the bad one, so a partial write would show.
    Dialog->edOlderAmount->setText("7");
    Dialog->edGroupName->setText("over");
    Dialog->frmAge->Grid().SetCaption(0, "renamed");
    Dialog->frmSize->Grid().SetCaption(0, "tiny");
    if (row < 0)
        Dialog->edLargeAmount->setText(text);
    else
        Dialog->frmSize->Grid().setData(Dialog->frmSize->Grid().index(row, 1), text);

    TMessageWatch watch;
    Dialog->Button4->click();
    QCOMPARE(watch.Texts, QStringList({"'" + text + "' is not a valid integer value"}));
    QVERIFY(Dialog->isVisible());
    QCOMPARE(DocumentText(Doc()), before);
    QCOMPARE(Dialog->edGroupName->text(), QString("over")); // the controls keep their content
}

void OptionDialogTest::loadDefaultThenCancel() {
    Open(Edited("largefilenum=\"100\"", "largefilenum=\"5\""));
    Select(*Dialog->frmSize, 3);
    QCOMPARE(Dialog->edLargeAmount->text(), QString("5"));
    Dialog->edOlderAmount->setText("1"); // unsaved edits are replaced too
    Dialog->Button1->click();
    QCOMPARE(ReadAll(File()), std::string(DefaultConfigText));
    QCOMPARE(Dialog->edLargeAmount->text(), QString("100"));
    QCOMPARE(Dialog->edOlderAmount->text(), QString("100"));
    QCOMPARE(GridRows(Dialog->frmSize->Grid()), DefaultSizes);
    QCOMPARE(Dialog->frmSize->CurrentRow(), 0); // the old selection means nothing now
    QVERIFY(Dialog->isVisible());
    Dialog->Button5->click();
    QCOMPARE(Dialog->result(), int(QDialog::Rejected));
    QCOMPARE(Doc()->Default().Largefilenum(), 100);
}

void OptionDialogTest::failedLoadDefaultKeepsTheControls() {
    Open();
    Dialog->edLargeAmount->setText("77");
    std::filesystem::remove_all(Dir->path().toStdString()); // nowhere to write the file
    TMessageWatch watch;
    Dialog->Button1->click();
    QCOMPARE(watch.Texts.size(), 1);
    QVERIFY(watch.Texts[0].contains("KestrixFAConfig.xml"));
    QCOMPARE(Dialog->edLargeAmount->text(), QString("77"));
    QCOMPARE(Doc()->Default().Largefilenum(), 100);
}

void OptionDialogTest::handEditedFileLoadsWhatItCan() {
    TMessageWatch watch;
    Open(Edited("<item caption=\"three days\" value=\"3\"/>",
                "<item caption=\"one day\" value=\"2\"/><item caption=\"x=y\" value=\"3\"/>"
                "<item caption=\"soon\" value=\"4x\"/>",
                Edited("largefilenum=\"100\"", "largefilenum=\"lots\"")));
    QTRY_COMPARE(watch.Texts.size(), 1);
    const QString file = QString::fromStdString(File().string());
    QCOMPARE(watch.Texts[0],
             "'lots' is not a valid integer value in attribute 'largefilenum' of /config/default "
             "in '" +
                 file +
                 "'\n"
                 "A key with the name of \"one day\" already exists\n"
                 "Key may not contain equals sign (\"=\")\n"
                 "'4x' is not a valid integer value in attribute 'value' of "
                 "/config/agerange/item[4] in '" +
                 file + "'");
    QCOMPARE(Dialog->edLargeAmount->text(), QString("lots"));
    QCOMPARE(GridRows(Dialog->frmAge->Grid()),
             QStringList({"one day=1", "soon=4x", "one week=7", "one month=30", "one year=365"}));
    QCOMPARE(Dialog->frmLength->Grid().RowCount(), 5); // later lists still load

    // OK insists on readable numbers, then writes what the dialog shows.
    watch.Texts.clear();
    Dialog->Button4->click();
    Dialog->edLargeAmount->setText("3");
    Dialog->Button4->click();
    QCOMPARE(watch.Texts, QStringList({"'lots' is not a valid integer value",
                                       "'4x' is not a valid integer value"}));
    Dialog->frmAge->Grid().SetValue(1, "4");
    Dialog->Button4->click();
    QCOMPARE(Dialog->result(), int(QDialog::Accepted));
    QCOMPARE(RangeItems(Doc()->Agerange())[1], QString("soon=4"));
    QCOMPARE(Doc()->Lengthrange().Count(), 5);
}

// A hand-edited list longer than the groups can hold opens at once with what can be shown.
void OptionDialogTest::oversizedRangeListShowsWhatTheGroupsHold() {
    std::string items;
    for (int i = 1; i <= 20000; ++i)
        items +=
            "<item caption=\"g" + std::to_string(i) + "\" value=\"" + std::to_string(i) + "\"/>";
    TMessageWatch watch;
    Open(Edited("<item caption=\"0~10KB\" value=\"10000\"/>", items));
    QTRY_COMPARE(watch.Texts,
                 QStringList({"<sizerange> holds 20005 items; only the first 254 are shown"}));
    QCOMPARE(Dialog->frmSize->Grid().RowCount(), 254);
    QCOMPARE(GridRows(Dialog->frmSize->Grid()).last(), QString("g254=254"));
    // OK keeps the list within what the groups hold.
    watch.Texts.clear();
    QCOMPARE(Dialog->frmSize->AppendRow("extra", "1"), QString());
    Dialog->Button4->click();
    QCOMPARE(watch.Texts, QStringList({"A range list holds at most 254 items, not 255"}));
    Dialog->frmSize->Grid().DeleteRow(254);
    Dialog->Button4->click();
    QCOMPARE(Dialog->result(), int(QDialog::Accepted));
    QCOMPARE(Doc()->Sizerange().Count(), 254);
}

void OptionDialogTest::gridKeysAndDragging() {
    Open();
    Dialog->PageControl1->setCurrentIndex(1);
    TFrame1& f = *Dialog->frmSize;
    TRangeGridView* grid = f.vleList;
    QVERIFY(Activate(Dialog.get()));
    grid->setFocus();
    grid->setCurrentIndex(f.Grid().index(1, 1));
    QTest::keyClick(grid, Qt::Key_Insert);
    QCOMPARE(GridRows(f.Grid())[1], QString("="));
    QCOMPARE(f.CurrentRow(), 2);
    QTest::keyClick(grid, Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(GridRows(f.Grid()), DefaultSizes);
    QCOMPARE(f.edCaption->text(), QString("10~100KB"));

    grid->setCurrentIndex(f.Grid().index(5, 0));
    QTest::keyClick(grid, Qt::Key_Down);
    QTest::keyClick(grid, Qt::Key_Down); // the new last row is empty: no second one
    QCOMPARE(f.Grid().RowCount(), 7);
    QCOMPARE(grid->currentIndex().row(), 6);

    // Esc restores the row as it was when it became current, also from the cell editor.
    grid->setCurrentIndex(f.Grid().index(0, 0));
    f.Grid().setData(f.Grid().index(0, 1), "9");
    QCOMPARE(f.edValue->text(), QString("9")); // the edits follow the row edited in its cells
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    QVERIFY(editor);
    Retype(editor, "zz");
    QTest::keyClick(editor, Qt::Key_Escape);
    QCOMPARE(GridRows(f.Grid())[0], QString("0~10KB=10000"));
    QCOMPARE(editor->text(), QString("0~10KB"));
    QVERIFY(Dialog->isVisible());
    QTest::keyClick(editor, Qt::Key_Tab); // Tab leaves the grid
    QCOMPARE(QApplication::focusWidget(), f.edCaption);

    // Dragging the first row down past two others; the selection goes along.
    const auto centre = [&](int row) { return grid->visualRect(f.Grid().index(row, 1)).center(); };
    QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, centre(0));
    QTest::mouseMove(grid->viewport(), centre(1));
    QTest::mouseMove(grid->viewport(), centre(3));
    QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, centre(3));
    QCOMPARE(GridRows(f.Grid()).mid(0, 4), QStringList({"10~100KB=100000", "0.1~1MB=1000000",
                                                        "1~10MB=10000000", "0~10KB=10000"}));
    QCOMPARE(f.CurrentRow(), 4);
    Dialog->Button4->click();
    QCOMPARE(RangeItems(Doc()->Sizerange())[3], QString("0~10KB=10000")); // saved unsorted
}

void OptionDialogTest::deleteRowSelectsTheRowTakingItsPlace() {
    Open();
    TFrame1& f = *Dialog->frmSize;
    f.btnDelete->click(); // nothing selected yet
    QCOMPARE(f.Grid().RowCount(), 6);
    Select(f, 6);
    f.btnDelete->click();
    QCOMPARE(f.CurrentRow(), 5);
    QCOMPARE(f.edCaption->text(), QString("10~100MB"));
    Select(f, 2);
    f.btnDelete->click();
    QCOMPARE(f.CurrentRow(), 2);
    QCOMPARE(f.edValue->text(), QString("1000000"));
    Retype(f.edCaption, "half"); // renames the row the edits show
    QCOMPARE(GridRows(f.Grid()), QStringList({"0~10KB=10000", "half=1000000", "1~10MB=10000000",
                                              "10~100MB=100000000"}));
}

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    OptionDialogTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "OptionDialogTest.moc"
