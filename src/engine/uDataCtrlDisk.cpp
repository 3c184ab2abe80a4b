// Disk usage beside the apparent size. Every entry keeps both: Size() the one counted; a
// folder's other total and a file's unusual allocated size 8 bytes after its name, a file's
// usual allocated size as a code. Switching swaps them in one walk, and every total, group
// and sum follows without a second code path.
#include "uDataCtrl.h"

#include <algorithm>
#include <tuple>
#include <unordered_map>

namespace quorvex {

std::uint64_t TDataCtrl::OtherSize(const TDataInfo& entry) const {
    return entry.CountsDiskUsage() ? entry.ApparentSize() : entry.DiskSize();
}

void TDataCtrl::SetOtherSize(TDataInfo& folder, std::uint64_t value) {
    folder.SetTail(value);
}

void TDataCtrl::SwapSizes(TDataInfo& entry) {
    // Most files derive their allocated size from a code: only the mark changes.
    if (entry.HasTail()) {
        const std::uint64_t other = entry.Tail();
        entry.SetTail(entry.FSize);
        entry.FSize = other;
    }
    entry.FTimeHigh ^= TDataInfo::DiskModeBit;
}

std::uint64_t TDataCtrl::ApparentSize(const TDataInfo& entry) const {
    return entry.ApparentSize();
}

std::uint64_t TDataCtrl::DiskSize(const TDataInfo& entry) const {
    return entry.DiskSize();
}

const THardLink* TDataCtrl::HardLink(const TDataInfo& entry) const {
    return entry.IsHardLinked() ? FExtras.Link(&entry) : nullptr;
}

void TDataCtrl::SetCountDiskUsage(bool diskUsage) {
    if (diskUsage == FDiskUsage)
        return;
    FDiskUsage = diskUsage;
    if (!FRoot)
        return;
    const std::int64_t now = FNow();
    for (TDataInfo* e = FRoot; e; e = NextInPreOrder(e, FRoot)) {
        SwapSizes(*e);
        ClassifyEntry(*e, now);
    }
    SetCurrentRoot(FCurrentRoot);
}

void TDataCtrl::CountAsSet(TDataInfo& top) {
    if (!FDiskUsage)
        return;
    const std::int64_t now = FNow();
    for (TDataInfo* e = &top; e; e = NextInPreOrder(e, &top)) {
        SwapSizes(*e);
        ClassifyEntry(*e, now);
    }
}

void TDataCtrl::SetCountedDisk(TDataInfo& entry, std::uint64_t bytes) {
    if (!entry.IsFolder() && !entry.HasTail()) {
        // The code keeps the allocated size; a later link only says it counts nothing.
        const std::uint32_t bits = entry.FileBits() & ~TDataInfo::ElsewhereBit;
        entry.SetFileBits(bytes ? bits : bits | TDataInfo::ElsewhereBit);
    } else if (entry.CountsDiskUsage()) {
        entry.FSize = bytes;
    } else {
        entry.SetTail(bytes);
    }
}

bool TDataCtrl::ApplyHardLinks() {
    if (!FRoot || FExtras.Links().empty())
        return false;
    // du counts an inode at the first link it meets; here that is the first in pre-order,
    // the same for every thread count and every scan of the same tree.
    struct TSeen {
        std::uint64_t Dev, Ino, Order;
        TDataInfo* Entry;
    };
    std::vector<TSeen> seen;
    seen.reserve(FExtras.Links().size());
    std::uint64_t order = 0;
    for (TDataInfo* e = FRoot; e; e = NextInPreOrder(e, FRoot), ++order)
        if (const THardLink* link = HardLink(*e))
            seen.push_back({link->Dev, link->Ino, order, e});
    std::sort(seen.begin(), seen.end(), [](const TSeen& a, const TSeen& b) {
        return std::tie(a.Dev, a.Ino, a.Order) < std::tie(b.Dev, b.Ino, b.Order);
    });
    bool changed = false;
    const std::int64_t now = FNow();
    for (std::size_t i = 0; i < seen.size(); ++i) {
        const bool first =
            i == 0 || seen[i - 1].Dev != seen[i].Dev || seen[i - 1].Ino != seen[i].Ino;
        TDataInfo& entry = *seen[i].Entry;
        const THardLink& link = *FExtras.Link(&entry);
        const std::uint64_t wanted = first && !link.CountedElsewhere ? link.DiskBytes : 0;
        const auto delta = std::int64_t(wanted) - std::int64_t(DiskSize(entry));
        if (!delta)
            continue;
        changed = true;
        SetCountedDisk(entry, wanted);
        for (TDataInfo* up = entry.Parent(); up; up = up->Parent())
            SetCountedDisk(*up, std::uint64_t(std::int64_t(up->DiskSize()) + delta));
        if (entry.CountsDiskUsage())
            for (TDataInfo* up = &entry; up; up = up->Parent())
                ClassifyEntry(*up, now);
    }
    return changed;
}

void TDataCtrl::ForgetExtrasBelow(const TDataInfo& top) {
    auto* start = const_cast<TDataInfo*>(&top);
    for (TDataInfo* e = start; e; e = NextInPreOrder(e, start))
        if (e->IsHardLinked())
            FExtras.Forget(e);
}

} // namespace quorvex
