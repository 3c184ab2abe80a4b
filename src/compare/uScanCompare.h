#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace quorvex {

class TDataCtrl;
class TDataInfo;

/// A base that cannot be compared with the current scan (another folder's, for one).
struct ECompareError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

/// What a current entry is against the base.
enum class EEntryChange : std::uint8_t {
    Same,    ///< in the base with the same size and write time
    Changed, ///< in the base with another size or write time (a folder: anything below it)
    Added    ///< not in the base, or there as the other kind (a file where a folder was)
};

/// What a row of the changes list is: an entry listed once for the change it stands for.
enum class EChangeKind : std::uint8_t {
    None,    ///< not listed: unchanged, a changed folder that was there, or below an added one
    Added,   ///< the highest entry of an added subtree (a new folder as one item)
    Removed, ///< the highest entry of a removed subtree: a base entry
    Grown,   ///< a file that was there and is larger
    Shrunk   ///< a file that was there and is smaller
};

/// How many entries of one kind the changes list holds, and their growth together.
struct TChangeTotal {
    std::uint64_t Count = 0;
    std::int64_t Bytes = 0;
};

/// One current entry's result, in 8 bytes: one is kept per current entry, for millions.
class TEntryDelta {
public:
    /// The change takes two bits of the growth's 64: growths are held to +-2 EiB, beyond
    /// any file system (only a made-up scan file claims more).
    static constexpr std::int64_t MaxGrowth = (std::int64_t(1) << 61) - 1;

    TEntryDelta() : FBits(0) {}
    TEntryDelta(std::int64_t growth, EEntryChange change)
        : FBits(std::clamp(growth, -MaxGrowth, MaxGrowth) * 4 + std::int64_t(change)) {}
    /// Current Size() minus the base's; an added entry's whole size.
    std::int64_t Growth() const { return FBits >> 2; } // arithmetic: the sign stays
    EEntryChange Change() const { return EEntryChange(FBits & 3); }

private:
    std::int64_t FBits;
};
static_assert(sizeof(TEntryDelta) == 8, "TEntryDelta is paid per current entry");

/// An entry of the largest growths.
struct TGrowthItem {
    const TDataInfo* Entry; ///< a current entry
    std::int64_t Growth;
};

/// The current scan against a base scan of the same folder. Entries are matched by path:
/// per folder, both sides' children are in name order (NameLess), so one linear merge
/// matches them, with no lookup per entry and no recursion. Both trees must stay unchanged
/// while the result is used: it points into them.
///
/// Counting: every entry added or removed counts, files and folders alike; a removed folder
/// counts itself and everything below it. A name that is a file on one side and a folder on
/// the other is one removed and one added entry. A matched entry is changed when its size
/// differs, or its write time where both sides kept one; a folder's size differs whenever
/// anything below it grew or shrank, so its ancestors count as changed too.
///
/// The largest growths answer "what filled the disk": files that are new or grew, and
/// folders that are new (as one item; nothing below a new folder is listed again). A folder
/// that was already there is never listed: its growth is only what its children brought,
/// and listing it would repeat them along the whole chain up to the root.
class TScanCompare {
public:
    static constexpr std::size_t DefaultTopCount = 20;

    /// Compares the trees under current.Root() and base.Root(). Throws ECompareError when
    /// either has no tree, when the roots' paths differ (the base is another folder's), or
    /// when the two do not count the same size (one counts disk usage).
    TScanCompare(const TDataCtrl& current, const TDataCtrl& base,
                 std::size_t topCount = DefaultTopCount);

    /// Throws ECompareError when a base scan of `basePath` is not one of `currentPath`, so a
    /// caller can refuse it before scanning.
    static void CheckSameFolder(const std::string& basePath, const std::string& currentPath);

    /// Current root's size minus the base root's.
    std::int64_t TotalChange() const { return FTotal; }
    std::uint64_t AddedCount() const { return FAdded; }
    std::uint64_t RemovedCount() const { return FRemoved; }
    std::uint64_t ChangedCount() const { return FChanged; }

    /// The result of a current entry (of the tree compared). Each folder's children have one
    /// block of results, found by a binary search over the folders: no map per entry.
    TEntryDelta DeltaOf(const TDataInfo& current) const;
    /// The base entries that are not in the current scan, the highest of each removed
    /// subtree only (its descendants are counted, not listed), in base pre-order.
    const std::vector<const TDataInfo*>& RemovedTops() const { return FRemovedTops; }
    /// The removed tops whose base parent is `folder`'s match: a view's ghost rows below a
    /// current folder, in name order.
    std::span<const TDataInfo* const> RemovedIn(const TDataInfo& folder) const;
    /// The current folder a removed top was in; nullptr for any entry that is not a removed
    /// top, so this also tells a ghost row from a current one.
    const TDataInfo* GhostParent(const TDataInfo& entry) const;

    /// The changes list: added tops, grown and shrunk files (current pre-order), then the
    /// removed tops (base pre-order). Made by one walk on each call.
    std::vector<const TDataInfo*> Changes() const;
    /// What `entry` (a current entry or a removed top) stands for in the changes list.
    EChangeKind KindOf(const TDataInfo& entry) const;
    /// Size growth of a current entry, or of a removed top (minus its size).
    std::int64_t GrowthOf(const TDataInfo& entry) const;
    /// The totals of one kind of the changes list; None gives nothing.
    TChangeTotal Total(EChangeKind kind) const { return FTotals[std::size_t(kind)]; }
    /// Up to topCount entries with the largest positive growth, largest first; equal
    /// growths keep pre-order.
    const std::vector<TGrowthItem>& LargestGrowths() const { return FTop; }

private:
    struct TCandidate {
        std::int64_t Growth;
        std::size_t Order;
        const TDataInfo* Entry;
    };
    struct TFrame;

    void Merge(const TDataInfo& current, const TDataInfo& base);
    void MatchPair(const TDataInfo& current, const TDataInfo& base, std::size_t slot,
                   std::vector<TFrame>& stack);
    void AddSubtree(const TDataInfo& top, std::size_t slot);
    void RemoveSubtree(const TDataInfo& top, const TDataInfo& currentParent);
    std::uint32_t ReserveChildren(const TDataInfo& folder);
    void Tally(EChangeKind kind, std::int64_t growth);
    void Offer(const TDataInfo& entry, std::int64_t growth);
    void FinishTop();
    void FinishLookups();
    static bool Better(const TCandidate& a, const TCandidate& b);

    using TPointerPair = std::pair<const TDataInfo*, const TDataInfo*>;

    std::vector<TEntryDelta> FDeltas; // the root's, then one block per folder's children
    // Where each current folder's block starts, sorted by folder for the lookup.
    std::vector<std::pair<const TDataInfo*, std::uint32_t>> FBlocks;
    std::vector<const TDataInfo*> FRemovedTops;
    std::vector<const TDataInfo*> FGhostParents, FGhosts; // by current parent, stable
    std::vector<TPointerPair> FGhostByTop;                // (top, current parent) by top
    TChangeTotal FTotals[5];
    const TDataInfo* FRoot = nullptr;
    std::size_t FVisited = 0;      // current entries seen so far: the pre-order position
    std::vector<TCandidate> FHeap; // min-heap of the best candidates so far
    std::vector<TGrowthItem> FTop;
    std::size_t FTopCount;
    std::int64_t FTotal = 0;
    std::uint64_t FAdded = 0, FRemoved = 0, FChanged = 0;
};

/// a - b, held to the int64 range instead of wrapping (a hostile scan file can claim any
/// size).
std::int64_t SizeDifference(std::uint64_t a, std::uint64_t b);

} // namespace quorvex
