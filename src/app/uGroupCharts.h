#pragma once

#include "uBaseView.h"
#include "uCharts.h"

#include <QObject>
#include <vector>

class QChartView;

namespace quorvex {

/// The fourteen group charts of the main window, kept up to date lazily: a refill updates
/// the charts on screen at once and marks the others stale; a stale chart is brought up to
/// date when it is shown. So a folder click costs the charts the user sees, not all of them.
class TGroupCharts : public QObject {
    Q_OBJECT
public:
    struct TChart {
        EView Table;
        QChartView* View;
        EChartKind Kind;
    };

    TGroupCharts(TBaseView& view, std::vector<TChart> charts, QObject* parent = nullptr);

    /// The views were refilled for a new folder.
    void Refresh();
    /// The views were emptied (before a scan): every chart shows nothing.
    void Clear();
    /// True when the chart is behind the current folder (not updated since it was hidden).
    bool IsStale(const QChartView* chart) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct TSlot {
        TChart Chart;
        bool Stale = false;
    };
    void Update(TSlot& slot);

    TBaseView& FView;
    std::vector<TSlot> FSlots;
};

} // namespace quorvex
