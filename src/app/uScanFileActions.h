#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <string>

class QAction;

namespace quorvex {

class TBaseView;
class TDataCtrl;
class TMainForm;

/// The window title for what the engine holds: "Quorvex", "Quorvex - incomplete" after a
/// cancelled scan, "Quorvex - scan.json (saved scan, read-only)" for a loaded scan file.
QString ScanWindowTitle(const TDataCtrl& engine);

/// The file-dialog filter of scan files.
QString ScanFileFilter();
/// A file system path (bytes) as the dialogs and messages show it.
QString ShownPath(const std::string& path);

/// "<folder name>.json" for the scanned folder `rootPath` ("root.json" for "/").
QString DefaultScanFileName(const std::string& rootPath);

/// The File menu's items for scan files: "Open Scan File..." shows a saved scan in place of
/// a scanned folder (read-only: TBaseView::ShowsSavedScan), "Save Scan As..." writes the tree
/// shown (enabled only while there is one). Both run on the worker thread behind the wait
/// window, as a scan does, and Cancel stops them: a cancelled load leaves the window empty,
/// a cancelled save leaves the target as it was. A failure is shown in a message box.
/// Lives while the form has its view controller.
class TScanFileActions : public QObject {
    Q_OBJECT
public:
    TScanFileActions(TMainForm& form, TBaseView& view);
    ~TScanFileActions() override;

    /// The file choosers of the two items (the platform dialogs unless set): true with
    /// `path` set when a file was chosen. `path` comes in as the proposed file.
    std::function<bool(QString&path)> FChooseOpen, FChooseSave;

    /// Reads `path` and shows it as the Open item does: true when it is shown. After a
    /// failure or a cancel the window is empty, as after a failed scan.
    bool Load(const std::string& path);
    /// Writes the tree to `path` (".zst": compressed): true when written.
    bool Save(const std::string& path);

    QAction* OpenAction() const { return FOpen; }
    QAction* SaveAction() const { return FSave; }

private:
    void AddMenuItems();
    void OpenClick();
    void SaveClick();
    void OfferSave();
    void ShowFailure(const QString& what, const std::string& path, const char* why);

    TMainForm& FForm;
    TBaseView& FView;
    // In the form's File menu, but they call this: deleted with it.
    QPointer<QAction> FOpen, FSave, FSeparator;
};

} // namespace quorvex
