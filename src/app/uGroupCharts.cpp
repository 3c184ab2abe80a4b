#include "uGroupCharts.h"

#include <QChartView>
#include <QEvent>

namespace quorvex {

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
    BuildChart(slot.Chart.View->chart(), FView.ChartPoints(table), slot.Chart.Kind,
               [view, table](int point) { view->ChartDblClick(table, point); });
    slot.Stale = false;
}

} // namespace quorvex
