#pragma once

class QTreeView;

namespace quorvex {

/// Gives a result view the look every view of the program shares: a 17 px light-blue header
/// with movable, resizable columns and a sort indicator, whole-row selection that keeps its
/// colour without focus, hover highlight, grid lines, control characters of names shown as
/// symbols, rows tall enough for check boxes and uniform row heights. `nested` views draw
/// expand buttons on their top rows; the others are flat lists.
void StyleTreeView(QTreeView* view, bool nested);

} // namespace quorvex
