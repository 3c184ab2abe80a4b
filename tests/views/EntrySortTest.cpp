// The keyed sort of the flat lists gives exactly the order of a stable sort with the column
// comparisons (folders first both ways), on names that share long prefixes, differ only in
// letter case, or hold bytes above 0x7F, and on equal sizes and times. Full paths, which are
// ranked by a walk over the folders rather than compared, are checked on random trees of
// names that interleave with the "/" (" ", ".", "0", "~"), folders that differ only in case,
// and random subsets of rows in random order.
#include "FixtureTree.h"
#include "uDataCtrl.h"
#include "uEntryColumns.h"
#include "uEntrySort.h"

#include <QTest>
#include <algorithm>
#include <random>
#include <set>

using namespace quorvex;
using namespace quorvex::test;

class EntrySortTest : public QObject {
    Q_OBJECT
private slots:
    void keyedSortEqualsTheComparisonSort_data();
    void keyedSortEqualsTheComparisonSort();
    void pathSortEqualsTheComparisonSort_data();
    void pathSortEqualsTheComparisonSort();
    void pathSortOfRowsFromSeveralTrees();
};

namespace {

std::vector<std::uint32_t> ReferenceOrder(const std::vector<TDataInfo*>& rows, int column,
                                          Qt::SortOrder order, bool folderTree) {
    std::vector<std::uint32_t> positions(rows.size());
    for (std::uint32_t i = 0; i < positions.size(); ++i)
        positions[i] = i;
    std::stable_sort(positions.begin(), positions.end(), [&](std::uint32_t x, std::uint32_t y) {
        const TDataInfo &a = *rows[x], &b = *rows[y];
        if (a.IsFolder() != b.IsFolder())
            return bool(a.IsFolder());
        const int c = folderTree ? FolderCompare(a, b, column) : EntryCompare(a, b, column);
        return order == Qt::AscendingOrder ? c < 0 : c > 0;
    });
    return positions;
}

std::vector<TDataInfo*> AllEntries(const TDataCtrl& ctrl) {
    std::vector<TDataInfo*> rows;
    for (TDataInfo* e = ctrl.Root(); e; e = NextInPreOrder(e, ctrl.Root()))
        rows.push_back(e);
    return rows;
}

void ComparePathOrders(const std::vector<TDataInfo*>& rows) {
    for (Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder})
        QCOMPARE(SortedRowPositions(rows, ecFullPath, order, false),
                 ReferenceOrder(rows, ecFullPath, order, false));
}

// Names of one to three pieces that sort just below, at and above the "/" and around the
// letters, so that "a", "a b", "a.b", "a/…", "a0", "A~" and "ab" all meet in one folder.
std::string RandomName(std::mt19937& random) {
    static const char* const pieces[] = {"a", "A", "b", " ",        ".",   "-",
                                         "0", "_", "~", "\xc3\xa9", "\xff"};
    std::string name = random() % 2 ? "a" : pieces[random() % std::size(pieces)];
    for (int n = int(random() % 3); n > 0; --n)
        name += pieces[random() % std::size(pieces)];
    return name == "." || name == ".." ? "b" : name;
}

// Fixture lines for about `count` entries up to four levels deep; a path never is a file
// and a folder at once.
std::vector<std::string> RandomTree(std::mt19937& random, int count) {
    std::set<std::string> files, folders;
    std::vector<std::string> lines;
    while (int(lines.size()) < count) {
        std::string path = RandomName(random);
        bool clash = files.count(path) > 0;
        for (int depth = int(random() % 4); depth > 0 && !clash; --depth) {
            folders.insert(path);
            path += "/" + RandomName(random);
            clash = files.count(path) > 0;
        }
        if (clash)
            continue;
        const bool folder = random() % 5 == 0 || folders.count(path) > 0;
        (folder ? folders : files).insert(path);
        lines.push_back(path + (folder ? "/" : ":1"));
    }
    return lines;
}

} // namespace

