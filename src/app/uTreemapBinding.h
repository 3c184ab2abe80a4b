#pragma once

#include <QList>
#include <QObject>
#include <memory>

class QAction;
class QModelIndex;
class QPoint;
class QTreeView;

namespace quorvex {

class TBaseView;
class TDataInfo;
class TMainForm;
class TScanCompare;
class TTreemapPane;
enum class EView;

/// The treemap pane of the main window and everything joining it to the rest: it sits in a
/// splitter below the tabs, the View menu shows and hides it (Ctrl+T) and switches cushion
/// shading, both remembered by TWindowMemory. It shows the current folder, is redrawn after
/// every refill of the views, outlines what the folder tree or the "Total List" selects,
/// selects what is clicked in it, zooms into a double-clicked folder and dims all but the
/// entries of the selected group-table rows. While the window compares with a saved scan it
/// tints files by growth ("Tint by Growth" in the View menu) and the hover text gives the
/// entry's change.
///
/// Made after TViewBinding (the views must have their models) and before
/// TWindowMemory::Restore() (which restores the splitter and the two menu items).
class TEntryMenu;

class TTreemapBinding : public QObject {
    Q_OBJECT
public:
    TTreemapBinding(TMainForm& form, TBaseView& view);
    ~TTreemapBinding() override;

    /// Call before anything changes the tree (scan, refresh, removal, new group ranges):
    /// returns once no drawing reads it. The views' refill (TBaseView::ViewsRefreshed)
    /// redraws; a change that refills nothing calls Invalidate() afterwards.
    void Stop();
    /// Draws the current folder again from the tree as it is now.
    void Invalidate();

    /// The comparison shown (nullptr: none): files are tinted by their growth against its base
    /// while "Tint by Growth" is checked, which is checked whenever a comparison begins. Call
    /// it before the comparison given before is dropped: it returns once no drawing reads
    /// that one. A new scan (TBaseView::ViewsCleared) ends the comparison here too.
    void SetGrowthTint(const TScanCompare* compare);
    QAction& TintAction() { return *FTint; }

    /// Right-clicks on the treemap open `menu` (the lists' entry menu) over the entry there.
    void UseEntryMenu(TEntryMenu& menu);

    TTreemapPane& Pane() { return *FPane; }
    QAction& ShowAction() { return *FShow; }

signals:
    /// The context menu was asked for over `entry` (nullptr: over no entry) at the global
    /// position `at`. The entry menu of the lists is joined here.
    void ContextMenuRequested(const TDataInfo* entry, const QPoint& at);

private:
    void SetupPane();
    void SetupMenu();
    void ConnectViews();
    void ConnectGroupTables();
    void ShowCurrentFolder();
    void SelectInViews(const TDataInfo* entry);
    void ZoomInto(const TDataInfo* entry);
    void ShowHovered(const TDataInfo* entry);
    void FollowSelection(QTreeView* tree, const QModelIndex& index);
    void UpdateHighlight();
    void UpdateTint();
    QString Describe(const TDataInfo& entry) const;

    TMainForm& FForm;
    TBaseView& FView;
    TTreemapPane* FPane = nullptr; // owned by its splitter
    QAction* FShow = nullptr;      // owned by the View menu
    QAction* FCushion = nullptr;
    QAction* FTint = nullptr;
    const TScanCompare* FCompare = nullptr; // the one given; the pane has it while tinting
    QList<int> FShownSizes;                 // of the splitter, while the pane was last shown
    bool FSelecting = false;                // the views follow a click in the pane: no echo back
};

} // namespace quorvex
