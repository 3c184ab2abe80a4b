#include "uBarMarks.h"
#include "uChartPoints.h"
#include "uCharts.h"
#include "uDataInfo.h"

#include <QBarSeries>
#include <QBarSet>
#include <QChartView>
#include <QGraphicsSimpleTextItem>
#include <QLegend>
#include <QPieSeries>
#include <QPieSlice>
#include <QPointer>
#include <QSet>
#include <QtTest>
#include <string>
#include <vector>

using namespace quorvex;

Q_DECLARE_METATYPE(quorvex::EChartKind)

namespace {

TSumList MakeSums(const std::vector<std::pair<std::string, std::uint64_t>>& groups) {
    TSumList sums;
    for (const auto& [caption, size] : groups) {
        TSumInfo& sum = sums.Add(caption, std::int32_t(sums.Count()));
        if (size > 0)
            sum.Add(size);
    }
    return sums;
}

const TSumList SizeGroups = MakeSums({{"Small", 100}, {"Größe", 300}, {"Large", 400}, {"over", 0}});

TChartPoints PointsOfSums(const TSumList& sums) {
    return SelectChartPoints(sums);
}

/// Label, value and colour of each point of the chart's only series.
struct TPoints {
    QStringList Labels;
    QList<qreal> Values;
    QSet<QRgb> Colours;
};

TPoints PointsOf(QChart& chart) {
    TPoints points;
    if (auto* pie = qobject_cast<QPieSeries*>(chart.series().value(0)))
        for (QPieSlice* slice : pie->slices()) {
            points.Labels << slice->label();
            points.Values << slice->value();
            points.Colours << slice->color().rgb();
        }
    if (auto* bars = qobject_cast<QBarSeries*>(chart.series().value(0)))
        for (QBarSet* set : bars->barSets()) {
            points.Labels << set->label();
            points.Values << (set->count() == 1 ? set->at(0) : -1);
            points.Colours << set->color().rgb();
        }
    return points;
}

std::unique_ptr<QChartView> ShownBarChart(const TSumList& sums, QSize size) {
    auto view = std::make_unique<QChartView>();
    StyleChart(view->chart(), false);
    BuildChart(view->chart(), PointsOfSums(sums), EChartKind::Bar, {});
    view->resize(size);
    view->show();
    if (!QTest::qWaitForWindowExposed(view.get()))
        return nullptr;
    QTest::qWait(50); // the chart lays out on posted events
    return view;
}

} // namespace

class ChartsTest : public QObject {
    Q_OBJECT
private slots:
    void markText_data();
    void markText();
    void onePointPerSumInOrder_data();
    void onePointPerSumInOrder();
    void pieHidesOnlyLabelsOfThinSlices();
    void rebuildUpdatesInPlace();
    void thousandsOfGroupsMakeAReadableChart_data();
    void thousandsOfGroupsMakeAReadableChart();
    void doubleClickReachesCallback_data();
    void doubleClickReachesCallback();
    void barMarksAreDarkAndSitOnTheirBars();
    void barMarksHideOnThinBars();
    void sizeAxisTicks_data();
    void sizeAxisTicks();
};

void ChartsTest::markText_data() {
    QTest::addColumn<QString>("label");
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("total");
    QTest::addColumn<QString>("separator");
    QTest::addColumn<QString>("expected");
    QTest::newRow("eighth") << "Small" << 1.0 << 8.0 << "."
                            << "Small 12.50%";
    QTest::newRow("regional separator") << "Small" << 1.0 << 8.0 << ","
                                        << "Small 12,50%";
    QTest::newRow("rounded") << "a" << 2.0 << 3.0 << "."
                             << "a 66.67%";
    QTest::newRow("zero total") << "none" << 0.0 << 0.0 << "."
                                << "none 0.00%";
    QTest::newRow("no extension") << "" << 1.0 << 4.0 << "."
                                  << "25.00%";
}

void ChartsTest::markText() {
    QFETCH(QString, label);
    QFETCH(double, value);
    QFETCH(double, total);
    QFETCH(QString, separator);
    QFETCH(QString, expected);
    TRegionalSettings rs;
    rs.DecimalSeparator = separator.toStdString();
    QCOMPARE(PointMarkText(label, value, total, rs), expected);
}

void ChartsTest::onePointPerSumInOrder_data() {
    QTest::addColumn<EChartKind>("kind");
    QTest::newRow("pie") << EChartKind::Pie;
    QTest::newRow("bar") << EChartKind::Bar;
}

