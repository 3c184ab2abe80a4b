#pragma once

#include <cstdint>

struct statx;

namespace quorvex {

class TDataInfo;
class TEntryExtras;

/// The low-level edits of a finished tree that the live updates need: taking one entry out
/// of its parent's block and giving a folder the children of a freshly scanned stand-in.
/// They keep every distance right; sizes above the edited folder, groups, counts and sums
/// are the engine's business (TDataCtrl::RemoveEntries, TDataCtrl::RefreshFolder).
class TTreeEdit {
public:
    /// Entries below `top`, `top` itself not counted. Walks without recursion.
    static std::uint64_t Descendants(const TDataInfo& top);
    /// True when `entry` is `top` or lies below it.
    static bool IsWithin(const TDataInfo* entry, const TDataInfo* top);

    /// Takes `entry` (not the scan root) out of its parent's block: the later siblings move
    /// down one place, with their distances and their children's parent distances fixed,
    /// and the block's count drops; the last child leaves an empty folder. The subtree of
    /// `entry` stays in the region, unreachable, until the next full scan. `tracked`
    /// follows its entry when that is one of the moved siblings, and so do the records of
    /// `extras`.
    static void Unlink(TDataInfo& entry, TDataInfo*& tracked, TEntryExtras& extras);

    /// Gives `folder` the children, sizes and not-scanned state of `standIn`, a folder
    /// entry that was scanned on its own; the old children stay in the region, unreachable.
    static void AdoptChildren(TDataInfo& folder, const TDataInfo& standIn);
    /// Times and inode fingerprint of a folder (not the scan root) from its own statx.
    static void SetFolderStat(TDataInfo& folder, const struct statx& st);

private:
    static void MoveDown(TDataInfo& from, TEntryExtras& extras);
};

} // namespace quorvex
