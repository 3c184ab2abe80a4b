// Chart points: the largest groups and "Others", and the drill-down of a point that stands
// for many groups.
#include "ViewFixture.h"
#include "uChartPoints.h"

#include <QSet>
#include <QTest>
#include <numeric>

using namespace quorvex;
using namespace quorvex::test;

namespace {

TSumList MakeSums(const std::vector<std::uint64_t>& sizes) {
    TSumList sums;
    for (std::uint64_t size : sizes) {
        TSumInfo& sum = sums.Add("g" + std::to_string(sums.Count()), std::int32_t(sums.Count()));
        sum.Add(size);
    }
    return sums;
}

QStringList Captions(const TChartPoints& chart) {
    QStringList captions;
    for (const TChartPoint& point : chart.Points)
        captions << QString::fromStdString(point.Caption);
    return captions;
}

QSet<QString> Names(const TEntryListModel& rows) {
    QSet<QString> names;
    for (int row = 0; row < rows.rowCount(); ++row)
        names << rows.index(row, ecFileName).data().toString();
    return names;
}

} // namespace

class ChartPointsTest : public QObject {
    Q_OBJECT
private slots:
    void fewGroupsKeepListOrder();
    void manyGroupsFoldIntoOthers();
    void othersSumsExactlyTheRest();
    void othersListsExactlyTheFoldedTypes();
    void selectionOfRangeGroupsReadsTheRightGroup();
};

void ChartPointsTest::fewGroupsKeepListOrder() {
    // One point per group up to limit + 1: "Others (1)" would hide a group for nothing.
    const TChartPoints chart = SelectChartPoints(MakeSums({5, 1, 9, 0}), 3);
    QCOMPARE(Captions(chart), QStringList({"g0", "g1", "g2", "g3"}));
    QCOMPARE(chart.Total, std::uint64_t(15));
    QVERIFY(!chart.Points.back().IsOthers());
    QVERIFY(SelectChartPoints(TSumList()).Points.empty());
}

void ChartPointsTest::manyGroupsFoldIntoOthers() {
    const TSumList sums = MakeSums({5, 1, 9, 0, 9, 3, 7});
    // The three largest; of the two 9s and the 7, list order, then "Others".
    QCOMPARE(Captions(SelectChartPoints(sums, 3)), QStringList({"g2", "g4", "g6", "Others (4)"}));
    QCOMPARE(Captions(SelectChartPoints(sums, 3, true)),
             QStringList({"g2", "g4", "g6", "Others (4)"}));
    QCOMPARE(Captions(SelectChartPoints(sums, 2, true)), QStringList({"g2", "g4", "Others (5)"}));
    QCOMPARE(Captions(SelectChartPoints(MakeSums({1, 2, 3, 4}), 2, true)),
             QStringList({"g3", "g2", "Others (2)"}));
    QCOMPARE(Captions(SelectChartPoints(MakeSums({1, 2, 3, 4}), 2)),
             QStringList({"g2", "g3", "Others (2)"}));

    std::vector<std::uint64_t> sizes(6500);
    for (std::size_t i = 0; i < sizes.size(); ++i)
        sizes[i] = (i * 7919) % 6500;
    const TChartPoints chart = SelectChartPoints(MakeSums(sizes));
    QCOMPARE(chart.Points.size(), ChartPointLimit + 1);
    QCOMPARE(chart.Points.back().Sums.size(), std::size_t(6500 - ChartPointLimit));
    for (std::size_t i = 0; i < ChartPointLimit; ++i)
        QVERIFY(chart.Points[i].Value >= 6500 - ChartPointLimit);
}

void ChartPointsTest::othersSumsExactlyTheRest() {
    // Values beyond a double's 53 bits: the sum is made in integers.
    const std::uint64_t big = (std::uint64_t(1) << 53) + 1;
    const TChartPoints chart = SelectChartPoints(MakeSums({big * 4, big, big, 1, 1}), 1);
    QCOMPARE(chart.Points.size(), std::size_t(2));
    QCOMPARE(chart.Points[1].Value, 2 * big + 2);
    QCOMPARE(chart.Total, 6 * big + 2);
    std::uint64_t shown = 0;
    for (const TChartPoint& point : chart.Points)
        shown += point.Value;
    QCOMPARE(shown, chart.Total);
    QCOMPARE(chart.Points[1].Sums, (std::vector<std::uint32_t>{1, 2, 3, 4}));
}

