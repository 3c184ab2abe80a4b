#pragma once

#include "uExportSave.h"

#include <QDialog>
#include <functional>

class QCheckBox;
class QStatusBar;
class QToolBar;
class QTreeView;
class QAction;

namespace quorvex {

class TBaseView;
class TEntryListModel;

/// The modal window of one report: the entries with check boxes, opened in the file
/// manager, deleted from disk or exported. The rows belong to the caller.
class TfmDetail : public QDialog {
    Q_OBJECT
public:
    TfmDetail(TEntryListModel& rows, TBaseView& view, QWidget* parent = nullptr);

    /// Opens a folder in the desktop's file manager, saying so when there is none; tests
    /// replace it (or the opener of uShell beneath it).
    std::function<void(const QByteArray& folder)> FOpenFolder;
    /// Where the export buttons write: the save dialog; tests replace it.
    TSaveStep FSaveStep;

    QTreeView* VT = nullptr;
    QCheckBox* cbCheck = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QAction *ToolButton61 = nullptr, *ToolButton62 = nullptr, *ToolButton63 = nullptr,
            *ToolButton66 = nullptr, *ToolButton67 = nullptr;
    QAction *ToolButton1 = nullptr, *ToolButton2 = nullptr, *ToolButton4 = nullptr;

public slots:
    void cbCheckClick();
    void ToolButton1Click();
    void ToolButton2Click();
    void ToolButton61Click();
    void ToolButton62Click();
    void ToolButton63Click();
    void ToolButton66Click();
    void ToolButton67Click();
    void ToolButton4Click();

private:
    QWidget* SetupTopPanel();
    QToolBar* NewToolBar(const char* name);
    QAction* AddButton(QToolBar* bar, const char* name, const QString& caption, const QString& hint,
                       const char* icon);

    TEntryListModel& FRows;
};

} // namespace quorvex
