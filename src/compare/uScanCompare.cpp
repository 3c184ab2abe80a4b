#include "uScanCompare.h"

#include "uDataCtrl.h"
#include "uFolderReader.h"

#include <algorithm>
#include <limits>

namespace quorvex {

// Two children lists being merged: the cursors say how far each side is matched; the
// current children's results go to the block at Start.
struct TScanCompare::TFrame {
    const TDataInfo* Folder; // the current folder whose children are merged
    TDataList Current, Base;
    std::uint32_t Start;
    std::uint32_t I = 0, J = 0;
};

std::int64_t SizeDifference(std::uint64_t a, std::uint64_t b) {
    constexpr auto max = std::uint64_t(std::numeric_limits<std::int64_t>::max());
    if (a >= b)
        return std::int64_t(std::min(a - b, max));
    return b - a > max ? std::numeric_limits<std::int64_t>::min() : -std::int64_t(b - a);
}

namespace {

void CheckComparable(const TDataCtrl& current, const TDataCtrl& base) {
    if (!current.Root() || !base.Root())
        throw ECompareError("there is no scan to compare");
    TScanCompare::CheckSameFolder(base.Root()->FullPath(), current.Root()->FullPath());
    if (current.CountsDiskUsage() != base.CountsDiskUsage())
        throw ECompareError("the scans do not count the same sizes (disk usage)");
}

bool WriteTimeDiffers(const TDataInfo& a, const TDataInfo& b) {
    return a.HasWriteTime() && b.HasWriteTime() && a.WriteSeconds() != b.WriteSeconds();
}

// The entry after `entry`'s subtree in a pre-order walk of `top`'s; nullptr after the last.
TDataInfo* NextAfterSubtree(TDataInfo* entry, const TDataInfo* top) {
    for (; entry != top; entry = entry->Parent())
        if (entry + 1 != entry->Parent()->Children().end())
            return entry + 1;
    return nullptr;
}

} // namespace

void TScanCompare::CheckSameFolder(const std::string& basePath, const std::string& currentPath) {
    if (basePath != currentPath)
        throw ECompareError("the saved scan is of '" + basePath + "', not of '" + currentPath +
                            "'");
}

TScanCompare::TScanCompare(const TDataCtrl& current, const TDataCtrl& base, std::size_t topCount)
    : FTopCount(topCount) {
    CheckComparable(current, base);
    FRoot = current.Root();
    FDeltas.reserve(current.EntryCount());
    Merge(*current.Root(), *base.Root());
    FinishTop();
    FinishLookups();
}

void TScanCompare::Merge(const TDataInfo& current, const TDataInfo& base) {
    FTotal = SizeDifference(current.Size(), base.Size());
    std::vector<TFrame> stack; // one frame per folder level: trees can be deeper than the stack
    FDeltas.emplace_back();
    MatchPair(current, base, 0, stack);
    while (!stack.empty()) {
        TFrame& f = stack.back();
        const bool moreCurrent = f.I < f.Current.Count(), moreBase = f.J < f.Base.Count();
        if (!moreCurrent && !moreBase) {
            stack.pop_back();
            continue;
        }
        const TDataInfo* now = moreCurrent ? f.Current.begin() + f.I : nullptr;
        const TDataInfo* then = moreBase ? f.Base.begin() + f.J : nullptr;
        const std::size_t slot = std::size_t(f.Start) + f.I;
        if (now && (!then || NameLess(now->Name(), then->Name()))) {
            ++f.I;
            AddSubtree(*now, slot);
        } else if (!now || now->Name() != then->Name()) {
            ++f.J;
            RemoveSubtree(*then, *f.Folder);
        } else {
            ++f.I;
            ++f.J;
            MatchPair(*now, *then, slot, stack); // may grow the stack: `f` is not used after
        }
    }
}

// Entries of the same name: one match, or a removed and an added entry when the kind differs.
void TScanCompare::MatchPair(const TDataInfo& current, const TDataInfo& base, std::size_t slot,
                             std::vector<TFrame>& stack) {
    if (bool(current.IsFolder()) != bool(base.IsFolder())) {
        RemoveSubtree(base, current.Parent() ? *current.Parent() : current);
        AddSubtree(current, slot);
        return;
    }
    const std::int64_t growth = SizeDifference(current.Size(), base.Size());
    const bool changed = growth != 0 || WriteTimeDiffers(current, base);
    if (!current.IsFolder()) {
        Offer(current, growth);
        if (growth != 0)
            Tally(growth > 0 ? EChangeKind::Grown : EChangeKind::Shrunk, growth);
    }
    ++FVisited;
    FDeltas[slot] = {growth, changed ? EEntryChange::Changed : EEntryChange::Same};
    FChanged += changed;
    if (current.IsFolder())
        stack.push_back({&current, current.Children(), base.Children(), ReserveChildren(current)});
}

// A block of results for a folder's children, filled as they are visited.
std::uint32_t TScanCompare::ReserveChildren(const TDataInfo& folder) {
    const auto start = std::uint32_t(FDeltas.size());
    const std::uint32_t count = folder.Children().Count();
    if (count > 0) {
        FBlocks.emplace_back(&folder, start);
        FDeltas.resize(FDeltas.size() + count);
    }
    return start;
}

void TScanCompare::AddSubtree(const TDataInfo& top, std::size_t slot) {
    const std::int64_t size = SizeDifference(top.Size(), 0);
    Offer(top, size);
    Tally(EChangeKind::Added, size);
    struct TLevel {
        TDataList List;
        std::uint32_t Start, I = 0;
    };
    std::vector<TLevel> stack;
    const TDataInfo* entry = &top;
    for (;;) {
        FDeltas[slot] = {SizeDifference(entry->Size(), 0), EEntryChange::Added};
        ++FAdded;
        ++FVisited;
        if (entry->IsFolder() && entry->Children().Count() > 0)
            stack.push_back({entry->Children(), ReserveChildren(*entry)});
        while (!stack.empty() && stack.back().I == stack.back().List.Count())
            stack.pop_back();
        if (stack.empty())
            return;
        TLevel& level = stack.back();
        slot = std::size_t(level.Start) + level.I;
        entry = level.List.begin() + level.I++;
    }
}

void TScanCompare::RemoveSubtree(const TDataInfo& top, const TDataInfo& currentParent) {
    FRemovedTops.push_back(&top);
    FGhostParents.push_back(&currentParent);
    Tally(EChangeKind::Removed, SizeDifference(0, top.Size()));
    auto* entry = const_cast<TDataInfo*>(&top); // NextInPreOrder only reads
    for (; entry; entry = NextInPreOrder(entry, &top))
        ++FRemoved;
}

void TScanCompare::Tally(EChangeKind kind, std::int64_t growth) {
    TChangeTotal& total = FTotals[std::size_t(kind)];
    ++total.Count;
    if (__builtin_add_overflow(total.Bytes, growth, &total.Bytes)) // held, not wrapped
        total.Bytes = growth > 0 ? std::numeric_limits<std::int64_t>::max()
                                 : std::numeric_limits<std::int64_t>::min();
}

// Keeps the topCount best in a min-heap, so a million growing files cost no sort.
void TScanCompare::Offer(const TDataInfo& entry, std::int64_t growth) {
    if (growth <= 0 || FTopCount == 0)
        return;
    // With `Better` as the heap's order, the front is the weakest of those kept.
    const TCandidate candidate{growth, FVisited, &entry}; // its pre-order position
    if (FHeap.size() == FTopCount) {
        if (!Better(candidate, FHeap.front()))
            return;
        std::pop_heap(FHeap.begin(), FHeap.end(), Better);
        FHeap.back() = candidate;
    } else {
        FHeap.push_back(candidate);
    }
    std::push_heap(FHeap.begin(), FHeap.end(), Better);
}

// Larger growth first; of equal ones, the earlier in pre-order.
bool TScanCompare::Better(const TCandidate& a, const TCandidate& b) {
    return a.Growth != b.Growth ? a.Growth > b.Growth : a.Order < b.Order;
}

void TScanCompare::FinishTop() {
    std::sort(FHeap.begin(), FHeap.end(), Better);
    for (const TCandidate& c : FHeap)
        FTop.push_back({c.Entry, c.Growth});
    FHeap = {};
}

void TScanCompare::FinishLookups() {
    std::sort(FBlocks.begin(), FBlocks.end());
    std::vector<std::size_t> order(FRemovedTops.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return FGhostParents[a] < FGhostParents[b];
    });
    std::vector<const TDataInfo*> parents;
    parents.reserve(order.size());
    FGhosts.reserve(order.size());
    FGhostByTop.reserve(order.size());
    for (const std::size_t i : order) {
        parents.push_back(FGhostParents[i]);
        FGhosts.push_back(FRemovedTops[i]);
        FGhostByTop.emplace_back(FRemovedTops[i], FGhostParents[i]);
    }
    FGhostParents = std::move(parents);
    std::sort(FGhostByTop.begin(), FGhostByTop.end());
}

