// The changes list over a comparison of a fixture folder with a saved scan of it: the rows,
// their kinds and signed size changes, the totals, the header sorts and what the roles
// hand out (a removed row is a base entry and must never reach an action).
#include "FixtureTree.h"
#include "uChangesModel.h"
#include "uDataCtrl.h"
#include "uDataInfo.h"
#include "uEntryColumns.h"
#include "uEntryModels.h"
#include "uScanCompare.h"

#include <QAbstractItemModelTester>
#include <QPersistentModelIndex>
#include <QTest>
#include <algorithm>
#include <functional>
#include <optional>

namespace fs = std::filesystem;
using namespace quorvex;
using namespace quorvex::test;

class ChangesModelTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void rowsShowKindPathSignSizeAndType();
    void totalsCountEveryKindAndTheWholeChange();
    void sizeChangeSortsBothWaysAndKeepsSelection();
    void pathSortMixesBaseAndCurrentRows();
    void rolesHandOutOnlyCurrentEntries();
    void refillKeepsTheHeaderSortAndClearEmpties();

    void pathSortOfManyCurrentAndFewRemovedRows();

private:
    void Compared(const std::vector<std::string>& lines, const std::function<void()>& edit);
    QStringList Rows(int firstColumn, int lastColumn) const;

    std::optional<TempDir> Work, Dir;
    std::optional<TDataCtrl> Current, Base;
    std::optional<TScanCompare> Compare;
    std::optional<TChangesModel> Model;
};

// Base: a.txt 100, c 10, old/ 70+30, keep/k 5, keep/s 300. Now: a.txt grew by 1024, c and old/
// are gone, keep/s shrank by 256, new/ (2048+1000) and keep/z (500) were added.
void ChangesModelTest::init() {
    Compared({"a.txt:100", "c:10", "old/x:70", "old/y:30", "keep/k:5", "keep/s:300"}, [this] {
        fs::resize_file(Dir->Path() / "a.txt", 1124);
        fs::resize_file(Dir->Path() / "keep/s", 44);
        fs::remove(Dir->Path() / "c");
        fs::remove_all(Dir->Path() / "old");
        WriteTree(Dir->Path(), {"new/n1:2048", "new/n2:1000", "keep/z:500"});
    });
}

// The model over the folder written from `lines`, saved as the base, then edited.
void ChangesModelTest::Compared(const std::vector<std::string>& lines,
                                const std::function<void()>& edit) {
    cleanup();
    Work.emplace();
    Dir.emplace();
    WriteTree(Dir->Path(), lines);
    const std::string baseFile = (Work->Path() / "base.json").string();
    {
        TDataCtrl first;
        first.ScanFolder(Dir->Str());
        first.SaveScanFile(baseFile);
    }
    edit();
    Current.emplace();
    Current->ScanFolder(Dir->Str());
    Base.emplace();
    Base->LoadScanFile(baseFile);
    Compare.emplace(*Current, *Base);
    Model.emplace();
    new QAbstractItemModelTester(&*Model, QAbstractItemModelTester::FailureReportingMode::QtTest,
                                 &*Model);
    Model->Fill(&*Compare);
}

void ChangesModelTest::cleanup() {
    Model.reset();
    Compare.reset();
    Current.reset();
    Base.reset();
    Dir.reset();
    Work.reset();
}

// Every row as its cells joined by "|", paths relative to the fixture folder.
QStringList ChangesModelTest::Rows(int firstColumn, int lastColumn) const {
    const QString root = QString::fromStdString(Dir->Str()) + u'/';
    QStringList rows;
    for (int row = 0; row < Model->rowCount(); ++row) {
        QStringList cells;
        for (int column = firstColumn; column <= lastColumn; ++column)
            cells << Model->index(row, column).data().toString().remove(root);
        rows << cells.join(u'|');
    }
    return rows;
}

