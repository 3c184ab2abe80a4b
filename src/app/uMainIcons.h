#pragma once

#include <QIcon>
#include <vector>

class QPainter;
class QPixmap;

namespace quorvex {

/// Draws a picture on a 32-unit canvas: the program's own icons need no image files.
using TDrawFn = void (*)(QPainter&);
/// The picture at `size` x `size` pixels.
QPixmap RenderIcon(TDrawFn draw, int size);
/// The picture at 16, 24 and 32 pixels.
QIcon DrawnIcon(TDrawFn draw);

// The main window's pictures: from the icon theme where a standard name means the same
// picture, otherwise drawn by the program.

/// 32 x 32 icons of the main window's tabs, in tab order.
std::vector<QIcon> MakeTabIcons();
/// 16 x 16 icons indexed by EGroupImage.
std::vector<QIcon> MakeGroupIcons();
/// The picture of the Open button: a folder with a magnifier.
QIcon OpenButtonIcon();

} // namespace quorvex
