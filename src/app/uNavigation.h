#pragma once

#include "uFolderHistory.h"

#include <QObject>
#include <QTimer>

class QKeySequence;

namespace quorvex {

class TBaseView;
class TDataInfo;
class TMainForm;

/// Moving between folders from the keyboard: Alt+Up shows the parent folder, Alt+Left and
/// Alt+Right go back and forward through the folders shown, F10 opens the menu bar, and a
/// move of the folder tree's current item shows that folder once the moves pause (a timer
/// restarted on every move, so holding an arrow key does not refill the views per row).
/// Lives while the form has its view controller; every folder the controller shows, from
/// any command, is recorded; a new scan starts a new history.
class TNavigation : public QObject {
    Q_OBJECT
public:
    /// Pause after the last move of the tree's current item before its folder is shown.
    static constexpr int TreeMoveDelayMs = 150;

    TNavigation(TMainForm& form, TBaseView& view);

    /// Shows the folder tree's current folder; `again` shows it even when it is shown already
    /// (a click does, a deferred move does not).
    void ShowTreeCurrent(bool again);
    void ShowParent();
    /// Shows `folder` and makes it the tree's current item, its parents expanded.
    void Show(TDataInfo* folder);
    /// Makes `folder` the tree's current item, its parents expanded, without showing it
    /// again: for a refill that keeps the folder shown.
    void FollowInTree(const TDataInfo* folder);
    void Back();
    void Forward();
    const TFolderHistory& History() const { return FHistory; }
    /// The deferred move of the tree, for tests to run it without waiting.
    QTimer& TreeMoveTimer() { return FTreeMove; }

private:
    void AddKey(const QKeySequence& key, const char* name, void (TNavigation::*handler)());
    void OpenMenuBar();
    void ShowPath(const std::string* path);
    void RecordShownFolder();

    TMainForm& FForm;
    TBaseView& FView;
    TFolderHistory FHistory;
    QTimer FTreeMove;
};

} // namespace quorvex
