// The keyed sort of the flat lists gives exactly the order of a stable sort with the column
// comparisons (folders first both ways), on names that share long prefixes, differ only in
// letter case, or hold bytes above 0x7F, and on equal sizes and times.
#include "FixtureTree.h"
#include "uDataCtrl.h"
#include "uEntryColumns.h"
#include "uEntrySort.h"

#include <QTest>
#include <algorithm>

using namespace quorvex;
using namespace quorvex::test;

class EntrySortTest : public QObject {
    Q_OBJECT
private slots:
    void keyedSortEqualsTheComparisonSort_data();
    void keyedSortEqualsTheComparisonSort();
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
                           "x a/b:1", "xa.d/", "_under:2", "zz.tar.gz:3@-100"});
    TDataCtrl ctrl;
    ctrl.ScanFolder(dir.Str());
    std::vector<TDataInfo*> rows;
    for (TDataInfo* e = ctrl.Root(); e; e = NextInPreOrder(e, ctrl.Root()))
        rows.push_back(e);
    for (Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder})
        QCOMPARE(SortedRowPositions(rows, column, order, folderTree),
                 ReferenceOrder(rows, column, order, folderTree));
}

QTEST_GUILESS_MAIN(EntrySortTest)
#include "EntrySortTest.moc"
