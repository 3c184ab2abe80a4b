#pragma once

#include <QColor>
#include <QIcon>
#include <QPalette>

namespace quorvex {

// The window's colours and icons follow the desktop: colours come from the palette's roles,
// the few accent tints of the design (the header's and the charts' blue, the red of folders
// not scanned) keep their hue but take the palette's lightness, and every text colour is made
// readable on what it is painted on. Under the default light palette this gives the designed
// look; under a dark one a dark window with light text.

/// The contrast ratio of two colours as WCAG 2 defines it: 1 (same) to 21 (black on white).
double ContrastRatio(const QColor& a, const QColor& b);

/// Text of `wanted`'s hue that reads on `background`: `wanted` itself when the contrast is
/// at least 4.5 (WCAG AA for body text), otherwise made lighter or darker until it is.
QColor ReadableOn(const QColor& wanted, const QColor& background);

/// `from` moved the share `amount` (0 to 1) of the way to `to`, per channel.
QColor Mix(const QColor& from, const QColor& to, double amount);

/// Whether the palette paints light text on dark windows.
bool IsDark(const QPalette& palette);

/// The colours the window paints with, derived from one palette.
struct TThemeColours {
    QColor Link;        ///< links, the path and the summary's values (on Window)
    QColor HeaderBack;  ///< the item views' header
    QColor HeaderLine;  ///< the lines between header sections
    QColor HeaderText;  ///< captions on HeaderBack
    QColor GridLine;    ///< the lines between rows and columns (on Base)
    QColor NotScanned;  ///< names of folders that were not scanned (on Base)
    QColor ChartTop;    ///< the charts' background gradient, top
    QColor ChartBottom; ///< and bottom
    QColor PlotBack;    ///< the plot area
    QColor PlotLine;    ///< its frame and grid
    QColor ChartText;   ///< labels, legend and bar marks (on PlotBack and ChartBottom)
    QColor SliceBorder; ///< between pie slices
    QColor PictureLine; ///< outlines of the drawn pictures (wait window) on Window
};
TThemeColours ThemeColours(const QPalette& palette);
/// ThemeColours of the application's palette.
TThemeColours ThemeColours();

/// A dark palette for the Fusion style, as dark desktop themes have it.
QPalette DarkPalette();

/// QUORVEX_PALETTE=dark in the environment: the Fusion style with DarkPalette(), for trying
/// the window dark on a desktop that is not (and for screenshots under Xvfb). Called once
/// the application object exists and before any window is made; other values do nothing.
void ApplyPaletteSwitch();

/// The icon `name` of the icon theme (a freedesktop standard name), or `drawn` when the
/// theme has none (as offscreen or on a desktop without an icon theme).
QIcon ThemeIcon(const char* name, const QIcon& drawn);

} // namespace quorvex
