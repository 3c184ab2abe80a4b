#include "uCharts.h"

#include "uBarMarks.h"
#include "uBaseFunction.h"
#include "uChartPoints.h"
#include "uEntryColumns.h"
#include "uTheme.h"

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
    QStringList Labels; // caption and share: the marks of the points
    std::vector<double> Values;
    std::vector<QColor> Colours;
};

TPoints PointsOf(const TChartPoints& chart) {
    TPoints points;
    const double total = double(chart.Total);
    for (std::size_t i = 0; i < chart.Points.size(); ++i) {
        const TChartPoint& point = chart.Points[i];
        const double value = double(point.Value);
        points.Labels << PointMarkText(VisibleControls(DisplayText(point.Caption)), value, total);
        points.Values.push_back(value);
        points.Colours.push_back(point.IsOthers() ? OthersColor : PointColor(int(i)));
    }
    return points;
}

void Report(const TChartDoubleClick& onDoubleClick, qsizetype index) {
    if (onDoubleClick && index >= 0)
        onDoubleClick(int(index));
}

QPieSeries* NewPie(QChart* chart, TChartDoubleClick onDoubleClick) {
    auto* series = new QPieSeries;
    series->setPieSize(0.55); // room for the outside labels
    chart->addSeries(series);
    QObject::connect(series, &QPieSeries::doubleClicked, series,
                     [series, onDoubleClick](QPieSlice* slice) {
                         Report(onDoubleClick, series->slices().indexOf(slice));
                     });
    return series;
}

void UpdatePie(QPieSeries* series, const TPoints& points) {
    const qsizetype count = qsizetype(points.Values.size());
    while (series->count() > count)
        series->remove(series->slices().constLast());
    while (series->count() < count)
        series->append(QString(), 0);
    double total = 0;
    for (double value : points.Values)
        total += value;
    const QList<QPieSlice*> slices = series->slices();
    const TThemeColours colours = ThemeColours();
    for (qsizetype i = 0; i < count; ++i) {
        const double value = points.Values[std::size_t(i)];
        QPieSlice* slice = slices[i];
        slice->setValue(value);
        slice->setLabel(points.Labels[i]);
        slice->setColor(points.Colours[std::size_t(i)]);
        slice->setBorderColor(colours.SliceBorder);
        slice->setLabelColor(colours.ChartText);
        slice->setLabelVisible(total > 0 && value / total >= ThinSliceShare);
    }
}

QCategoryAxis* MakeSizeAxis() {
    auto* axis = new QCategoryAxis;
    axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    axis->setStartValue(0);
    QFont font = axis->labelsFont();
    font.setPointSizeF(7.5);
    axis->setLabelsFont(font);
    const TThemeColours colours = ThemeColours();
    axis->setLabelsColor(colours.ChartText);
    axis->setLinePenColor(colours.PlotLine);
    axis->setGridLineColor(colours.PlotLine);
    return axis;
}

QBarSeries* NewBars(QChart* chart, TChartDoubleClick onDoubleClick) {
    auto* series = new QBarSeries;
    series->setBarWidth(0.9);
    chart->addSeries(series);
    // One unnamed category holds every bar; the bars themselves carry the captions.
    auto* categories = new QBarCategoryAxis;
    categories->append(QStringLiteral(" "));
    categories->setLabelsVisible(false);
    categories->setGridLineVisible(false);
    chart->addAxis(categories, Qt::AlignBottom);
    series->attachAxis(categories);
    QCategoryAxis* sizes = MakeSizeAxis();
    chart->addAxis(sizes, Qt::AlignLeft);
    series->attachAxis(sizes);
    // Every bar is a set of its own: the set, not the category, names the point.
    QObject::connect(series, &QBarSeries::doubleClicked, series,
                     [series, onDoubleClick](int, QBarSet* set) {
                         Report(onDoubleClick, series->barSets().indexOf(set));
                     });
    return series;
}

void UpdateBars(QChart* chart, QBarSeries* series, const TPoints& points) {
    const qsizetype count = qsizetype(points.Values.size());
    while (series->count() > count)
        series->remove(series->barSets().constLast());
    while (series->count() < count) {
        auto* set = new QBarSet(QString());
        set->append(0);
        series->append(set);
    }
    const QList<QBarSet*> sets = series->barSets();
    for (qsizetype i = 0; i < count; ++i) {
        const QColor colour = points.Colours[std::size_t(i)];
        sets[i]->setLabel(points.Labels[i]);
        sets[i]->replace(0, points.Values[std::size_t(i)]);
        sets[i]->setColor(colour);
        sets[i]->setBorderColor(colour.darker(125));
    }
    auto* sizes = qobject_cast<QCategoryAxis*>(chart->axes(Qt::Vertical).value(0));
    delete BarMarksOf(chart); // one mark per bar: made anew, as few as the points
    if (!sizes)
        return;
    SetSizeAxisRange(sizes,
                     count ? *std::max_element(points.Values.begin(), points.Values.end()) : 0.0);
    if (count)
        new TBarMarks(chart, series, sizes);
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

void BuildChart(QChart* chart, const TChartPoints& chartPoints, EChartKind kind,
                TChartDoubleClick onDoubleClick) {
    const TPoints points = PointsOf(chartPoints);
    QAbstractSeries* current = chart->series().size() == 1 ? chart->series().front() : nullptr;
    switch (kind) {
    case EChartKind::Pie: {
        auto* pie = qobject_cast<QPieSeries*>(current);
        if (!pie) {
            ClearChart(chart);
            pie = NewPie(chart, std::move(onDoubleClick));
        }
        UpdatePie(pie, points);
        break;
    }
    case EChartKind::Bar: {
        auto* bars = qobject_cast<QBarSeries*>(current);
        if (!bars) {
            ClearChart(chart);
            bars = NewBars(chart, std::move(onDoubleClick));
        }
        UpdateBars(chart, bars, points);
        break;
    }
    }
}

void StyleChart(QChart* chart, bool showLegend) {
    chart->setTitle({});
    chart->setBackgroundRoundness(0);
    QLinearGradient background(0, 0, 0, 1);
    background.setCoordinateMode(QGradient::ObjectBoundingMode);
    const TThemeColours colours = ThemeColours();
    background.setColorAt(0, colours.ChartTop);
    background.setColorAt(1, colours.ChartBottom);
    chart->setBackgroundBrush(background);
    chart->setPlotAreaBackgroundBrush(colours.PlotBack);
    chart->setPlotAreaBackgroundPen(QPen(colours.PlotLine)); // apart from the gradient's end
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
