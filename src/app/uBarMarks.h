#pragma once

#include <QGraphicsObject>
#include <vector>

class QBarSeries;
class QChart;
class QGraphicsSimpleTextItem;
class QCategoryAxis;

namespace quorvex {

/// The marks of a bar chart: above each bar its set's label ("Small 12.50%"), in dark text.
/// The series' own value labels can only print the raw value, so the marks are drawn here.
/// A mark lies flat when it fits the bar's width, stands upright when only its height fits,
/// and is hidden on bars too thin for either. The size axis is stretched so that the marks
/// stay inside the plot area.
///
/// A child item of the chart: the chart deletes it, and so does the next BuildChart.
class TBarMarks : public QGraphicsObject {
    Q_OBJECT
public:
    /// Marks for the sets of `series` (one value each), which `sizeAxis` measures.
    TBarMarks(QChart* chart, QBarSeries* series, QCategoryAxis* sizeAxis);

    QRectF boundingRect() const override { return {}; }
    void paint(QPainter*, const QStyleOptionGraphicsItem*, QWidget*) override {}

    const std::vector<QGraphicsSimpleTextItem*>& Marks() const { return FMarks; }

    /// Places the marks for the current plot area (run on every plot-area change).
    void Layout();

private:
    struct TPlacement {
        bool Visible = false;
        bool Upright = false;
        qreal Extent = 0; // pixels the mark needs above its bar
    };
    TPlacement Place(int index, qreal barPixels) const;
    qreal AxisMaxFor(const std::vector<TPlacement>& placements, qreal plotHeight) const;
    void Position(int index, const TPlacement& placement, const QRectF& plot, qreal axisMax);

    QChart* FChart;
    qreal FBarWidth; // share of the plot's width that the bars fill
    QCategoryAxis* FAxis;
    std::vector<double> FValues;
    std::vector<QGraphicsSimpleTextItem*> FMarks;
    bool FInLayout = false;
};

/// The marks item of `chart`, or nullptr when it shows none (pie, empty or never built).
TBarMarks* BarMarksOf(QChart* chart);

} // namespace quorvex