void ChartPointsTest::othersListsExactlyTheFoldedTypes() {
    // 24 big types take the chart; the small ones, letter case and no extension included,
    // are "Others".
    std::vector<std::string> lines;
    for (int i = 0; i < 24; ++i)
        lines.push_back("big/f" + std::to_string(i) + ".e" + std::to_string(i) + ":1000");
    lines.insert(lines.end(), {"small/a.x:1", "small/b.X:2", "small/noext:3", "small/c.x:4",
                               "small/d.tar.gz:5", "small/sub/"});
    TViewFixture f(lines);
    f.Open();
    TBaseView& v = *f.View;
    const TChartPoints chart = v.ChartPoints(EView::VTType);
    QCOMPARE(chart.Points.size(), ChartPointLimit + 1);
    QCOMPARE(chart.Points.back().Caption, std::string("Others (8)"));
    QCOMPARE(chart.Points.back().Value, std::uint64_t(4 * 1000 + 15));
    QSet<QString> listed;
    v.SetReportHandler([&](TEntryListModel& rows) { listed = Names(rows); });
    v.ChartDblClick(EView::VTType, int(ChartPointLimit));
    QSet<QString> expected = {"a.x", "b.X", "noext", "c.x", "d.tar.gz"};
    for (std::uint32_t position : chart.Points.back().Sums) {
        const std::string& ext = v.SumsOf(EView::VTType).Items(position).GroupCaption();
        if (ext.starts_with('e'))
            expected << QString::fromStdString("f" + ext.substr(1) + "." + ext);
    }
    QCOMPARE(expected.size(), 9);
    QCOMPARE(listed, expected);

    // A shown point lists its own type only; one past the last point lists nothing.
    v.ChartDblClick(EView::VTType, 0);
    QCOMPARE(listed.size(), 1);
    listed.clear();
    v.ChartDblClick(EView::VTType, int(ChartPointLimit) + 1);
    QVERIFY(listed.isEmpty());
}

void ChartPointsTest::selectionOfRangeGroupsReadsTheRightGroup() {
    TViewFixture f({"a.txt:10", "b.txt:20000", "c.txt:5000000", "d/e.txt:0"});
    f.Open();
    TBaseView& v = *f.View;
    const TSumList& sizes = v.SumsOf(EView::VTFileSize);
    std::vector<std::uint32_t> nonEmpty;
    for (std::uint32_t i = 0; i < sizes.Count(); ++i)
        if (sizes.Items(i).EntryCount() > 0 && sizes.Items(i).TotalSize() != 10)
            nonEmpty.push_back(i);
    const TGroupSelection files(EGrouping::FileSize, sizes, nonEmpty);
    QStringList selected;
    TDataInfo* root = v.FDataCtrl().Root();
    for (TDataInfo* e = root; e; e = NextInPreOrder(e, root))
        if (files.Contains(*e))
            selected << QString::fromStdString(std::string(e->Name()));
    selected.sort();
    // Every group with files but the smallest, which holds a.txt and the empty e.txt.
    QCOMPARE(selected, QStringList({"b.txt", "c.txt"}));

    // The folder grouping selects folders only, the current folder included.
    const TSumList& folderSums = v.SumsOf(EView::VTFolderSize);
    std::vector<std::uint32_t> all(folderSums.Count());
    std::iota(all.begin(), all.end(), 0u);
    const TGroupSelection folders(EGrouping::FolderSize, folderSums, all);
    QVERIFY(folders.Contains(*root));
    QVERIFY(folders.Contains(*root->FindByPath(f.Root() + "/d")));
    QVERIFY(!folders.Contains(*root->FindByPath(f.Root() + "/a.txt")));
}

QTEST_GUILESS_MAIN(ChartPointsTest)
#include "ChartPointsTest.moc"
