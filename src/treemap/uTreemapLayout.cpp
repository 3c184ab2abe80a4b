#include "uTreemapLayout.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

namespace quorvex {

namespace {

struct TRect {
    double X, Y, W, H;
};

// A tile waiting to be emitted; a folder's children wait here so that they come out in
// pre-order, after the folder, without recursion.
struct TPending {
    const TDataInfo* Entry;
    int X, Y, W, H;
    std::uint32_t Depth;
};

int Snap(double v) {
    return int(std::floor(v + 0.5));
}

// Worst aspect ratio of a row whose areas lie between `smallest` and `largest`.
double Worst(double largest, double smallest, double sum, double side) {
    const double s2 = side * side, sum2 = sum * sum;
    return std::max(s2 * largest / sum2, sum2 / (s2 * smallest));
}

// A cancel request is looked at every this many steps: often enough to stop within a
// millisecond, rarely enough to cost nothing measurable.
constexpr unsigned CancelCheckSteps = 1024;

// Every file of the subtree of `top` (itself included), without recursion; false when
// cancelled on the way (a blended folder can hold most of the tree).
template <typename F>
bool ForEachFile(const TDataInfo& top, const std::atomic<bool>* cancel, F&& visit) {
    if (!top.IsFolder()) {
        visit(top);
        return true;
    }
    auto* root = const_cast<TDataInfo*>(&top);
    unsigned steps = 0;
    for (TDataInfo* e = root; e; e = NextInPreOrder(e, root)) {
        if (++steps % CancelCheckSteps == 0 && cancel && cancel->load(std::memory_order_relaxed))
            return false;
        if (!e->IsFolder())
            visit(*e);
    }
    return true;
}

// Size-weighted average of 0xRRGGBB colours.
class TColourMean {
public:
    void Add(std::uint32_t colour, double weight) {
        FSum[0] += weight * double(colour >> 16 & 0xFF);
        FSum[1] += weight * double(colour >> 8 & 0xFF);
        FSum[2] += weight * double(colour & 0xFF);
        FWeight += weight;
    }
    bool Empty() const { return FWeight <= 0; }
    std::uint32_t Mean() const {
        std::uint32_t c = 0;
        for (const double s : FSum)
            c = c << 8 | std::uint32_t(std::clamp(std::lround(s / FWeight), 0L, 255L));
        return c;
    }

private:
    double FSum[3] = {0, 0, 0};
    double FWeight = 0;
};

class TBuilder {
public:
    TBuilder(const TDataInfo& root, const TTreemapLayout::TColourOf& colourOf,
             std::vector<TTreemapTile>& tiles, const std::atomic<bool>* cancel)
        : FRoot(root), FColourOf(colourOf), FTiles(tiles), FCancel(cancel) {}

    // False when cancelled.
    bool Run(int width, int height) {
        FStack.push_back({&FRoot, 0, 0, width, height, 0});
        while (!FStack.empty()) {
            if (Cancelled())
                return false;
            const TPending item = FStack.back();
            FStack.pop_back();
            Emit(item, false,
                 item.Entry->IsFolder() ? TTreemapLayout::FolderColour : FColourOf(*item.Entry));
            if (item.Entry->IsFolder())
                LayOutFolder(item);
        }
        return !Cancelled();
    }

private:
    void Emit(const TPending& p, bool blend, std::uint32_t colour) {
        const std::uint32_t depth = std::min(p.Depth, TTreemapTile::MaxDepth);
        const auto distance =
            (reinterpret_cast<const char*>(p.Entry) - reinterpret_cast<const char*>(&FRoot)) / 8;
        FTiles.push_back({std::uint16_t(p.X), std::uint16_t(p.Y), std::uint16_t(p.W),
                          std::uint16_t(p.H), std::int32_t(distance),
                          colour | depth << 24 | std::uint32_t(blend) << 31});
    }

    bool Cancelled() const { return FCancel && FCancel->load(std::memory_order_relaxed); }
    void LayOutFolder(const TPending& folder);
    void Squarify(TRect& r, double scale, bool restEmpty, std::uint32_t depth);
    void PlaceRow(std::size_t from, std::size_t to, double sum, TRect& r, double scale, bool last,
                  std::uint32_t depth);