void ChartsTest::onePointPerSumInOrder() {
    QFETCH(EChartKind, kind);
    QChart chart;
    BuildChart(&chart, PointsOfSums(SizeGroups), kind, {});
    const TPoints points = PointsOf(chart);
    QCOMPARE(points.Labels,
             QStringList({"Small 12.50%", "Größe 37.50%", "Large 50.00%", "over 0.00%"}));
    QCOMPARE(points.Values, QList<qreal>({100, 300, 400, 0}));
    QCOMPARE(points.Colours.size(), 4);

    BuildChart(&chart, PointsOfSums(MakeSums({{"a", 0}, {"b", 0}})), kind, {});
    QCOMPARE(PointsOf(chart).Labels, QStringList({"a 0.00%", "b 0.00%"}));
    QSet<QRgb> palette;
    for (int i = 0; i < 300; ++i)
        palette.insert(PointColor(i).rgb());
    QCOMPARE(palette.size(), 300);
}

void ChartsTest::pieHidesOnlyLabelsOfThinSlices() {
    QChart chart;
    BuildChart(&chart,
               PointsOfSums(MakeSums({{"big", 9500}, {"thin", 200}, {"edge", 300}, {"empty", 0}})),
               EChartKind::Pie, {});
    const QList<QPieSlice*> slices = qobject_cast<QPieSeries*>(chart.series()[0])->slices();
    QCOMPARE(slices.size(), 4); // thin slices stay
    QList<bool> shown;
    for (QPieSlice* slice : slices)
        shown << slice->isLabelVisible();
    QCOMPARE(shown, QList<bool>({true, false, true, false}));
}

void ChartsTest::rebuildUpdatesInPlace() {
    QChart chart;
    StyleChart(&chart, false);
    BuildChart(&chart, PointsOfSums(SizeGroups), EChartKind::Bar, {});
    QPointer<QAbstractSeries> first = chart.series().value(0);
    QPointer<QBarSet> firstSet = qobject_cast<QBarSeries*>(first.data())->barSets()[0];
    QVERIFY(BarMarksOf(&chart));

    // The series, its first set and the axes stay; the points follow the new sums.
    BuildChart(&chart, PointsOfSums(MakeSums({{"x", 1}, {"y", 3}})), EChartKind::Bar, {});
    QCOMPARE(chart.series().value(0), first.data());
    QVERIFY(!firstSet.isNull());
    QCOMPARE(PointsOf(chart).Labels, QStringList({"x 25.00%", "y 75.00%"}));
    QCOMPARE(PointsOf(chart).Values, QList<qreal>({1, 3}));
    QCOMPARE(chart.axes().size(), 2);
    QCOMPARE(BarMarksOf(&chart)->Marks().size(), std::size_t(2));
    QCOMPARE(BarMarksOf(&chart)->Marks()[1]->text(), QString("y 75.00%"));

    // Emptied: no bars, no marks; axes and series wait for the next points.
    BuildChart(&chart, {}, EChartKind::Bar, {});
    QCOMPARE(chart.series().value(0), first.data());
    QVERIFY(PointsOf(chart).Labels.isEmpty());
    QVERIFY(!BarMarksOf(&chart));

    // Another kind replaces the series and drops the axes.
    BuildChart(&chart, PointsOfSums(SizeGroups), EChartKind::Pie, {});
    QVERIFY(first.isNull());
    QCOMPARE(chart.series().size(), 1);
    QCOMPARE(PointsOf(chart).Labels.size(), 4);
    QVERIFY(chart.axes().isEmpty());
    QVERIFY(!BarMarksOf(&chart));
    QVERIFY(!chart.legend()->isVisible()); // the caller's choice stays
    QVERIFY(chart.title().isEmpty());
}

void ChartsTest::thousandsOfGroupsMakeAReadableChart_data() {
    QTest::addColumn<EChartKind>("kind");
    QTest::newRow("pie") << EChartKind::Pie;
    QTest::newRow("bar") << EChartKind::Bar;
}

void ChartsTest::thousandsOfGroupsMakeAReadableChart() {
    QFETCH(EChartKind, kind);
    std::vector<std::pair<std::string, std::uint64_t>> many;
    for (int i = 0; i < 6000; ++i)
        many.push_back({"t" + std::to_string(i), std::uint64_t(1 + i % 97)});
    const TSumList sums = MakeSums(many);
    QChart chart;
    QList<int> clicks;
    BuildChart(&chart, SelectChartPoints(sums, 20, true), kind,
               [&clicks](int point) { clicks << point; });
    const TPoints points = PointsOf(chart);
    QCOMPARE(points.Labels.size(), 21);
    QVERIFY2(points.Labels.last().startsWith("Others (5980) "), qPrintable(points.Labels.last()));
    QCOMPARE(points.Colours.size(), 21); // every point in a colour of its own, "Others" grey
    if (auto* pie = qobject_cast<QPieSeries*>(chart.series()[0])) {
        QCOMPARE(pie->slices().last()->color(), OthersColor);
        emit pie->doubleClicked(pie->slices().last());
    }
    if (auto* bars = qobject_cast<QBarSeries*>(chart.series()[0])) {
        QCOMPARE(bars->barSets().last()->color(), OthersColor);
        emit bars->doubleClicked(0, bars->barSets().last());
    }
    QCOMPARE(clicks, QList<int>{20});
}

