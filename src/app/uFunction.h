#pragma once

#include <QString>

class QWidget;

namespace quorvex {

/// `path` when it names an existing folder, otherwise empty: the picker never preselects a
/// folder that is gone.
QString ExistingFolderOrEmpty(const QString& path);

/// The folder the picker opens on: the preselected path, else the root, else empty (the
/// dialog's own choice).
QString PickerStartFolder(const QString& preselected, const QString& root);

/// A chosen folder as callers get it: without a trailing "/", except "/" itself.
QString ChosenFolderPath(const QString& chosen);

/// The platform folder dialog, modal to `owner`. On entry a `path` that is not an existing
/// folder is emptied; an existing one is preselected. Returns true and sets `path` to the
/// chosen folder; on cancel returns false and leaves `path` as the first step left it.
bool BrowseForFolder(const QString& title, const QString& root, QString& path, QWidget* owner);

} // namespace quorvex
