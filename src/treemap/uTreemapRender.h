#pragma once

#include "uTreemapLayout.h"

#include <QImage>
#include <atomic>
#include <cstdint>
#include <functional>
#include <string_view>

namespace quorvex {

/// How a treemap is painted.
struct TTreemapStyle {
    /// Cushion shading (van Wijk and van de Wetering 1999): a file reads as a bump, a folder
    /// as a group of bumps. Off: every tile in its flat colour.
    bool Cushion = true;
    /// When set, every entry it rejects is dimmed (a blended area follows its folder).
    std::function<bool(const TDataInfo&)> Highlight;
};

/// Paints a laid-out treemap into an image. Widget-free, so it runs on any thread and
/// without a display.
class TTreemapRender {
public:
    /// 0xRRGGBB of a file type, from a hash of its extension (case ignored) into a fixed
    /// palette: the same on every run. Files without an extension get a neutral tint.
    static std::uint32_t TypeColour(std::string_view ext);
    /// A file's type colour; links have a neutral tint of their own.
    static std::uint32_t FileColour(const TDataInfo& file);
    /// The colour of a rejected entry under a highlight.
    static std::uint32_t Dimmed(std::uint32_t colour);

    /// The picture of `layout`, layout.Width() x layout.Height(), RGB32. When `cancel`
    /// becomes true painting stops within a few rows of pixels and a null image is returned.
    static QImage Render(const TTreemapLayout& layout, const TTreemapStyle& style,
                         const std::atomic<bool>* cancel = nullptr);
};

} // namespace quorvex