TEntryDelta TScanCompare::DeltaOf(const TDataInfo& current) const {
    const TDataInfo* parent = current.Parent();
    if (!parent)
        return FDeltas.front();
    const auto it = std::lower_bound(FBlocks.begin(), FBlocks.end(),
                                     std::pair<const TDataInfo*, std::uint32_t>(parent, 0));
    if (it == FBlocks.end() || it->first != parent)
        return {};
    return FDeltas[std::size_t(it->second) + current.Row()];
}

std::span<const TDataInfo* const> TScanCompare::RemovedIn(const TDataInfo& folder) const {
    const auto [first, last] =
        std::equal_range(FGhostParents.begin(), FGhostParents.end(), &folder);
    return {FGhosts.data() + (first - FGhostParents.begin()), std::size_t(last - first)};
}

const TDataInfo* TScanCompare::GhostParent(const TDataInfo& entry) const {
    const auto it =
        std::lower_bound(FGhostByTop.begin(), FGhostByTop.end(), TPointerPair(&entry, nullptr));
    return it != FGhostByTop.end() && it->first == &entry ? it->second : nullptr;
}

EChangeKind TScanCompare::KindOf(const TDataInfo& entry) const {
    if (GhostParent(entry))
        return EChangeKind::Removed;
    const TEntryDelta delta = DeltaOf(entry);
    if (delta.Change() == EEntryChange::Added) {
        const TDataInfo* parent = entry.Parent();
        return parent && DeltaOf(*parent).Change() == EEntryChange::Added ? EChangeKind::None
                                                                          : EChangeKind::Added;
    }
    if (entry.IsFolder() || delta.Growth() == 0)
        return EChangeKind::None;
    return delta.Growth() > 0 ? EChangeKind::Grown : EChangeKind::Shrunk;
}

std::int64_t TScanCompare::GrowthOf(const TDataInfo& entry) const {
    return GhostParent(entry) ? SizeDifference(0, entry.Size()) : DeltaOf(entry).Growth();
}

std::vector<const TDataInfo*> TScanCompare::Changes() const {
    std::vector<const TDataInfo*> list;
    const TDataInfo* root = FRoot;
    auto* entry = const_cast<TDataInfo*>(root); // NextInPreOrder only reads
    while (entry) {
        const TEntryDelta delta = DeltaOf(*entry);
        if (delta.Change() == EEntryChange::Added && entry != root) {
            list.push_back(entry);
            entry = NextAfterSubtree(entry, root); // its subtree is one item
            continue;
        }
        if (!entry->IsFolder() && delta.Growth() != 0)
            list.push_back(entry);
        entry = NextInPreOrder(entry, root);
    }
    list.insert(list.end(), FRemovedTops.begin(), FRemovedTops.end());
    return list;
}

} // namespace quorvex
