#pragma once

#include <QObject>
#include <QPointer>

class QAction;
class QMenu;

namespace quorvex {

class TBaseView;
class TMainForm;
class TWindowMemory;

/// The "Count" submenu of the View menu: every size shown (views, summary, group tables,
/// charts, treemap) is the apparent size, or the disk usage (allocated bytes, each
/// hard-linked inode counted once). A choice made in the menu is remembered for the next
/// start; Select() alone (the command line's --disk-usage) holds for this run only.
/// Made after TLiveTree, whose refill it uses; lives while the form has its view controller.
class TCountBinding : public QObject {
    Q_OBJECT
public:
    /// Applies the choice `memory` remembers.
    TCountBinding(TMainForm& form, TBaseView& view, TWindowMemory& memory);
    ~TCountBinding() override;

    /// Counts disk usage (or apparent sizes) from now on, and refills everything shown on
    /// the folder shown.
    void Select(bool diskUsage);

    QAction* ApparentAction() const { return FApparent; }
    QAction* DiskUsageAction() const { return FDiskUsage; }

private:
    void AddMenu();
    void Choose(bool diskUsage);

    TMainForm& FForm;
    TBaseView& FView;
    TWindowMemory& FMemory;
    QPointer<QMenu> FMenu; // in the form's View menu, deleted with this
    QPointer<QAction> FApparent, FDiskUsage, FSeparator;
};

} // namespace quorvex
