#include "uTheme.h"

#include <QApplication>
#include <algorithm>
#include <cmath>

namespace quorvex {

namespace {

constexpr double ReadableContrast = 4.5;

// The designed accents, as they look on a light window.
const QColor HeaderTint(123, 170, 255);
const QColor HeaderEdge(86, 132, 222);
const QColor ChartTint(0, 128, 255);
const QColor NotScannedTint(170, 40, 40);

double Channel(double value) {
    return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
}

double Luminance(const QColor& c) {
    return 0.2126 * Channel(c.redF()) + 0.7152 * Channel(c.greenF()) + 0.0722 * Channel(c.blueF());
}

// The designed tint on a light palette; on a dark one the same hue and saturation with its
// lightness mirrored, so a pale header becomes a deep one.
QColor Accent(const QColor& tint, bool dark) {
    if (!dark)
        return tint;
    const QColor hsl = tint.toHsl();
    return QColor::fromHslF(hsl.hslHueF(), hsl.hslSaturationF(), 1.0f - hsl.lightnessF());
}

} // namespace

double ContrastRatio(const QColor& a, const QColor& b) {
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor ReadableOn(const QColor& wanted, const QColor& background) {
    if (ContrastRatio(wanted, background) >= ReadableContrast)
        return wanted;
    // Toward white on a dark background, toward black on a light one; both ends pass.
    const QColor end = Luminance(background) < 0.18 ? QColor(Qt::white) : QColor(Qt::black);
    for (int step = 1; step <= 20; ++step) {
        const QColor candidate = Mix(wanted, end, step / 20.0);
        if (ContrastRatio(candidate, background) >= ReadableContrast)
            return candidate;
    }
    return end;
}

QColor Mix(const QColor& from, const QColor& to, double amount) {
    auto channel = [amount](int a, int b) { return int(std::lround(a + (b - a) * amount)); };
    return QColor(channel(from.red(), to.red()), channel(from.green(), to.green()),
                  channel(from.blue(), to.blue()));
}

bool IsDark(const QPalette& palette) {
    return Luminance(palette.color(QPalette::Window)) <
           Luminance(palette.color(QPalette::WindowText));
}

TThemeColours ThemeColours(const QPalette& palette) {
    const bool dark = IsDark(palette);
    const QColor window = palette.color(QPalette::Window);
    const QColor base = palette.color(QPalette::Base);
    const QColor text = palette.color(QPalette::Text);
    TThemeColours c;
    c.Link = ReadableOn(palette.color(QPalette::Link), window);
    c.HeaderBack = Accent(HeaderTint, dark);
    c.HeaderLine = Accent(HeaderEdge, dark);
    c.HeaderText = ReadableOn(palette.color(QPalette::ButtonText), c.HeaderBack);
    c.GridLine = Mix(base, text, 39.0 / 255); // light grey on white: visible, never loud
    c.NotScanned = ReadableOn(Accent(NotScannedTint, dark), base);
    c.ChartTop = Accent(ChartTint, dark);
    c.ChartBottom = base;
    c.PlotBack = base;
    c.PlotLine = Mix(base, text, 0.3);
    c.ChartText = ReadableOn(text, base);
    c.SliceBorder = base;
    c.PictureLine = ReadableOn(Mix(palette.color(QPalette::WindowText), window, 0.2), window);
    return c;
}

TThemeColours ThemeColours() {
    return ThemeColours(QApplication::palette());
}

QPalette DarkPalette() {
    // Selected rows keep white text readable on their blue; links are lighter for the window.
    const QColor window(45, 45, 45), text(220, 220, 220), accent(38, 100, 170);
    QPalette p(window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, QColor(30, 30, 30));
    p.setColor(QPalette::AlternateBase, window);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, QColor(53, 53, 53));
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::BrightText, Qt::white);
    p.setColor(QPalette::Highlight, accent);
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Link, QColor(90, 160, 240));
    p.setColor(QPalette::LinkVisited, QColor(170, 120, 230));
    p.setColor(QPalette::ToolTipBase, QColor(30, 30, 30));
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::PlaceholderText, QColor(140, 140, 140));
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, QColor(120, 120, 120));
    return p;
}

void ApplyPaletteSwitch() {
    if (qgetenv("QUORVEX_PALETTE") != "dark")
        return;
    QApplication::setStyle(QStringLiteral("Fusion"));
    QApplication::setPalette(DarkPalette());
}

QIcon ThemeIcon(const char* name, const QIcon& drawn) {
    const QString themed = QString::fromLatin1(name);
    return QIcon::hasThemeIcon(themed) ? QIcon::fromTheme(themed) : drawn;
}

} // namespace quorvex
