#pragma once

#include <QIcon>

namespace quorvex {

/// The application icon in every size the icon theme installs, from the program's resources.
QIcon ApplicationIcon();

/// The name of the desktop entry and metainfo files, which desktops use to match the window
/// with its menu entry.
QString ApplicationId();

} // namespace quorvex
