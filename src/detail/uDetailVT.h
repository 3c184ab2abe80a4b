#pragma once

#include "uEntryRemoval.h"
#include "uExportSave.h"

#include <QDialog>
#include <cstdint>
#include <functional>

class QCheckBox;
class QLabel;
class QStatusBar;
class QToolBar;
class QTreeView;
class QAction;
class QTimer;

namespace quorvex {

class TBaseView;
class TDataInfo;
class TEntryMenu;
class TEntryListModel;

/// The modal window of one report: the entries with check boxes, opened in the file
/// manager, moved to the trash, deleted from disk or exported. The rows belong to the caller.
/// In a read-only window (TBaseView::ReadOnly) the trash and delete buttons do not exist.
class TfmDetail : public QDialog {
    Q_OBJECT
public:
    TfmDetail(TEntryListModel& rows, TBaseView& view, QWidget* parent = nullptr);

    /// Opens a folder in the desktop's file manager, saying so when there is none; tests
    /// replace it (or the opener of uShell beneath it).
    std::function<void(const QByteArray& folder)> FOpenFolder;
    /// Where the export buttons write: the save dialog; tests replace it.
    TSaveStep FSaveStep;

    /// The rows' context menu; its removal drops the rows that left the disk.
    TEntryMenu* Menu = nullptr;
    QTreeView* VT = nullptr;
    QCheckBox* cbCheck = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    /// The count and bytes of the rows and of the checked ones.
    QLabel* lblCounts = nullptr;
    /// The rows' note (TEntryListModel::Note) above the list; null when they have none.
    QLabel* lblNote = nullptr;
    QAction *ToolButton61 = nullptr, *ToolButton62 = nullptr, *ToolButton63 = nullptr,
            *ToolButton66 = nullptr, *ToolButton67 = nullptr;
    /// ToolButton2 moves the checked entries to the trash (Delete), ToolButton3 deletes them
    /// (Shift+Delete); both are null in a read-only window.
    QAction *ToolButton1 = nullptr, *ToolButton2 = nullptr, *ToolButton3 = nullptr,
            *ToolButton4 = nullptr;

    /// The entries this window removed from the disk, for the caller to take out of the
    /// results once the window is closed (the rows hold them until then).
    const std::vector<const TDataInfo*>& Removed() const { return FRemoved; }

public slots:
    void cbCheckClick();
    void ToolButton1Click();
    void ToolButton2Click();
    void ToolButton3Click();
    void ToolButton61Click();
    void ToolButton62Click();
    void ToolButton63Click();
    void ToolButton66Click();
    void ToolButton67Click();
    void ToolButton4Click();

private:
    QWidget* SetupTopPanel();
    QLabel* NewNoteLabel(const QString& note);
    QToolBar* SetupActionBar();
    void Remove(ERemoval how);
    void DropRowsOf(const std::vector<const TDataInfo*>& gone);
    void SetupCounts();
    void ShowCounts();
    QToolBar* NewToolBar(const char* name);
    QAction* AddButton(QToolBar* bar, const char* name, const QString& caption, const QString& hint,
                       const char* icon);

    TEntryListModel& FRows;
    const bool FReadOnly;
    std::uint64_t FRowBytes = 0; // of every row, each byte once
    bool FRowsChanged = true;    // FRowBytes is to be counted again
    QTimer* FCounting = nullptr; // one count for a burst of check changes
    std::vector<const TDataInfo*> FRemoved;
};

} // namespace quorvex
