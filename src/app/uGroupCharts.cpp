#include "uGroupCharts.h"

#include "uTreemapRender.h"

#include <QBarSeries>
#include <QBarSet>
#include <QChartView>
#include <QEvent>
#include <QPieSeries>
#include <QPieSlice>
#include <optional>

namespace quorvex {

namespace {

// The type charts paint each type in its treemap colour, so a type is found by colour in
// both; "Others" keeps its grey.
void UseTypeColours(QChart* chart, const TChartPoints& points) {
    const auto colourOf = [&points](qsizetype i) -> std::optional<QColor> {
        const TChartPoint& point = points.Points[std::size_t(i)];
        if (point.IsOthers())
            return std::nullopt;
        return QColor(QRgb(TTreemapRender::TypeColour(point.Caption)));
    };
    for (QAbstractSeries* series : chart->series()) {
        if (auto* pie = qobject_cast<QPieSeries*>(series))
            for (qsizetype i = 0; i < pie->count() && i < qsizetype(points.Points.size()); ++i)
                if (const auto colour = colourOf(i))
                    pie->slices()[i]->setColor(*colour);
        if (auto* bars = qobject_cast<QBarSeries*>(series))
            for (qsizetype i = 0; i < bars->count() && i < qsizetype(points.Points.size()); ++i)
                if (const auto colour = colourOf(i)) {
                    bars->barSets()[i]->setColor(*colour);
                    bars->barSets()[i]->setBorderColor(colour->darker(125));
                }
    }
}

} // namespace

TGroupCharts::TGroupCharts(TBaseView& view, std::vector<TChart> charts, QObject* parent)
    : QObject(parent), FView(view) {
    for (const TChart& chart : charts) {
        FSlots.push_back({chart, false});
        chart.View->installEventFilter(this);
    }
}

void TGroupCharts::Refresh() {
    for (TSlot& slot : FSlots) {
        slot.Stale = true;
        if (slot.Chart.View->isVisible())
            Update(slot);
    }
}

void TGroupCharts::Clear() {
    for (TSlot& slot : FSlots) {
        BuildChart(slot.Chart.View->chart(), {}, slot.Chart.Kind, {});
        slot.Stale = false;
    }
}

bool TGroupCharts::IsStale(const QChartView* chart) const {
    for (const TSlot& slot : FSlots)
        if (slot.Chart.View == chart)
            return slot.Stale;
    return false;
}

bool TGroupCharts::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show)
        for (TSlot& slot : FSlots)
            if (slot.Chart.View == watched && slot.Stale)
                Update(slot);
    return QObject::eventFilter(watched, event);
}

void TGroupCharts::Update(TSlot& slot) {
    const EView table = slot.Chart.Table;
    TBaseView* view = &FView;
    // Points are recomputed from the sums on a double-click: the chart is up to date
    // whenever it can be clicked.
    const TChartPoints points = FView.ChartPoints(table);
    BuildChart(slot.Chart.View->chart(), points, slot.Chart.Kind,
               [view, table](int point) { view->ChartDblClick(table, point); });
    if (table == EView::VTType)
        UseTypeColours(slot.Chart.View->chart(), points);
    slot.Stale = false;
}

} // namespace quorvex
