#include "uBarMarks.h"

#include "uCharts.h"
#include "uTheme.h"

#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QFont>
#include <QGraphicsSimpleTextItem>
#include <algorithm>
#include <cmath>

namespace quorvex {

namespace {

constexpr qreal MarkGap = 3;         // pixels between a bar's top and its mark
constexpr qreal MaxMarkShare = 0.75; // an upright mark may take this much of the plot height

} // namespace

TBarMarks::TBarMarks(QChart* chart, QBarSeries* series, QCategoryAxis* sizeAxis)
    : QGraphicsObject(chart), FChart(chart), FBarWidth(series->barWidth()), FAxis(sizeAxis) {
    setFlag(ItemHasNoContents);
    setZValue(10); // above the bars and grid
    QFont font;
    font.setPointSizeF(8);
    for (QBarSet* set : series->barSets()) {
        auto* mark = new QGraphicsSimpleTextItem(set->label(), this);
        mark->setBrush(ThemeColours().ChartText); // Qt's own bar labels are white
        mark->setFont(font);
        mark->setVisible(false); // until placed on a laid-out plot
        FMarks.push_back(mark);
        FValues.push_back(set->count() > 0 ? set->at(0) : 0.0);
    }
    connect(chart, &QChart::plotAreaChanged, this, &TBarMarks::Layout);
    Layout();
}

TBarMarks::TPlacement TBarMarks::Place(int index, qreal barPixels) const {
    const QRectF text = FMarks[std::size_t(index)]->boundingRect();
    if (text.width() + 2 <= barPixels)
        return {true, false, text.height() + 2 * MarkGap};
    if (text.height() <= barPixels)
        return {true, true, text.width() + 2 * MarkGap};
    return {};
}

qreal TBarMarks::AxisMaxFor(const std::vector<TPlacement>& placements, qreal plotHeight) const {
    // A bar of value v ends v / axisMax * H above the base; its mark needs `Extent` more.
    qreal axisMax = *std::max_element(FValues.begin(), FValues.end());
    for (std::size_t i = 0; i < placements.size(); ++i) {
        const qreal room = plotHeight - placements[i].Extent;
        if (placements[i].Visible && FValues[i] > 0 && room > 0)
            axisMax = std::max(axisMax, FValues[i] * plotHeight / room);
    }
    return axisMax > 0 ? axisMax : 1.0;
}

void TBarMarks::Layout() {
    const QRectF plot = FChart->plotArea();
    const int count = int(FMarks.size());
    if (FInLayout || count == 0 || plot.isEmpty())
        return;
    FInLayout = true;
    const qreal barPixels = plot.width() * FBarWidth / count;
    std::vector<TPlacement> placements;
    for (int i = 0; i < count; ++i) {
        TPlacement p = Place(i, barPixels);
        p.Visible = p.Visible && p.Extent <= plot.height() * MaxMarkShare;
        placements.push_back(p);
    }
    const qreal axisMax = AxisMaxFor(placements, plot.height());
    // Change the range only when it really moved: a new range can resize the axis labels,
    // which changes the plot area and calls this again.
    if (std::abs(FAxis->max() - axisMax) > axisMax * 1e-3)
        SetSizeAxisRange(FAxis, axisMax);
    for (int i = 0; i < count; ++i)
        Position(i, placements[std::size_t(i)], plot, axisMax);
    FInLayout = false;
}

void TBarMarks::Position(int index, const TPlacement& placement, const QRectF& plot,
                         qreal axisMax) {
    QGraphicsSimpleTextItem* mark = FMarks[std::size_t(index)];
    mark->setVisible(placement.Visible);
    if (!placement.Visible)
        return;
    // The bars of the one category share `barWidth` of the plot's width, centred.
    const qreal share = (1 - FBarWidth) / 2 + (index + 0.5) * FBarWidth / qreal(FMarks.size());
    const qreal centre = plot.left() + plot.width() * share;
    const qreal top = plot.bottom() - plot.height() * FValues[std::size_t(index)] / axisMax;
    const QRectF text = mark->boundingRect();
    mark->setRotation(placement.Upright ? -90 : 0);
    if (placement.Upright)
        mark->setPos(centre - text.height() / 2, top - MarkGap);
    else
        mark->setPos(centre - text.width() / 2, top - MarkGap - text.height());
}

TBarMarks* BarMarksOf(QChart* chart) {
    for (QGraphicsItem* item : chart->childItems())
        if (auto* marks = dynamic_cast<TBarMarks*>(item))
            return marks;
    return nullptr;
}

} // namespace quorvex