void ChangesModelTest::rowsShowKindPathSignSizeAndType() {
    QCOMPARE(Model->columnCount(), int(TChangesModel::ColumnCount));
    QStringList captions;
    for (int c = 0; c < Model->columnCount(); ++c)
        captions << Model->headerData(c, Qt::Horizontal).toString();
    QCOMPARE(captions, QStringList({"Change", "Path", "Size Change", "Size", "Type"}));
    // What took space first, largest first; then what freed it, removed entries last. A
    // removed row shows its base size.
    QCOMPARE(
        Rows(TChangesModel::ccChange, TChangesModel::ccType),
        QStringList({"Added|new|+2.98 KB|2.98 KB|Folder", "Grown|a.txt|+1.00 KB|1.10 KB|File",
                     "Added|keep/z|+500.00 B|500.00 B|File", "Shrunk|keep/s|-256.00 B|44.00 B|File",
                     "Removed|old|-100.00 B|100.00 B|Folder", "Removed|c|-10.00 B|10.00 B|File"}));
    const auto align = [&](int column) {
        return Model->index(0, column).data(Qt::TextAlignmentRole).value<Qt::Alignment>() &
               Qt::AlignHorizontal_Mask;
    };
    QCOMPARE(align(TChangesModel::ccSizeChange), Qt::AlignRight);
    QCOMPARE(align(TChangesModel::ccSize), Qt::AlignRight);
    QCOMPARE(align(TChangesModel::ccPath), Qt::AlignLeft);
}

void ChangesModelTest::totalsCountEveryKindAndTheWholeChange() {
    QCOMPARE(Model->TotalsLines(),
             QStringList({"Added: 2 entries, +3.46 KB", "Removed: 2 entries, -110.00 B",
                          "Grown: 1 entry, +1.00 KB", "Shrunk: 1 entry, -256.00 B",
                          "Total Change: +4.11 KB( +4206 Byte)"}));
}

void ChangesModelTest::sizeChangeSortsBothWaysAndKeepsSelection() {
    // A selected row stays on its entry.
    const QPersistentModelIndex shrunk = Model->index(3, TChangesModel::ccPath);
    const QString shrunkPath = shrunk.data().toString();

    Model->SortRows(TChangesModel::ccSizeChange, Qt::AscendingOrder);
    // Ascending by the signed number: the largest loss first, the largest growth last.
    QCOMPARE(Rows(TChangesModel::ccPath, TChangesModel::ccSizeChange),
             QStringList({"keep/s|-256.00 B", "old|-100.00 B", "c|-10.00 B", "keep/z|+500.00 B",
                          "a.txt|+1.00 KB", "new|+2.98 KB"}));
    QCOMPARE(shrunk.row(), 0);
    QCOMPARE(shrunk.data().toString(), shrunkPath);

    Model->SortRows(TChangesModel::ccSizeChange, Qt::DescendingOrder);
    QCOMPARE(Rows(TChangesModel::ccPath, TChangesModel::ccSizeChange),
             QStringList({"new|+2.98 KB", "a.txt|+1.00 KB", "keep/z|+500.00 B", "c|-10.00 B",
                          "old|-100.00 B", "keep/s|-256.00 B"}));
    QCOMPARE(shrunk.row(), 5);

    // The size column sorts the sizes themselves, a removed row by its base size.
    Model->SortRows(TChangesModel::ccSize, Qt::AscendingOrder);
    QCOMPARE(Rows(TChangesModel::ccPath, TChangesModel::ccPath),
             QStringList({"c", "keep/s", "old", "keep/z", "a.txt", "new"}));
}

void ChangesModelTest::pathSortMixesBaseAndCurrentRows() {
    // Rows of two trees: paths still interleave, folders first as in every list.
    Model->SortRows(TChangesModel::ccPath, Qt::AscendingOrder);
    QCOMPARE(Rows(TChangesModel::ccPath, TChangesModel::ccPath),
             QStringList({"new", "old", "a.txt", "c", "keep/s", "keep/z"}));
    Model->SortRows(TChangesModel::ccPath, Qt::DescendingOrder);
    QCOMPARE(Rows(TChangesModel::ccPath, TChangesModel::ccPath),
             QStringList({"old", "new", "keep/z", "keep/s", "c", "a.txt"}));
    Model->SortRows(TChangesModel::ccChange, Qt::AscendingOrder);
    QCOMPARE(Rows(TChangesModel::ccChange, TChangesModel::ccChange),
             QStringList({"Added", "Added", "Grown", "Removed", "Removed", "Shrunk"}));
}

