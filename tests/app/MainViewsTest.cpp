// The views of the real main window after a scan: header clicks through the header itself,
// the column set-up read from the configuration, control characters in names, and the entry
// count of the status bar.
#include "FixtureTree.h"
#include "uBaseView.h"
#include "uConfigDefault.h"
#include "uExportView.h"
#include "uMain.h"
#include "uShareBar.h"
#include "uWaitForm.h"

#include <QHeaderView>
#include <QLabel>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <fstream>

using namespace quorvex;
using namespace quorvex::test;

namespace {

// Brings the tab pages that hold `widget` to the front, so its header has a real geometry.
void ShowPageOf(QWidget* widget) {
    for (QWidget* page = widget; page && page->parentWidget(); page = page->parentWidget())
        if (auto* tabs = qobject_cast<QTabWidget*>(page->parentWidget()->parentWidget()))
            if (const int i = tabs->indexOf(page); i >= 0)
                tabs->setCurrentIndex(i);
}

void ClickHeader(QTreeView* tree, int section) {
    QHeaderView* header = tree->header();
    const QPoint at(header->sectionViewportPosition(section) + header->sectionSize(section) / 2,
                    header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
}

bool ShowsArrow(const QHeaderView* header) {
    return header->isSortIndicatorShown() && header->sortIndicatorSection() >= 0 &&
           header->sortIndicatorSection() < header->count();
}

QStringList Column(const QTreeView* tree, int column) {
    QStringList texts;
    for (int row = 0; row < tree->model()->rowCount(); ++row)
        texts << tree->model()->index(row, column).data().toString();
    return texts;
}

// The text the view paints for a cell.
QString Shown(const QTreeView* tree, const QModelIndex& index) {
    const auto* delegate = qobject_cast<QStyledItemDelegate*>(tree->itemDelegate());
    return delegate ? delegate->displayText(index.data(), QLocale()) : index.data().toString();
}

QModelIndex FindRow(const QTreeView* tree, int column, const QString& text,
                    const QModelIndex& parent = {}) {
    const QAbstractItemModel& model = *tree->model();
    for (int row = 0; row < model.rowCount(parent); ++row) {
        const QModelIndex index = model.index(row, column, parent);
        if (index.data().toString() == text)
            return index;
        if (const QModelIndex below = FindRow(tree, column, text, model.index(row, 0, parent));
            below.isValid())
            return below;
    }
    return {};
}

} // namespace

class MainViewsTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void onlyTheTypeTableShowsASortArrowAndItFollowsItsRows();
    void entryViewsTakeTheirColumnsFromTheConfiguration();
    void controlCharactersAreShownVisiblyButKeptInTheData();
    void statusBarCountsTheEntriesBelowTheFolder();
    void shareBarsAreDrawnButNeverExported();

private:
    void Open(const std::vector<std::string>& lines);

    std::unique_ptr<TempDir> Tree;
    std::unique_ptr<QTemporaryDir> Config;
    std::unique_ptr<TMainForm> Form;
};

void MainViewsTest::init() {
    Tree = std::make_unique<TempDir>();
    Config = std::make_unique<QTemporaryDir>();
    Form = std::make_unique<TMainForm>();
    Form->FConfigFile = Config->filePath("KestrixFAConfig.xml").toStdString();
    WaitForm = new TWaitForm(Form.get());
}

void MainViewsTest::cleanup() {
    Form.reset();
    WaitForm = nullptr; // owned by the form
}

void MainViewsTest::Open(const std::vector<std::string>& lines) {
    Form->show();
    QVERIFY(QTest::qWaitForWindowExposed(Form.get()));
    WriteTree(Tree->Path(), lines);
    Form->OpenFolder(Tree->Str());
}