void ChartsTest::doubleClickReachesCallback_data() {
    QTest::addColumn<EChartKind>("kind");
    QTest::addColumn<int>("point");
    QTest::newRow("pie") << EChartKind::Pie << 1;
    QTest::newRow("pie, empty group") << EChartKind::Pie << 3;
    QTest::newRow("bar") << EChartKind::Bar << 1;
    QTest::newRow("bar, first") << EChartKind::Bar << 0;
}

void ChartsTest::doubleClickReachesCallback() {
    QFETCH(EChartKind, kind);
    QFETCH(int, point);
    QChart chart;
    QList<int> clicks;
    BuildChart(&chart, PointsOfSums(SizeGroups), kind, [&clicks](int index) { clicks << index; });
    if (auto* pie = qobject_cast<QPieSeries*>(chart.series()[0]))
        emit pie->doubleClicked(pie->slices()[point]);
    if (auto* bars = qobject_cast<QBarSeries*>(chart.series()[0]))
        emit bars->doubleClicked(0, bars->barSets()[point]);
    QCOMPARE(clicks, QList<int>{point});
}

void ChartsTest::barMarksAreDarkAndSitOnTheirBars() {
    const auto view = ShownBarChart(SizeGroups, {700, 400});
    QVERIFY(view);
    QChart* chart = view->chart();
    auto* bars = qobject_cast<QBarSeries*>(chart->series()[0]);
    const std::vector<QGraphicsSimpleTextItem*>& marks = BarMarksOf(chart)->Marks();
    QCOMPARE(marks.size(), SizeGroups.Count());
    for (std::size_t i = 0; i < marks.size(); ++i) {
        QBarSet* set = bars->barSets()[qsizetype(i)];
        QCOMPARE(marks[i]->text(), set->label());
        QVERIFY(marks[i]->isVisible());
        QVERIFY(marks[i]->brush().color().lightness() < 100); // Qt's own bar labels are white
        const QRectF box = marks[i]->mapRectToItem(chart, marks[i]->boundingRect());
        QVERIFY(chart->plotArea().adjusted(-1, -1, 1, 1).contains(box));
        // The bars share 0.9 of the one category's width, [-0.5, 0.5].
        const qreal centre = -0.45 + (qreal(i) + 0.5) * 0.9 / qreal(marks.size());
        const QPointF barTop = chart->mapToPosition(QPointF(centre, set->at(0)), bars);
        QVERIFY2(box.bottom() <= barTop.y() && box.bottom() >= barTop.y() - 10,
                 qPrintable(set->label()));
        QVERIFY(std::abs(box.center().x() - barTop.x()) < 2);
    }
}

void ChartsTest::barMarksHideOnThinBars() {
    std::vector<std::pair<std::string, std::uint64_t>> many;
    for (int i = 0; i < 21; ++i)
        many.push_back({"type" + std::to_string(i), 1000});
    const auto view = ShownBarChart(MakeSums(many), {150, 300});
    QVERIFY(view);
    for (QGraphicsSimpleTextItem* mark : BarMarksOf(view->chart())->Marks())
        QVERIFY(!mark->isVisible());
}

void ChartsTest::sizeAxisTicks_data() {
    QTest::addColumn<double>("top");
    QTest::addColumn<QList<double>>("ticks");
    QTest::addColumn<QStringList>("labels");
    const double mb = 1048576;
    QTest::newRow("nothing") << 0.0 << QList<double>{0} << QStringList();
    QTest::newRow("bytes") << 1000.0 << QList<double>{0, 200, 400, 600, 800, 1000}
                           << QStringList{"200.00 B", "400.00 B", "600.00 B", "800.00 B",
                                          "1,000.00 B"};
    QTest::newRow("top between ticks")
        << 470 * mb << QList<double>{0, 100 * mb, 200 * mb, 300 * mb, 400 * mb}
        << QStringList{"100.00 MB", "200.00 MB", "300.00 MB", "400.00 MB"};
    QTest::newRow("gigabytes") << 1.5 * 1024 * mb
                               << QList<double>{0, 512 * mb, 1024 * mb, 1536 * mb}
                               << QStringList{"512.00 MB", "1.00 GB", "1.50 GB"};
}

void ChartsTest::sizeAxisTicks() {
    QFETCH(double, top);
    QFETCH(QList<double>, ticks);
    QFETCH(QStringList, labels);
    const std::vector<double> computed = SizeAxisTicks(top);
    QCOMPARE(QList<double>(computed.begin(), computed.end()), ticks);
    // Replacing a wider range keeps no label beyond the new top.
    QCategoryAxis axis;
    SetSizeAxisRange(&axis, 5e12);
    SetSizeAxisRange(&axis, top);
    QCOMPARE(axis.categoriesLabels(), labels);
}

QTEST_MAIN(ChartsTest)
#include "ChartsTest.moc"
