#include "uTreemapRender.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace quorvex {

namespace {

// Distinct hues of medium lightness that stay apart under shading and dimming.
constexpr std::array<std::uint32_t, 16> Palette = {
    0x4E79A7, 0xF28E2B, 0xE15759, 0x76B7B2, 0x59A14F, 0xEDC948, 0xB07AA1, 0xFF9DA7,
    0x9C755F, 0x3CB4E6, 0x8CD17D, 0xD37295, 0xA0CBE8, 0xFFBE7D, 0x86BCB6, 0xC9A227};
constexpr std::uint32_t NoExtColour = 0xA8A8A0;
constexpr std::uint32_t LinkColour = 0x8A9AAE;
constexpr std::uint32_t FrameColour = 0x505050;

// Cushion surface z = S1x x + S2x x^2 + S1y y + S2y y^2, summed over the nesting levels.
struct TSurface {
    float S1x = 0, S2x = 0, S1y = 0, S2y = 0;
};

constexpr float RidgeHeight = 0.5f, RidgeFalloff = 0.75f;
constexpr float Ambient = 0.25f, Diffuse = 0.85f;
// The light comes from the upper left, mostly from the front.
constexpr float LightX = -0.09759f, LightY = -0.19518f, LightZ = 0.9759f;

// Adds a parabolic ridge of height h over [a, b) on one axis.
void AddRidge(float a, float b, float h, float& s1, float& s2) {
    s1 += 4 * h * (b + a) / (b - a);
    s2 -= 4 * h / (b - a);
}

TSurface Cushion(const TSurface& parent, const TTreemapTile& t) {
    TSurface s = parent;
    const float h = RidgeHeight * std::pow(RidgeFalloff, float(t.Depth()));
    AddRidge(float(t.X), float(t.X + t.W), h, s.S1x, s.S2x);
    AddRidge(float(t.Y), float(t.Y + t.H), h, s.S1y, s.S2y);
    return s;
}

QRgb Scaled(std::uint32_t colour, float intensity) {
    const auto channel = [intensity](std::uint32_t c) {
        return std::min(255, int(float(c) * intensity + 0.5f));
    };
    return qRgb(channel(colour >> 16 & 0xFF), channel(colour >> 8 & 0xFF), channel(colour & 0xFF));
}

void FillFlat(QImage& image, const TTreemapTile& t, std::uint32_t colour) {
    const QRgb pixel = 0xFF000000 | colour;
    for (int y = t.Y; y < t.Y + t.H; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        std::fill(line + t.X, line + t.X + t.W, pixel);
    }
}

bool IsSet(const std::atomic<bool>* flag) {
    return flag && flag->load(std::memory_order_relaxed);
}

// A big cushion costs milliseconds, so a cancel request is looked at on every row.
void FillCushion(QImage& image, const TTreemapTile& t, const TSurface& s, std::uint32_t colour,
                 const std::atomic<bool>* cancel) {
    for (int y = t.Y; y < t.Y + t.H && !IsSet(cancel); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        const float ny = -(2 * s.S2y * (float(y) + 0.5f) + s.S1y);
        for (int x = t.X; x < t.X + t.W; ++x) {
            const float nx = -(2 * s.S2x * (float(x) + 0.5f) + s.S1x);
            const float cosine =
                (nx * LightX + ny * LightY + LightZ) / std::sqrt(nx * nx + ny * ny + 1);
            line[x] = Scaled(colour, Ambient + Diffuse * std::max(0.0f, cosine));
        }
    }
}

void DrawFrame(QImage& image, const TTreemapTile& t, std::uint32_t colour) {
    FillFlat(image, {t.X, t.Y, t.W, 1, 0, 0}, colour);
    FillFlat(image, {t.X, std::uint16_t(t.Y + t.H - 1), t.W, 1, 0, 0}, colour);
    FillFlat(image, {t.X, t.Y, 1, t.H, 0, 0}, colour);
    FillFlat(image, {std::uint16_t(t.X + t.W - 1), t.Y, 1, t.H, 0, 0}, colour);
}

} // namespace

std::uint32_t TTreemapRender::FileColour(const TDataInfo& file) {
    return file.IsLink() ? LinkColour : TypeColour(file.Ext());
}

std::uint32_t TTreemapRender::TypeColour(std::string_view ext) {
    if (ext.empty())
        return NoExtColour;
    // FNV-1a over the lower-case bytes: fixed by definition, unlike std::hash.
    std::uint32_t hash = 2166136261u;
    for (const char c : ext) {
        const unsigned char b = static_cast<unsigned char>(c);
        hash = (hash ^ (b >= 'A' && b <= 'Z' ? b + 32u : b)) * 16777619u;
    }
    return Palette[hash % Palette.size()];
}

std::uint32_t TTreemapRender::Dimmed(std::uint32_t colour) {
    std::uint32_t out = 0;
    for (int shift = 16; shift >= 0; shift -= 8)
        out |= ((colour >> shift & 0xFF) / 4 + 0x30) << shift;
    return out;
}

// Tiles come in pre-order with their depth, so the surface of each tile's parent is the
// one last stored one level up.
QImage TTreemapRender::Render(const TTreemapLayout& layout, const TTreemapStyle& style,
                              const std::atomic<bool>* cancel) {
    QImage image(layout.Width(), layout.Height(), QImage::Format_RGB32);
    image.fill(QColor(Qt::black));
    std::array<TSurface, TTreemapTile::MaxDepth + 2> surfaces{};
    for (const TTreemapTile& t : layout.Tiles()) {
        if (IsSet(cancel))
            return {};
        const std::uint32_t depth = t.Depth();
        const TSurface& parent = depth ? surfaces[depth - 1] : surfaces.back();
        const TDataInfo& entry = layout.EntryOf(t);
        const bool dim = style.Highlight && !style.Highlight(entry);
        if (!t.IsBlend() && entry.IsFolder()) {
            surfaces[depth] = style.Cushion ? Cushion(parent, t) : TSurface{};
            // A folder's content (children and blended area) covers all but its frame.
            if (TTreemapLayout::HasFrame(t))
                DrawFrame(image, t, dim ? Dimmed(FrameColour) : FrameColour);
            continue;
        }
        const std::uint32_t colour = dim ? Dimmed(t.Colour()) : t.Colour();
        if (style.Cushion)
            FillCushion(image, t, Cushion(parent, t), colour, cancel);
        else
            FillFlat(image, t, colour);
    }
    return IsSet(cancel) ? QImage() : image;
}

} // namespace quorvex
