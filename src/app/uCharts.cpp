#include "uCharts.h"

#include "uBarMarks.h"
#include "uBaseFunction.h"
#include "uDataInfo.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QGraphicsLayout>
#include <QLegend>
#include <QLinearGradient>
#include <QPieSeries>
#include <QPieSlice>
#include <algorithm>
#include <array>
#include <cmath>

namespace quorvex {

namespace {

struct TPoints {
    QStringList Captions;
    std::vector<double> Values;
    double Total = 0;
};

TPoints PointsOf(const TSumList& sums) {
    TPoints points;
    for (const TSumInfo& sum : sums) {
        points.Captions << QString::fromStdString(sum.GroupCaption());
        points.Values.push_back(double(sum.TotalSize()));
        points.Total += points.Values.back();
    }
    return points;
}

void Report(const TChartDoubleClick& onDoubleClick, const QStringList& captions, qsizetype index) {
    if (onDoubleClick && index >= 0 && index < captions.size())
        onDoubleClick(int(index), captions[index]);
}

void BuildPie(QChart* chart, const TPoints& points, TChartDoubleClick onDoubleClick) {
    auto* series = new QPieSeries;
    for (std::size_t i = 0; i < points.Values.size(); ++i)
        series->append(points.Captions[qsizetype(i)], points.Values[i]);
    series->setPieSize(0.55); // room for the outside labels
    chart->addSeries(series);
    // Colours and labels after addSeries, which applies the theme's.
    const QList<QPieSlice*> slices = series->slices();
    for (qsizetype i = 0; i < slices.size(); ++i) {
        const double value = points.Values[std::size_t(i)];
        QPieSlice* slice = slices[i];
        slice->setLabel(PointMarkText(points.Captions[i], value, points.Total));
        slice->setColor(PointColor(int(i)));
        slice->setBorderColor(Qt::white);
        slice->setLabelVisible(points.Total > 0 && value / points.Total >= ThinSliceShare);
    }
    QObject::connect(series, &QPieSeries::doubleClicked, series,
                     [series, captions = points.Captions, onDoubleClick](QPieSlice* slice) {
                         Report(onDoubleClick, captions, series->slices().indexOf(slice));
                     });
}

QCategoryAxis* MakeSizeAxis(double maxValue) {
    auto* axis = new QCategoryAxis;
    axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    axis->setStartValue(0);
    QFont font = axis->labelsFont();
    font.setPointSizeF(7.5);
    axis->setLabelsFont(font);
    SetSizeAxisRange(axis, maxValue);
    return axis;
}

void AddBarAxes(QChart* chart, QBarSeries* series, double maxValue) {
    // One unnamed category holds every bar; the bars themselves carry the captions.
    auto* categories = new QBarCategoryAxis;
    categories->append(QStringLiteral(" "));
    categories->setLabelsVisible(false);
    categories->setGridLineVisible(false);
    chart->addAxis(categories, Qt::AlignBottom);
    series->attachAxis(categories);
    QCategoryAxis* sizes = MakeSizeAxis(maxValue);
    chart->addAxis(sizes, Qt::AlignLeft);
    series->attachAxis(sizes);
    new TBarMarks(chart, series, sizes);
}

void BuildBar(QChart* chart, const TPoints& points, TChartDoubleClick onDoubleClick) {
    auto* series = new QBarSeries;
    series->setBarWidth(0.9);
    for (std::size_t i = 0; i < points.Values.size(); ++i) {
        auto* set = new QBarSet(
            PointMarkText(points.Captions[qsizetype(i)], points.Values[i], points.Total));
        set->append(points.Values[i]);
        series->append(set);
    }
    chart->addSeries(series);
    const QList<QBarSet*> sets = series->barSets();
    for (qsizetype i = 0; i < sets.size(); ++i) {
        sets[i]->setColor(PointColor(int(i)));
        sets[i]->setBorderColor(PointColor(int(i)).darker(125));
    }
    if (!points.Values.empty())
        AddBarAxes(chart, series, *std::max_element(points.Values.begin(), points.Values.end()));
    // Every bar is a set of its own: the set, not the category, names the point.
    QObject::connect(series, &QBarSeries::doubleClicked, series,
                     [series, captions = points.Captions, onDoubleClick](int, QBarSet* set) {
                         Report(onDoubleClick, captions, series->barSets().indexOf(set));
                     });
}

} // namespace

void ClearChart(QChart* chart) {
    delete BarMarksOf(chart);
    chart->removeAllSeries();
    for (QAbstractAxis* axis : chart->axes()) {
        chart->removeAxis(axis);
        delete axis;
    }
}

void BuildChart(QChart* chart, const TSumList& sums, EChartKind kind,
                TChartDoubleClick onDoubleClick) {
    ClearChart(chart);
    const TPoints points = PointsOf(sums);
    switch (kind) {
    case EChartKind::Pie:
        BuildPie(chart, points, std::move(onDoubleClick));
        break;
    case EChartKind::Bar:
        BuildBar(chart, points, std::move(onDoubleClick));
        break;
    }
}

void StyleChart(QChart* chart, bool showLegend) {
    chart->setTitle({});
    chart->setBackgroundRoundness(0);
    QLinearGradient background(0, 0, 0, 1);
    background.setCoordinateMode(QGradient::ObjectBoundingMode);
    background.setColorAt(0, QColor(0, 128, 255));
    background.setColorAt(1, Qt::white);
    chart->setBackgroundBrush(background);
    chart->setPlotAreaBackgroundBrush(Qt::white);
    chart->setPlotAreaBackgroundPen(QPen(QColor(150, 170, 200))); // apart from the white below
    chart->setPlotAreaBackgroundVisible(true);
    chart->setDropShadowEnabled(false);
    chart->layout()->setContentsMargins(0, 0, 0, 0); // the gradient reaches the view's edges
    chart->setMargins(QMargins(12, 12, 12, 12));
    QLegend* legend = chart->legend();
    legend->setVisible(showLegend);
    legend->setAlignment(Qt::AlignRight);
    QFont font = legend->font();
    font.setPointSizeF(7.5); // more groups fit beside the plot
    legend->setFont(font);
}

QString PointMarkText(const QString& label, double value, double total,
                      const TRegionalSettings& rs) {
    const double percent = total > 0 ? value / total * 100 : 0.0;
    QString text = QString::number(percent, 'f', 2);
    text.replace(u'.', QString::fromStdString(rs.DecimalSeparator));
    text += u'%';
    return label.isEmpty() ? text : label + u' ' + text;
}

QColor PointColor(int index) {
    static constexpr std::array<QRgb, 12> palette = {0x3b7dd8, 0xf28e2b, 0xe15759, 0x4fb3a9,
                                                     0x59a14f, 0xedc948, 0xa06cc4, 0xff9da7,
                                                     0x9c755f, 0x8c8c8c, 0x2ec4e6, 0xc7d44a};
    if (index >= 0 && index < int(palette.size()))
        return QColor(palette[std::size_t(index)]);
    const double hue = std::fmod(index * 0.6180339887498949, 1.0);
    const double saturation = index % 2 ? 0.55 : 0.75;
    const double value = index / 2 % 2 ? 0.80 : 0.95;
    return QColor::fromHsvF(float(hue), float(saturation), float(value));
}

std::vector<double> SizeAxisTicks(double top) {
    std::vector<double> ticks{0.0};
    if (!(top > 0))
        return ticks;
    double unit = 1;
    while (unit < 1073741824.0 && top >= unit * 1024)
        unit *= 1024;
    // The smallest 1-2-5 step that needs at most five steps to reach the top.
    const double rough = top / unit / 5;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    double step = power;
    for (double factor : {2.0, 5.0, 10.0})
        if (step < rough)
            step = power * factor;
    step *= unit;
    for (int i = 1; i * step <= top * (1 + 1e-9); ++i)
        ticks.push_back(i * step);
    return ticks;
}

void SetSizeAxisRange(QCategoryAxis* axis, double top) {
    // A category axis pins the labels of categories beyond its range to its ends: keep only
    // the ticks inside.
    for (const QString& label : axis->categoriesLabels())
        axis->remove(label);
    for (double tick : SizeAxisTicks(top))
        if (tick > 0)
            axis->append(QString::fromStdString(FormatSize(tick)), tick);
    axis->setRange(0, top > 0 ? top : 1.0);
}

} // namespace quorvex
