#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
#include <string>

class QAction;
class QLabel;
class QTreeView;
class QWidget;

namespace quorvex {

class TBaseView;
class TChangesModel;
class TMainForm;

/// File > "Compare With Saved Scan..." and "Stop Comparing", and the "Changes" page they
/// show. The saved scan is read on the worker thread behind the wait window (Cancel stops
/// it); the comparison itself is the view controller's, so every view follows it. The page
/// is a tab of its own, there only while comparing. Lives while the form has its view
/// controller.
class TCompareActions : public QObject {
    Q_OBJECT
public:
    TCompareActions(TMainForm& form, TBaseView& view);
    ~TCompareActions() override;

    /// The file chooser of the item (the platform dialog unless set): true with `path` set
    /// when a file was chosen. `path` comes in as the proposed folder.
    std::function<bool(QString& path)> FChoose;

    /// Reads the scan file at `path` and compares the tree shown with it: true when the
    /// comparison is shown. A failure (unreadable file, another folder's scan) is shown in a
    /// message box and changes nothing.
    bool Compare(const std::string& path);
    void StopComparing();

    QAction* CompareAction() const { return FCompare; }
    QAction* StopAction() const { return FStop; }
    QWidget* Page() const { return FPage; }
    TChangesModel& Changes() const { return *FModel; }

private:
    void AddMenuItems();
    void BuildPage();
    void CompareClick();
    void ComparisonChanged();
    void ShowPage(bool shown);
    void PlaceChangeColumns();
    void FollowShownFolder();
    void OfferItems();
    void ChangeActivated(const class QModelIndex& index);

    TMainForm& FForm;
    TBaseView& FView;
    std::unique_ptr<TChangesModel> FModel;
    QPointer<QWidget> FPage; // a tab of the form's pcTotal while comparing, else parentless
    QLabel* FTotals = nullptr;
    QTreeView* FList = nullptr;
    // In the form's File menu, but they call this: deleted with it.
    QPointer<QAction> FCompare, FStop;
};

} // namespace quorvex
