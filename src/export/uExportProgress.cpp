#include "uExportProgress.h"

namespace quorvex {

void TExportProgress::RowWritten() {
    if (Cancelled())
        throw TExportCancelled{};
    FRows.fetch_add(1, std::memory_order_relaxed);
}

void TCountedView::Walk(const TVisit& visit) const {
    FView.Walk([this, &visit](const TExportRow& row) {
        FProgress.RowWritten();
        return visit(row);
    });
}

TReportList CountedList(const TReportList& list, TExportProgress& progress) {
    TReportList counted;
    counted.reserve(list.size());
    for (const TReportItem& item : list) {
        progress.Expect(item.View->EntryCount());
        counted.push_back(
            {item.Title, std::make_unique<TCountedView>(*item.View, progress), item.Totals});
    }
    return counted;
}

} // namespace quorvex