void MainViewsTest::onlyTheTypeTableShowsASortArrowAndItFollowsItsRows() {
    Open({"a.txt:1", "b.txt:2", "c.bin:5", "d.bin:6", "e.bin:7", "f:0"});
    const std::pair<QTreeView*, const char*> ranges[] = {
        {Form->VTFolderSize, "VTFolderSize"}, {Form->VTFileSize, "VTFileSize"},
        {Form->VTAgeCreate, "VTAgeCreate"},   {Form->VTAgeWrite, "VTAgeWrite"},
        {Form->VTAgeAccess, "VTAgeAccess"},   {Form->VTName, "VTName"}};
    for (const auto& [table, name] : ranges) {
        ShowPageOf(table);
        const QStringList before = Column(table, 0);
        for (int section : {0, 2, 2})
            ClickHeader(table, section);
        QVERIFY2(!ShowsArrow(table->header()), name);
        QCOMPARE(Column(table, 0), before);
    }

    QTreeView* types = Form->VTType;
    ShowPageOf(types);
    const auto arrow = [types] {
        return std::pair(types->header()->sortIndicatorSection(),
                         types->header()->sortIndicatorOrder());
    };
    ClickHeader(types, 2);
    QVERIFY(ShowsArrow(types->header()));
    QCOMPARE(arrow(), std::pair(2, Qt::AscendingOrder));
    QCOMPARE(Column(types, 2), (QStringList{"1", "2", "3"}));
    ClickHeader(types, 2);
    QCOMPARE(arrow(), std::pair(2, Qt::DescendingOrder));
    QCOMPARE(Column(types, 0), (QStringList{"bin", "txt", ""}));
    ClickHeader(types, 0); // another column: the direction still flips
    QCOMPARE(arrow(), std::pair(0, Qt::AscendingOrder));
    QCOMPARE(Column(types, 0), (QStringList{"", "bin", "txt"}));
    ClickHeader(types, 0);
    QCOMPARE(arrow(), std::pair(0, Qt::DescendingOrder));
    QCOMPARE(Column(types, 0), (QStringList{"txt", "bin", ""}));
}

void MainViewsTest::entryViewsTakeTheirColumnsFromTheConfiguration() {
    // Name shown third and 120 wide, the path hidden, the size first and 90 wide.
    std::string text(DefaultConfigText);
    const auto replace = [&text](const std::string& from, const std::string& to) {
        const auto at = text.find(from);
        QVERIFY2(at != std::string::npos, from.c_str());
        text.replace(at, from.size(), to);
    };
    replace(R"(Visible="True" Index="0"  Width="172")", R"(Visible="True" Index="2" Width="120")");
    replace(R"(Visible="True" Index="1" Width="173")", R"(Visible="False" Index="1" Width="173")");
    replace(R"(Visible="True" Index="2" Width="84")", R"(Visible="True" Index="0" Width="90")");
    std::ofstream(Form->FConfigFile) << text;
    Open({"d/a.txt:1"});

    for (QTreeView* list : {Form->VTDetail, Form->VTFolderAll, Form->VTFolderEmpty, Form->VTFileAll,
                            Form->VTFileEmpty}) {
        const QString name = list->objectName();
        // The nested list adds its share column after the configured ones.
        QCOMPARE(list->model()->columnCount(), list == Form->VTDetail ? 13 : 12);
        QCOMPARE(list->model()->headerData(0, Qt::Horizontal).toString(),
                 QStringLiteral("    FileName"));
        QVERIFY2(list->columnWidth(0) == 120 && list->columnWidth(2) == 90, qPrintable(name));
        QVERIFY2(list->columnWidth(3) == 100, qPrintable(name));
        QVERIFY2(list->header()->visualIndex(2) == 0 && list->header()->visualIndex(0) == 2,
                 qPrintable(name));
        QVERIFY2(list->header()->visualIndex(1) == 1, qPrintable(name));
        for (int column = 0; column < 12; ++column)
            QVERIFY2(list->isColumnHidden(column) == (column == 1 || column >= 7),
                     qPrintable(QStringLiteral("%1 column %2").arg(name).arg(column)));
    }
    QCOMPARE(Form->VTLeft->model()->columnCount(), 3);
    QCOMPARE(Form->VTLeft->columnWidth(0), 180);
    QCOMPARE(Form->VTLeft->model()->headerData(1, Qt::Horizontal).toString(),
             QStringLiteral("Total Size"));
    for (QTreeView* table : {Form->VTFolderSize, Form->VTType, Form->VTName}) {
        QCOMPARE(table->columnWidth(0), 200);
        QCOMPARE(table->columnWidth(1), 100);
        QCOMPARE(table->header()->visualIndex(2), 2);
    }
}

