#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariantList>

class QMenu;
class QSettings;
class QTreeView;

namespace quorvex {

class TMainForm;

/// A checkable action of the window with this property set to true keeps its checked state
/// between runs (under its object name).
inline constexpr char RememberedProperty[] = "quorvexRemembered";

/// `folders` with `path` first, once, and at most `limit` entries (most recent first).
QStringList WithRecentFolder(QStringList folders, const QString& path, int limit);

/// What the main window remembers between runs, in the per-user settings of QSettings
/// (organisation and application "quorvex", so ~/.config/quorvex/quorvex.conf under
/// XDG_CONFIG_HOME), apart from the XML configuration, which it never touches: geometry and
/// state, splitter sizes, the checked state of the actions marked RememberedProperty, column
/// widths and order of every list, the active tabs, the last folder, the recent folders and
/// the Count choice. Widgets are found by object name, so a renamed widget starts from its
/// defaults instead of taking another's state.
class TWindowMemory {
public:
    static constexpr int MaxRecentFolders = 10;

    /// Adds the "Recent Folders" submenu to the File menu of `form`.
    explicit TWindowMemory(TMainForm& form);

    /// Puts the remembered state on the window; call once its views have their models.
    void Restore();
    /// Keeps the window's state; call while the views still have their models.
    void Save() const;
    /// `path` was scanned: it becomes the last folder and heads the recent folders.
    void RememberFolder(const QString& path);
    QStringList RecentFolders() const;
    /// The View menu's Count choice made last (false: apparent sizes, the default).
    bool CountsDiskUsage() const;
    void RememberCountDiskUsage(bool diskUsage);
    /// Where the folder picker starts: the last folder while it exists, else the home folder.
    QString PickerStart() const;
    /// The folder picker, started in PickerStart().
    bool BrowseFromLastFolder(QString& path);

private:
    void FillRecentMenu();

    TMainForm& FForm;
    QMenu* FRecent = nullptr; // owned by the File menu
    // Each list's columns as the XML configuration gave them, before the remembered layout.
    QHash<QString, QVariantList> FConfigured;
};

} // namespace quorvex
