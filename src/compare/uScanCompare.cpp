#include "uScanCompare.h"

#include "uDataCtrl.h"
#include "uFolderReader.h"

#include <algorithm>
#include <limits>

namespace quorvex {

// Two children lists being merged: the cursors say how far each side is matched.
struct TScanCompare::TFrame {
    TDataList Current, Base;
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

} // namespace

void TScanCompare::CheckSameFolder(const std::string& basePath, const std::string& currentPath) {
    if (basePath != currentPath)
        throw ECompareError("the saved scan is of '" + basePath + "', not of '" + currentPath +
                            "'");
}

TScanCompare::TScanCompare(const TDataCtrl& current, const TDataCtrl& base, std::size_t topCount)
    : FTopCount(topCount) {
    CheckComparable(current, base);
    FDeltas.reserve(current.EntryCount());
    Merge(*current.Root(), *base.Root());
    FinishTop();
}

void TScanCompare::Merge(const TDataInfo& current, const TDataInfo& base) {
    FTotal = SizeDifference(current.Size(), base.Size());
    std::vector<TFrame> stack; // one frame per folder level: trees can be deeper than the stack
    MatchPair(current, base, stack);
    while (!stack.empty()) {
        TFrame& f = stack.back();
        const bool moreCurrent = f.I < f.Current.Count(), moreBase = f.J < f.Base.Count();
        if (!moreCurrent && !moreBase) {
            stack.pop_back();
            continue;
        }
        const TDataInfo* now = moreCurrent ? f.Current.begin() + f.I : nullptr;
        const TDataInfo* then = moreBase ? f.Base.begin() + f.J : nullptr;
        if (now && (!then || NameLess(now->Name(), then->Name()))) {
            ++f.I;
            AddSubtree(*now);
        } else if (!now || now->Name() != then->Name()) {
            ++f.J;
            RemoveSubtree(*then);
        } else {
            ++f.I;
            ++f.J;
            MatchPair(*now, *then, stack); // may grow the stack: `f` is not used after this
        }
    }
}

// Entries of the same name: one match, or a removed and an added entry when the kind differs.
// A matched folder's children are merged next, so results stay in current pre-order.
void TScanCompare::MatchPair(const TDataInfo& current, const TDataInfo& base,
                             std::vector<TFrame>& stack) {
    if (bool(current.IsFolder()) != bool(base.IsFolder())) {
        RemoveSubtree(base);
        AddSubtree(current);
        return;
    }
    const std::int64_t growth = SizeDifference(current.Size(), base.Size());
    const bool changed = growth != 0 || WriteTimeDiffers(current, base);
    if (!current.IsFolder())
        Offer(current, growth);
    FDeltas.push_back({growth, changed ? EEntryChange::Changed : EEntryChange::Same});
    FChanged += changed;
    if (current.IsFolder())
        stack.push_back({current.Children(), base.Children()});
}

void TScanCompare::AddSubtree(const TDataInfo& top) {
    const std::int64_t size = SizeDifference(top.Size(), 0);
    Offer(top, size);
    auto* entry = const_cast<TDataInfo*>(&top); // NextInPreOrder only reads
    for (; entry; entry = NextInPreOrder(entry, &top)) {
        FDeltas.push_back({SizeDifference(entry->Size(), 0), EEntryChange::Added});
        ++FAdded;
    }
}

void TScanCompare::RemoveSubtree(const TDataInfo& top) {
    FRemovedTops.push_back(&top);
    auto* entry = const_cast<TDataInfo*>(&top);
    for (; entry; entry = NextInPreOrder(entry, &top))
        ++FRemoved;
}

// Keeps the topCount best in a min-heap, so a million growing files cost no sort.
void TScanCompare::Offer(const TDataInfo& entry, std::int64_t growth) {
    if (growth <= 0 || FTopCount == 0)
        return;
    // With `Better` as the heap's order, the front is the weakest of those kept.
    const TCandidate candidate{growth, FDeltas.size(), &entry}; // its pre-order position
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

} // namespace quorvex