void MainViewsTest::controlCharactersAreShownVisiblyButKeptInTheData() {
    Open({"new\nline.txt:1", "tab\tbed.t\tx:2", "odd\x01\x7f/inner:3"});
    const QString newline = QStringLiteral("new\nline.txt");
    const QString tab = QStringLiteral("tab\tbed.t\tx");
    const QString shownNewline = QStringLiteral("new\u240Aline.txt");
    const QString shownTab = QStringLiteral("tab\u2409bed.t\u2409x");
    for (QTreeView* list : {Form->VTDetail, Form->VTFileAll}) {
        // The models keep the raw name: the exports read it there.
        const QModelIndex first = FindRow(list, 0, newline);
        const QModelIndex second = FindRow(list, 0, tab);
        QVERIFY2(first.isValid() && second.isValid(), qPrintable(list->objectName()));
        QCOMPARE(Shown(list, first), shownNewline);
        QCOMPARE(Shown(list, second), shownTab);
        QVERIFY(Shown(list, first.siblingAtColumn(1)).endsWith(QStringLiteral("/") + shownNewline));
    }
    const QModelIndex odd = FindRow(Form->VTLeft, 0, QStringLiteral("odd\x01\x7f"));
    QVERIFY(odd.isValid());
    QCOMPARE(Shown(Form->VTLeft, odd), QStringLiteral("odd\u2401\u2421"));
    const QModelIndex type = FindRow(Form->VTType, 0, QStringLiteral("t\tx"));
    QVERIFY(type.isValid());
    QCOMPARE(Shown(Form->VTType, type), QStringLiteral("t\u2409x"));
    // Ordinary text is untouched.
    QCOMPARE(Shown(Form->VTType, FindRow(Form->VTType, 0, QStringLiteral("txt"))),
             QStringLiteral("txt"));
}

void MainViewsTest::statusBarCountsTheEntriesBelowTheFolder() {
    std::vector<std::string> lines{"d/"};
    for (int i = 0; i < 1233; ++i)
        lines.push_back("d/f" + std::to_string(i) + ":1");
    Open(lines);
    // "d" and its files: the scanned folder itself is not counted, as in the wait window.
    QCOMPARE(Form->lblScanState->text(), QStringLiteral("1,234 entries"));

    BaseView->ShowFolder(BaseView->FDataCtrl().Root()->FindByPath(Tree->Str() + "/d"));
    QCOMPARE(Form->lblScanState->text(), QStringLiteral("1,234 entries")); // counts the scan
}

// Pixels of the bar room of a share cell painted in `highlight`.
int BarPixels(QTreeView* tree, const QModelIndex& index, const QColor& highlight) {
    const QImage cell = tree->viewport()->grab(tree->visualRect(index)).toImage();
    const QRect bar =
        TShareBarDelegate::BarRect(QRect(QPoint(0, 0), cell.size()), tree->fontMetrics());
    int count = 0;
    for (int x = bar.left(); x <= bar.right(); ++x)
        count += QColor(cell.pixel(x, bar.center().y())) == highlight ? 1 : 0;
    return count;
}

void MainViewsTest::shareBarsAreDrawnButNeverExported() {
    Open({"big:3000", "small:1000"});
    QTreeView* list = Form->VTDetail;
    ShowPageOf(list);
    list->clearSelection();
    const int share = BaseView->VTDetail().ShareColumn(); // after every configured column
    QCOMPARE(share, 12);
    QVERIFY(qobject_cast<TShareBarDelegate*>(list->itemDelegateForColumn(share)));
    list->setColumnWidth(share, 200);
    const QModelIndex big = FindRow(list, 0, "big").siblingAtColumn(share);
    const QModelIndex small = FindRow(list, 0, "small").siblingAtColumn(share);
    QCOMPARE(big.data().toString(), QString("75.0 %"));
    list->scrollTo(big);
    QTRY_VERIFY(list->visualRect(big).isValid());
    const QColor highlight = list->palette().color(QPalette::Highlight);
    const int bigBar = BarPixels(list, big, highlight),
              smallBar = BarPixels(list, small, highlight);
    // Three times the bytes, three times the bar (within the pixel each end may round).
    QVERIFY2(smallBar > 0 && std::abs(bigBar - 3 * smallBar) <= 3,
             qPrintable(QString("%1 / %2").arg(bigBar).arg(smallBar)));
    // The text stays where the bar ends: the cell still reads as the model says.
    QCOMPARE(Shown(list, big), QString("75.0 %"));

    // The reports list the configured columns only.
    QCOMPARE(TModelExportView(BaseView->VTDetail()).ColumnCount(), 12);
    QCOMPARE(TModelExportView(BaseView->VTLeft()).ColumnCount(), 2);
}

QTEST_MAIN(MainViewsTest)
#include "MainViewsTest.moc"