    const TDataInfo& FRoot;
    const TTreemapLayout::TColourOf& FColourOf;
    std::vector<TTreemapTile>& FTiles;
    const std::atomic<bool>* FCancel;
    std::vector<TPending> FStack;
    std::vector<const TDataInfo*> FBig; // the current folder's children of a pixel or more
    std::vector<TPending> FPlaced;      // their tiles, in layout order
};

void TBuilder::LayOutFolder(const TPending& folder) {
    const TTreemapTile& own = FTiles.back();
    const int frame = TTreemapLayout::HasFrame(own) ? 1 : 0;
    TPending inner{folder.Entry,         folder.X + frame,     folder.Y + frame,
                   folder.W - 2 * frame, folder.H - 2 * frame, folder.Depth + 1};
    std::uint64_t total = 0;
    for (const TDataInfo& child : folder.Entry->Children())
        total += child.Size();
    if (total == 0) {
        Emit(inner, true, TTreemapLayout::EmptyColour);
        return;
    }
    const double scale = double(inner.W) * double(inner.H) / double(total);
    FBig.clear();
    TColourMean rest;
    for (const TDataInfo& child : folder.Entry->Children()) {
        if (double(child.Size()) * scale >= 1.0)
            FBig.push_back(&child);
        else if (child.Size() > 0 && !ForEachFile(child, FCancel, [&](const TDataInfo& f) {
                     rest.Add(FColourOf(f), double(f.Size()));
                 }))
            return; // Run() sees the cancel next
    }
    std::sort(FBig.begin(), FBig.end(), [](const TDataInfo* a, const TDataInfo* b) {
        return a->Size() != b->Size() ? a->Size() > b->Size() : a < b;
    });
    TRect r{double(inner.X), double(inner.Y), double(inner.W), double(inner.H)};
    FPlaced.clear();
    Squarify(r, scale, rest.Empty(), inner.Depth);
    if (!rest.Empty()) {
        const int x0 = Snap(r.X), y0 = Snap(r.Y), x1 = Snap(r.X + r.W), y1 = Snap(r.Y + r.H);
        if (x1 > x0 && y1 > y0)
            Emit({folder.Entry, x0, y0, x1 - x0, y1 - y0, inner.Depth}, true, rest.Mean());
    }
    FStack.insert(FStack.end(), FPlaced.rbegin(), FPlaced.rend());
}

// Rows of children along the shorter side, each grown while its worst aspect ratio improves;
// `r` ends as the space left for the blended rest.
void TBuilder::Squarify(TRect& r, double scale, bool restEmpty, std::uint32_t depth) {
    const std::size_t n = FBig.size();
    const auto area = [&](std::size_t k) { return double(FBig[k]->Size()) * scale; };
    for (std::size_t i = 0; i < n;) {
        const double side = std::min(r.W, r.H);
        double sum = area(i);
        double worst = Worst(sum, sum, sum, side);
        std::size_t j = i + 1;
        for (; j < n; ++j) {
            const double grown = Worst(area(i), area(j), sum + area(j), side);
            if (grown > worst)
                break;
            sum += area(j);
            worst = grown;
        }
        // What follows a row gets the strip the row leaves; when that strip is thinner than
        // a pixel its entries would round away, so they join this row instead.
        const double left = r.W >= r.H ? r.W - sum / r.H : r.H - sum / r.W;
        for (; left < 1.0 && j < n; ++j)
            sum += area(j);
        PlaceRow(i, j, sum, r, scale, j == n && restEmpty, depth);
        i = j;
    }
}

// Places FBig[from, to) as one row along the shorter side of `r` and cuts it off `r`. The
// last row takes all that is left, so rounding never leaves a sliver uncovered.
void TBuilder::PlaceRow(std::size_t from, std::size_t to, double sum, TRect& r, double scale,
                        bool last, std::uint32_t depth) {
    const bool column = r.W >= r.H;
    const double length = column ? r.H : r.W;
    const double thickness = last ? (column ? r.W : r.H) : sum / length;
    const double across = column ? r.X : r.Y;
    const int across0 = Snap(across), across1 = Snap(across + thickness);
    // Edges are rounded, not sizes: neighbours share an edge exactly, so tiles neither
    // overlap nor leave gaps. Along the row each entry keeps at least one pixel while the
    // row has room, so a thick row cannot round a small entry away.
    double at = column ? r.Y : r.X;
    int edge = Snap(at);
    const int endEdge = Snap(at + length);
    for (std::size_t k = from; k < to; ++k) {
        at += double(FBig[k]->Size()) * scale / thickness;
        const int room = endEdge - int(to - k - 1);
        const int next =
            k + 1 == to ? endEdge : std::max(edge, std::min(std::max(Snap(at), edge + 1), room));
        if (next > edge && across1 > across0)
            FPlaced.push_back(
                column ? TPending{FBig[k], across0, edge, across1 - across0, next - edge, depth}
                       : TPending{FBig[k], edge, across0, next - edge, across1 - across0, depth});
        edge = next;
    }
    if (column) {
        r.X += thickness;
        r.W -= thickness;
    } else {
        r.Y += thickness;
        r.H -= thickness;
    }
}

} // namespace

bool TTreemapLayout::Build(const TDataInfo& folder, int width, int height,
                           const TColourOf& colourOf, const std::atomic<bool>* cancel) {
    if (width < 1 || height < 1 || width > MaxSide || height > MaxSide)
        throw std::invalid_argument("treemap size " + std::to_string(width) + "x" +
                                    std::to_string(height) + " is outside 1x1 to 65535x65535");
    FFolder = &folder;
    FWidth = width;
    FHeight = height;
    FTiles.clear();
    const bool done = TBuilder(folder, colourOf, FTiles, cancel).Run(width, height);
    if (!done)
        FTiles.clear();
    // Growth doubles the capacity; the budget per drawn tile counts what is kept.
    FTiles.shrink_to_fit();
    return done;
}

const TDataInfo& TTreemapLayout::EntryOf(const TTreemapTile& tile) const {
    return *reinterpret_cast<const TDataInfo*>(reinterpret_cast<const char*>(FFolder) +
                                               std::ptrdiff_t(tile.Entry) * 8);
}

// Tiles are in pre-order, so the last tile containing the pixel is the innermost one.
const TTreemapTile* TTreemapLayout::TileAt(int x, int y) const {
    for (auto it = FTiles.rbegin(); it != FTiles.rend(); ++it)
        if (it->Contains(x, y))
            return &*it;
    return nullptr;
}

const TDataInfo* TTreemapLayout::HitTest(int x, int y) const {
    const TTreemapTile* tile = TileAt(x, y);
    return tile ? &EntryOf(*tile) : nullptr;
}

} // namespace quorvex
