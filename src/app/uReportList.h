#pragma once

class QWidget;

namespace quorvex {

class TBaseView;
class TEntryListModel;

/// Shows the rows of a report in a plain modal list window and returns when it is closed.
void ShowReportList(TEntryListModel& rows, TBaseView& view, QWidget* owner);

} // namespace quorvex
