#pragma once

#include "uExportFile.h"

#include <QString>
#include <functional>

class QAbstractItemModel;
class QWidget;

namespace quorvex {

/// The save step of every export: asks for the file and, when it exists, whether to replace
/// it ("File with the same name already exists,overwrite?", captioned "Warning"). Returns
/// the chosen path, or an empty text when the user cancelled or declined. Nothing is deleted
/// here: the writers replace the file only once the new one is complete.
/// `filter` has the form "description|pattern"; `initialName` may be empty.
QString SelectSaveFile(const QString& defaultExt, const QString& filter, const QString& initialName,
                       QWidget* owner = nullptr);

/// How a writer gets its file name: a path, or empty to stop without writing anything.
using TSaveStep = std::function<QString(EExportFormat format)>;
/// SelectSaveFile with the format's extension and filter and an empty initial name.
TSaveStep SaveDialogStep(QWidget* owner);

/// Shows the hourglass cursor for the lifetime of the object, whatever ends it.
class TCursorScope {
public:
    TCursorScope();
    ~TCursorScope();
    TCursorScope(const TCursorScope&) = delete;
    TCursorScope& operator=(const TCursorScope&) = delete;
};

/// The save dialog's path in the file system's encoding.
std::filesystem::path FilePath(const QString& path);

// The single-list exports of a view (the detail window's export buttons). Each returns true
// when the file was written and false when the save step gave no path; a file that cannot be
// written throws, naming the file and the reason.

bool ExportVTToHtml(const QAbstractItemModel& view, const TSaveStep& save);
bool ExportVTToText(const QAbstractItemModel& view, const QString& separator,
                    const TSaveStep& save);
bool ExportVTToCsv(const QAbstractItemModel& view, const TSaveStep& save);
bool ExportVTToXml(const QAbstractItemModel& view, const TSaveStep& save);
/// Refuses a view of more than 65534 entries with "The row count is out of excel range."
/// (captioned "Warning") before the save step; shows the hourglass while it writes.
bool ExportVTToExcel(const QAbstractItemModel& view, const TSaveStep& save,
                     QWidget* owner = nullptr);

} // namespace quorvex