void EntrySortTest::keyedSortEqualsTheComparisonSort_data() {
    QTest::addColumn<int>("column");
    QTest::addColumn<bool>("folderTree");
    for (int column = 0; column <= 12; ++column)
        QTest::addRow("entry column %d", column) << column << false;
    QTest::addRow("folder name") << 0 << true;
    QTest::addRow("folder size") << 1 << true;
}

void EntrySortTest::keyedSortEqualsTheComparisonSort() {
    QFETCH(int, column);
    QFETCH(bool, folderTree);
    TempDir dir;
    WriteTree(dir.Path(), {"Longcommonprefix_b.TXT:5@-100", "longcommonprefix_a.txt:5@-100",
                           "LONGCOMMONPREFIX_A.txt:7@-50", "longcommonprefix:0", "x\xc3\xa9.e:3",
                           "x\xff.E:3", "xa/inner.bin:9@-7", "Xa/inner.bin:9@-7", "x/a:1",
                           "x a/b:1", "xa.d/", "_under:2", "zz.tar.gz:3@-100",
                           // sizes that differ only above their lowest byte
                           "w/256:256", "w/512:512", "w/65792:65792", "w/65536:65536"});
    TDataCtrl ctrl;
    ctrl.ScanFolder(dir.Str());
    const std::vector<TDataInfo*> rows = AllEntries(ctrl);
    for (Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder})
        QCOMPARE(SortedRowPositions(rows, column, order, folderTree),
                 ReferenceOrder(rows, column, order, folderTree));
}

void EntrySortTest::pathSortEqualsTheComparisonSort_data() {
    QTest::addColumn<unsigned>("seed");
    QTest::addColumn<bool>("rootEndsInSlash"); // as "/" does: no "/" is added after it
    for (unsigned seed = 1; seed <= 6; ++seed)
        QTest::addRow("seed %u", seed) << seed << (seed % 3 == 0);
}

// Every entry in tree order, all of them shuffled, and random subsets (with and without
// the root, folders above the rows left out, a row twice) in random order.
void EntrySortTest::pathSortEqualsTheComparisonSort() {
    QFETCH(unsigned, seed);
    QFETCH(bool, rootEndsInSlash);
    std::mt19937 random(seed);
    TempDir dir;
    WriteTree(dir.Path(), RandomTree(random, 150));
    TDataCtrl ctrl;
    ctrl.ScanFolder(dir.Str() + (rootEndsInSlash ? "/" : ""));
    std::vector<TDataInfo*> rows = AllEntries(ctrl);
    QVERIFY(rows.size() > 150);
    ComparePathOrders(rows);
    for (int round = 0; round < 12; ++round) {
        std::shuffle(rows.begin(), rows.end(), random);
        ComparePathOrders(rows);
        std::vector<TDataInfo*> some(rows.begin(), rows.begin() + random() % rows.size());
        if (!some.empty())
            some.push_back(some[random() % some.size()]);
        ComparePathOrders(some);
    }
}

// Rows of two scans, one inside the other, have no one root: equal paths and interleaving
// trees must still sort as the comparison does.
void EntrySortTest::pathSortOfRowsFromSeveralTrees() {
    TempDir dir;
    WriteTree(dir.Path(), {"in/a b:1", "in/a/x:1", "in/A.b:1", "in b:1", "in.c/d:1"});
    TDataCtrl outer, inner;
    outer.ScanFolder(dir.Str());
    inner.ScanFolder((dir.Path() / "in").string());
    std::vector<TDataInfo*> rows = AllEntries(outer), innerRows = AllEntries(inner);
    rows.insert(rows.begin() + 3, innerRows.begin(), innerRows.end());
    ComparePathOrders(rows);
    std::mt19937 random(7);
    std::shuffle(rows.begin(), rows.end(), random);
    ComparePathOrders(rows);
}

QTEST_GUILESS_MAIN(EntrySortTest)
#include "EntrySortTest.moc"