void ChangesModelTest::rolesHandOutOnlyCurrentEntries() {
    const TDataInfo* root = Current->Root();
    for (int row = 0; row < Model->rowCount(); ++row) {
        const QModelIndex index = Model->index(row, TChangesModel::ccSize);
        const int kind = index.data(ChangeKindRole).toInt();
        QCOMPARE(ChangeKindText(kind), Model->index(row, TChangesModel::ccChange).data());
        const auto* entry =
            reinterpret_cast<const TDataInfo*>(index.data(EntryRole).value<quintptr>());
        if (EChangeKind(kind) == EChangeKind::Removed) {
            QCOMPARE(entry, nullptr);
            QVERIFY(Model->EntryAt(row) != nullptr); // the row itself still has its base entry
            continue;
        }
        // A current entry of the current tree, the one the row shows.
        QCOMPARE(entry, Model->EntryAt(row));
        const TDataInfo* top = entry;
        while (top->Parent())
            top = top->Parent();
        QCOMPARE(top, root);
    }
}

void ChangesModelTest::refillKeepsTheHeaderSortAndClearEmpties() {
    Model->SetSortState({TChangesModel::ccPath, Qt::AscendingOrder});
    Model->Fill(&*Compare);
    QCOMPARE(Rows(TChangesModel::ccPath, TChangesModel::ccPath),
             QStringList({"new", "old", "a.txt", "c", "keep/s", "keep/z"}));
    QCOMPARE(Model->Comparison(), &*Compare);

    Model->Clear();
    QCOMPARE(Model->rowCount(), 0);
    QCOMPARE(Model->TotalRowCount(), 0);
    QVERIFY(Model->TotalsLines().isEmpty());
    QCOMPARE(Model->Comparison(), nullptr);
    Model->SortRows(TChangesModel::ccSizeChange, Qt::DescendingOrder); // nothing to reach
    QCOMPARE(Model->rowCount(), 0);
}

// Many current rows and a few removed ones are merged by path rather than ranked path by
// path: the order must still be the lists' own (folders first, paths compared folded, equal
// paths in their current order), with a case-only rename on both sides.
void ChangesModelTest::pathSortOfManyCurrentAndFewRemovedRows() {
    Compared({"Readme:1", "Zeta/x:2", "keep/a:1", "m/b:4"}, [this] {
        fs::remove(Dir->Path() / "Readme");
        fs::remove_all(Dir->Path() / "Zeta");
        std::vector<std::string> added = {"README:5", "zeta:1", "keep/a:9", "ZZ/q:1"};
        for (int i = 0; i < 30; ++i)
            added.push_back((i % 3 ? "keep/n" : "m/N") + std::to_string(i) + ":" +
                            std::to_string(i + 1));
        WriteTree(Dir->Path(), added);
    });
    QCOMPARE(Compare->Total(EChangeKind::Removed).Count, 2u);
    QVERIFY(Model->rowCount() > 30);
    for (const Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
        Model->Fill(&*Compare); // from the default order each time
        std::vector<const TDataInfo*> expected;
        for (int row = 0; row < Model->rowCount(); ++row)
            expected.push_back(Model->EntryAt(row));
        std::stable_sort(expected.begin(), expected.end(),
                         [order](const TDataInfo* a, const TDataInfo* b) {
                             if (a->IsFolder() != b->IsFolder())
                                 return bool(a->IsFolder());
                             const int c = CompareFoldedText(a->FullPath(), b->FullPath());
                             return order == Qt::AscendingOrder ? c < 0 : c > 0;
                         });
        Model->SortRows(TChangesModel::ccPath, order);
        for (int row = 0; row < Model->rowCount(); ++row)
            QCOMPARE(Model->EntryAt(row), expected[std::size_t(row)]);
    }
}

QTEST_GUILESS_MAIN(ChangesModelTest)
#include "ChangesModelTest.moc"
