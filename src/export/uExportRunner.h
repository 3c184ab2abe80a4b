#pragma once

#include "uExportProgress.h"

#include <QString>
#include <functional>

class QWidget;

namespace quorvex {

/// Runs `write` on a worker thread while this (the user-interface) thread keeps the wait
/// window painted with the rows written so far and its Cancel button live.
///
/// Meanwhile the wait window is application-modal (above the dialog that started the
/// export), so no input reaches a view or the engine while the worker reads them; the
/// windows go on painting, reading the models as the worker does (the nested lists, whose
/// sort orders are made as rows are read, are walked through copies: TModelExportView).
///
/// `write` counts its views into the progress it gets (TCountedView, CountedList). Returns
/// true once the file is written. Returns false when the user cancelled (the writer's
/// temporary file is gone and the target untouched) and when the writer failed; a failure is
/// shown in a message box over `owner`, naming the file and the reason.
bool RunExport(const QString& message, const std::function<void(TExportProgress&)>& write,
               QWidget* owner);

} // namespace quorvex
