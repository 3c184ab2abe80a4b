#pragma once

#include "uExportView.h"

#include <atomic>

namespace quorvex {

/// Thrown out of an export's walk once Cancel was asked for. Deliberately not a
/// std::exception: the report workbook skips a failing sheet by catching those, and a
/// cancellation must end the whole document, so its temporary file goes and the target stays.
struct TExportCancelled {};

/// How far an export has got: written by the thread that writes the file, read by the
/// thread that shows it; Cancel() may come from any thread.
class TExportProgress {
public:
    qsizetype Rows() const { return FRows.load(std::memory_order_relaxed); }
    qsizetype Total() const { return FTotal.load(std::memory_order_relaxed); }
    bool Cancelled() const { return FCancel.load(std::memory_order_relaxed); }
    void Cancel() { FCancel = true; }

    /// Adds the entries of a view about to be written to the total.
    void Expect(qsizetype rows) { FTotal += rows; }
    /// Counts one row; throws TExportCancelled when Cancel() was called.
    void RowWritten();

private:
    std::atomic<qsizetype> FRows{0};
    std::atomic<qsizetype> FTotal{0};
    std::atomic<bool> FCancel{false};
};

/// A view read through another one, counting each visited entry into `progress` and
/// stopping the writer (TExportCancelled) at the first entry after a Cancel. The writers
/// see the same captions, cells and order, so the bytes they write do not change.
class TCountedView final : public TExportView {
public:
    TCountedView(const TExportView& view, TExportProgress& progress)
        : FView(view), FProgress(progress) {}

    qsizetype EntryCount() const override { return FView.EntryCount(); }
    int ColumnCount() const override { return FView.ColumnCount(); }
    QString Caption(int column) const override { return FView.Caption(column); }
    void Walk(const TVisit& visit) const override;

private:
    const TExportView& FView;
    TExportProgress& FProgress;
};

/// The views of `list` counted into `progress`, with their entries added to its total. The
/// result refers to the views of `list`, which must outlive it.
TReportList CountedList(const TReportList& list, TExportProgress& progress);

} // namespace quorvex
