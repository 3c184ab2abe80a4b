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

/// The save dialog's path in the file system's encoding.
std::filesystem::path FilePath(const QString& path);

// The single-list exports of a view (the detail window's export buttons). Each asks the save
// step for a path, then writes on a worker thread behind the wait window (RunExport), the
// view read and never changed meanwhile. Each returns true when the file was written; false
// when the save step gave no path, when the user cancelled (the old file kept) and when the
// writing failed, which a message box over `owner` has then said.

bool ExportVTToHtml(const QAbstractItemModel& view, const TSaveStep& save,
                    QWidget* owner = nullptr);
bool ExportVTToText(const QAbstractItemModel& view, const QString& separator, const TSaveStep& save,
                    QWidget* owner = nullptr);
bool ExportVTToCsv(const QAbstractItemModel& view, const TSaveStep& save, QWidget* owner = nullptr);
bool ExportVTToXml(const QAbstractItemModel& view, const TSaveStep& save, QWidget* owner = nullptr);
/// Refuses a view of more than 65534 entries with "The row count is out of excel range."
/// (captioned "Warning") before the save step.
bool ExportVTToExcel(const QAbstractItemModel& view, const TSaveStep& save,
                     QWidget* owner = nullptr);

} // namespace quorvex
