#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

class QAbstractItemModel;

namespace quorvex {

/// One entry met by a walk over an exported view: valid only during that visit.
class TExportRow {
public:
    /// 0 for a top-level entry, its parent's depth + 1 below.
    virtual int Depth() const = 0;
    /// The text the view shows in this entry's cell of column `column`.
    virtual QString CellText(int column) const = 0;

protected:
    ~TExportRow() = default;
};

/// What every export reads of a view, and nothing more: the writers never change the view.
class TExportView {
public:
    virtual ~TExportView() = default;

    /// Entries at every level, children of collapsed entries included.
    virtual qsizetype EntryCount() const = 0;
    /// Every column of the view in index order, hidden ones included; the order the user
    /// dragged the columns into on screen plays no part.
    virtual int ColumnCount() const = 0;
    virtual QString Caption(int column) const = 0;

    /// Visits every entry in pre-order (an entry's children before its next sibling),
    /// whatever is expanded, selected or checked. Stops early when `visit` returns false.
    using TVisit = std::function<bool(const TExportRow& row)>;
    virtual void Walk(const TVisit& visit) const = 0;
};

/// Reads any item model: captions from its horizontal header, cell texts from its display
/// role. The model must outlive the reader and stay unchanged while it is read.
class TModelExportView final : public TExportView {
public:
    explicit TModelExportView(const QAbstractItemModel& model) : FModel(model) {}

    qsizetype EntryCount() const override;
    int ColumnCount() const override;
    QString Caption(int column) const override;
    void Walk(const TVisit& visit) const override;

private:
    static void WalkModel(const QAbstractItemModel& model, const TVisit& visit);

    const QAbstractItemModel& FModel;
};

/// A figure a report writes above a view's entries: ("Added", "4 entries, +5.00 KB") reads
/// "Added: 4 entries, +5.00 KB" in the text formats and is an attribute in XML.
using TReportTotal = std::pair<QString, QString>;

/// One view of a report with its title, in the order the report writes them.
struct TReportItem {
    QString Title;
    std::unique_ptr<TExportView> View;
    /// Figures about the whole view (the changes list's totals); empty for most views.
    std::vector<TReportTotal> Totals = {};
    /// Whether the report writes a section for it: a view with entries or with totals.
    bool HasSection() const { return View->EntryCount() > 0 || !Totals.empty(); }
};
using TReportList = std::vector<TReportItem>;

} // namespace quorvex
