#include "uTreemapGrowth.h"

#include "uScanCompare.h"

#include <algorithm>
#include <cmath>

namespace quorvex {

namespace {

// The colour a fraction `t` (0 to 1) of the way from `from` to `to`, channel by channel.
std::uint32_t Mix(std::uint32_t from, std::uint32_t to, double t) {
    std::uint32_t out = 0;
    for (int shift = 16; shift >= 0; shift -= 8) {
        const double a = double(from >> shift & 0xFF), b = double(to >> shift & 0xFF);
        out |= std::uint32_t(std::lround(a + (b - a) * t)) << shift;
    }
    return out;
}

// Where `bytes` lies on a log scale whose top is `logTop` (log1p of the largest change).
double Strength(std::uint64_t bytes, double logTop) {
    return logTop > 0 ? std::min(1.0, std::log1p(double(bytes)) / logTop) : 1.0;
}

} // namespace

bool TGrowthTint::Measure(const TDataInfo& shown, const std::atomic<bool>* cancel) {
    FLargestGrowth = FLargestShrink = 0;
    auto* top = const_cast<TDataInfo*>(&shown); // NextInPreOrder only reads
    unsigned steps = 0;
    for (TDataInfo* e = top; e; e = NextInPreOrder(e, top)) {
        // As often as the layout looks, so a newer request is not kept waiting.
        if (++steps % 1024 == 0 && cancel && cancel->load(std::memory_order_relaxed))
            return false;
        if (e->IsFolder())
            continue;
        const TEntryDelta delta = FCompare.DeltaOf(*e);
        if (delta.Change() != EEntryChange::Changed)
            continue;
        const std::int64_t growth = delta.Growth();
        if (growth > 0)
            FLargestGrowth = std::max(FLargestGrowth, std::uint64_t(growth));
        else if (growth < 0)
            FLargestShrink = std::max(FLargestShrink, std::uint64_t(-growth));
    }
    FLogGrowth = std::log1p(double(FLargestGrowth));
    FLogShrink = std::log1p(double(FLargestShrink));
    return true;
}

std::uint32_t TGrowthTint::Colour(const TDataInfo& file) const {
    const TEntryDelta delta = FCompare.DeltaOf(file);
    switch (delta.Change()) {
    case EEntryChange::Same:
        return SameColour;
    case EEntryChange::Added:
        return AddedColour;
    case EEntryChange::Changed:
        break;
    }
    const std::int64_t growth = delta.Growth();
    if (growth > 0)
        return Mix(FaintGrowth, StrongGrowth, Strength(std::uint64_t(growth), FLogGrowth));
    if (growth < 0)
        return Mix(FaintShrink, StrongShrink, Strength(std::uint64_t(-growth), FLogShrink));
    return SameColour;
}

} // namespace quorvex
