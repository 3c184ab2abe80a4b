#pragma once

#include "uDataInfo.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

namespace quorvex {

/// One drawn rectangle of a treemap, in whole pixels. Only what is drawn is stored, so the
/// tile is kept at 16 bytes: a million drawn tiles cost 16 MB whatever the tree's size.
struct TTreemapTile {
    std::uint16_t X = 0, Y = 0, W = 0, H = 0;
    /// The entry, as a distance in units of 8 bytes from the laid-out folder (every entry of
    /// a scan lies in one region of at most 16 GiB, so the distance fits).
    std::int32_t Entry = 0;
    /// 0xRRGGBB in the low 24 bits; bits 24-30 the nesting depth (saturating at MaxDepth);
    /// bit 31 marks a folder's blended area (its entries below one pixel, averaged).
    std::uint32_t Info = 0;

    static constexpr std::uint32_t MaxDepth = 127;
    std::uint32_t Colour() const { return Info & 0xFFFFFF; }
    std::uint32_t Depth() const { return Info >> 24 & MaxDepth; }
    bool IsBlend() const { return Info >> 31; }
    bool Contains(int x, int y) const { return x >= X && x < X + W && y >= Y && y < Y + H; }
};

static_assert(sizeof(TTreemapTile) == 16, "a drawn tile may cost at most 16 bytes");

/// Squarified treemap (Bruls, Huizing and van Wijk 2000) of a folder's subtree, nested by
/// folder. Tiles come in pre-order: a folder, then its blended area (if any), then each
/// child's tiles, children larger first. An entry whose ideal area is at least one pixel gets
/// a tile; the rest of a folder's children share one blended tile tinted with their
/// size-weighted average colour. Built with an explicit stack: any depth works.
class TTreemapLayout {
public:
    /// 0xRRGGBB of a file; called for every file drawn or blended.
    using TColourOf = std::function<std::uint32_t(const TDataInfo&)>;
    static constexpr std::uint32_t FolderColour = 0x707070;
    static constexpr std::uint32_t EmptyColour = 0xB8B8B8;
    static constexpr int MaxSide = 65535;

    /// Lays out `folder` (which must outlive the layout) into width x height pixels, replacing
    /// the previous tiles. Throws std::invalid_argument for a side outside 1..MaxSide. When
    /// `cancel` becomes true the layout stops within a few thousand steps and returns false
    /// with no tiles; true when it completed.
    bool Build(const TDataInfo& folder, int width, int height, const TColourOf& colourOf,
               const std::atomic<bool>* cancel = nullptr);

    const std::vector<TTreemapTile>& Tiles() const { return FTiles; }
    const TDataInfo* Folder() const { return FFolder; }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    /// Bytes held for the tiles.
    std::size_t MemoryBytes() const { return FTiles.capacity() * sizeof(TTreemapTile); }

    const TDataInfo& EntryOf(const TTreemapTile& tile) const;
    /// The innermost tile under the pixel; nullptr outside the picture.
    const TTreemapTile* TileAt(int x, int y) const;
    /// The entry drawn at the pixel (a blended area answers with its folder); nullptr outside.
    const TDataInfo* HitTest(int x, int y) const;

    /// A folder tile this big keeps a one-pixel frame around its content.
    static bool HasFrame(const TTreemapTile& tile) { return tile.W >= 4 && tile.H >= 4; }

private:
    const TDataInfo* FFolder = nullptr;
    int FWidth = 0, FHeight = 0;
    std::vector<TTreemapTile> FTiles;
};

} // namespace quorvex
