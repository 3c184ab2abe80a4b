#include "uTreeEdit.h"

#include "uDataInfo.h"
#include "uEntryArena.h"
#include "uEntryExtras.h"
#include "uFolderReader.h"

#include <cstring>
#include <new>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace quorvex {

namespace {

static_assert(sizeof(TDataInfo) % 8 == 0, "entries move by whole distance units");
// One place down in a block, in the units of parent and children distances.
constexpr std::int32_t SlotUnits = std::int32_t(sizeof(TDataInfo) / 8);

} // namespace

std::uint64_t TTreeEdit::Descendants(const TDataInfo& top) {
    std::uint64_t count = 0;
    auto* start = const_cast<TDataInfo*>(&top);
    for (TDataInfo* e = NextInPreOrder(start, start); e; e = NextInPreOrder(e, start))
        ++count;
    return count;
}

bool TTreeEdit::IsWithin(const TDataInfo* entry, const TDataInfo* top) {
    for (; entry; entry = entry->Parent())
        if (entry == top)
            return true;
    return false;
}

void TTreeEdit::MoveDown(TDataInfo& from, TEntryExtras& extras) {
    TDataInfo* to = &from - 1;
    if (from.IsHardLinked())
        extras.Moved(&from, to);
    // Entries forbid copying because a copy's distances point elsewhere; this one's are
    // corrected at once: parent, children and name stay where they are.
    std::memcpy(static_cast<void*>(to), static_cast<const void*>(&from), sizeof(TDataInfo));
    to->FParent += SlotUnits;
    if (to->FName)
        to->FName += std::int32_t(sizeof(TDataInfo));
    if (!to->IsFolder() || !to->FChildren)
        return; // a file's FChildren holds its own bits
    to->FChildren += SlotUnits;
    for (TDataInfo& child : to->Children())
        child.SetParent(*to);
}

void TTreeEdit::Unlink(TDataInfo& entry, TDataInfo*& tracked, TEntryExtras& extras) {
    TDataInfo& parent = *entry.Parent();
    TDataInfo* first = parent.FirstChild();
    const std::uint32_t count = TEntryArena::BlockCount(first);
    TDataInfo* end = first + count;
    for (TDataInfo* from = &entry + 1; from < end; ++from)
        MoveDown(*from, extras);
    new (end - 1) TDataInfo; // no stale distances behind the block's end
    TEntryArena::SetBlockCount(first, count - 1);
    if (count == 1)
        parent.SetChildren(nullptr);
    if (tracked > &entry && tracked < end)
        --tracked;
}

void TTreeEdit::AdoptChildren(TDataInfo& folder, const TDataInfo& standIn) {
    folder.SetChildren(standIn.FirstChild());
    for (TDataInfo& child : folder.Children())
        child.SetParent(folder);
    folder.FSize = standIn.FSize;
    folder.SetTail(standIn.Tail());
    folder.SetFolderBits(standIn.FolderBits());
    folder.FFlags = std::uint8_t((folder.FFlags & ~TDataInfo::ProblemMask) |
                                 (standIn.FFlags & TDataInfo::ProblemMask));
}

void TTreeEdit::SetFolderStat(TDataInfo& folder, const struct statx& st) {
    const std::uint8_t fingerprint =
        InodeFingerprintOf(makedev(st.stx_dev_major, st.stx_dev_minor), st.stx_ino);
    folder.FFlags =
        std::uint8_t((folder.FFlags & ~TDataInfo::FingerprintMask) | TDataInfo::HasTimesFlag |
                     fingerprint << TDataInfo::FingerprintShift);
    folder.SetTime(0, CreateSeconds(st));
    folder.SetTime(1, st.stx_atime.tv_sec);
    folder.SetTime(2, st.stx_mtime.tv_sec);
}

} // namespace quorvex
