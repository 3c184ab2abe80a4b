#pragma once

#include "uBaseView.h"

#include <QObject>
#include <memory>

class QChartView;
class QTreeView;

class QMenu;

namespace quorvex {

class TEntryIcons;
class TEntryMenu;
class TGroupCharts;
class TMainForm;

/// Puts an entry model into a tree view: columns as the model describes them (width, display
/// position, visibility), header clicks sorting through the view controller, the sort mark
/// following the model's header state, and, for nested lists, the top row expanded after
/// every fill.
void BindEntryView(QTreeView* tree, TEntryModel& model, TBaseView& view);

/// The context menu of the main window's entry views: the folder tree (no double-click
/// there: a click shows a folder already), the nested list and the four flat lists.
std::unique_ptr<TEntryMenu> BindEntryMenu(TMainForm& form, TBaseView& view);

/// The main window's View menu, between File and Tools, made by the first unit that adds
/// to it.
QMenu* ViewMenu(TMainForm& form);

/// Joins the main window's views, charts and summary labels to the view controller: every
/// model in its view, header clicks and double-clicks to the controller's handlers, charts
/// and labels redone whenever the controller refills or empties its views.
class TViewBinding : public QObject {
    Q_OBJECT
public:
    TViewBinding(TMainForm& form, TBaseView& view, TEntryIcons& icons);
    /// Takes the models out of the views, so the controller can go first.
    ~TViewBinding() override;

    TGroupCharts& Charts() { return *FCharts; }

private:
    void BindGroupView(QTreeView* tree, EView table);
    void ShowSummary();
    void ShowAccessTimes();

    TMainForm& FForm;
    TBaseView& FView;
    std::unique_ptr<TGroupCharts> FCharts;
};

} // namespace quorvex
