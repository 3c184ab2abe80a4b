#pragma once

#include "uTreemapLayout.h"

#include <atomic>
#include <cstdint>

namespace quorvex {

class TScanCompare;

/// Colours files by how they changed against a base scan, for a treemap that shows where the
/// disk filled up: new files one clear colour, grown files warm, shrunk files cool, unchanged
/// files grey. A grown file's strength rises with the logarithm of its growth relative to the
/// largest growth below the folder shown, so a few bytes still read as warm next to gigabytes;
/// shrunk files likewise against the largest shrink. Size decides, not the write time: a file
/// rewritten with the same size is grey. Removed entries are not in the current tree, so a
/// treemap of it never draws them.
///
/// Cheap per file: one TScanCompare::DeltaOf and, for a grown or shrunk file, one logarithm.
/// The comparison must outlive the tint and stay unchanged while it is used.
class TGrowthTint {
public:
    static constexpr std::uint32_t AddedColour = 0x35A853;
    static constexpr std::uint32_t SameColour = 0x9A9A9A;
    /// The ends of the two scales: the faintest change, and the largest one shown.
    static constexpr std::uint32_t FaintGrowth = 0xE8B48C, StrongGrowth = 0xD02A1E;
    static constexpr std::uint32_t FaintShrink = 0x9DBFE0, StrongShrink = 0x1F5FB0;

    explicit TGrowthTint(const TScanCompare& compare) : FCompare(compare) {}

    /// Finds the largest growth and shrink among the files below `shown` (itself, for a file),
    /// the top of each scale. False when `cancel` became true on the way.
    bool Measure(const TDataInfo& shown, const std::atomic<bool>* cancel = nullptr);
    std::uint64_t LargestGrowth() const { return FLargestGrowth; }
    std::uint64_t LargestShrink() const { return FLargestShrink; }

    /// 0xRRGGBB of a file of the compared current tree. A change beyond what Measure() found
    /// takes the strong end.
    std::uint32_t Colour(const TDataInfo& file) const;
    /// Colour() for TTreemapLayout::Build(); the tint must outlive the layout's build.
    TTreemapLayout::TColourOf ColourOf() const {
        return [this](const TDataInfo& file) { return Colour(file); };
    }

private:
    const TScanCompare& FCompare;
    std::uint64_t FLargestGrowth = 0, FLargestShrink = 0;
    double FLogGrowth = 0, FLogShrink = 0; // log1p of the two, paid once, not per file
};

} // namespace quorvex
