#include "uEntryCheck.h"

#include "uDataInfo.h"
#include "uFolderReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace quorvex {

namespace {

EEntryChange CompareWith(const TDataInfo& entry, const struct statx& st) {
    if (bool(S_ISDIR(st.stx_mode)) != bool(entry.IsFolder()) ||
        S_ISLNK(st.stx_mode) != entry.IsLink())
        return EEntryChange::OtherKind;
    const auto device = makedev(st.stx_dev_major, st.stx_dev_minor);
    if (InodeFingerprintOf(device, st.stx_ino) != entry.InodeFingerprint())
        return EEntryChange::Replaced;
    if (entry.IsFolder())
        return HasBirthTime(st) && st.stx_btime.tv_sec != entry.CreateSeconds()
                   ? EEntryChange::Replaced
                   : EEntryChange::Unchanged;
    if (CreateSeconds(st) != entry.CreateSeconds())
        return EEntryChange::Replaced;
    // The scan counts a size for regular files and links only.
    const std::uint64_t size = S_ISREG(st.stx_mode) || S_ISLNK(st.stx_mode) ? st.stx_size : 0;
    if (size != entry.Size() || st.stx_mtime.tv_sec != entry.WriteSeconds())
        return EEntryChange::Modified;
    return EEntryChange::Unchanged;
}

EEntryChange Examine(const TDataInfo& entry) {
    struct statx st; // filled by the kernel
    constexpr unsigned mask =
        STATX_TYPE | STATX_SIZE | STATX_MTIME | STATX_CTIME | STATX_BTIME | STATX_INO;
    if (statx(AT_FDCWD, entry.FullPath().c_str(), AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, mask,
              &st) != 0)
        return EEntryChange::Vanished;
    return CompareWith(entry, st);
}

} // namespace

EEntryChange ChangeSinceScan(const TDataInfo& entry) {
    if (!entry.HasTimes())
        return EEntryChange::NoScanRecord;
    const EEntryChange own = Examine(entry);
    if (own != EEntryChange::Unchanged)
        return own;
    // The path is resolved through every folder above: one swapped for a link would lead
    // the action elsewhere.
    for (const TDataInfo* up = entry.Parent(); up && up->HasTimes(); up = up->Parent())
        if (Examine(*up) != EEntryChange::Unchanged)
            return EEntryChange::PathReplaced;
    return EEntryChange::Unchanged;
}

const char* EntryChangeText(EEntryChange change) {
    switch (change) {
    case EEntryChange::Unchanged:
        return "unchanged since the scan";
    case EEntryChange::NoScanRecord:
        return "the scan kept no details to check it against";
    case EEntryChange::Vanished:
        return "no longer there";
    case EEntryChange::OtherKind:
        return "replaced by another kind of item since the scan";
    case EEntryChange::Replaced:
        return "replaced by another item of the same name since the scan";
    case EEntryChange::PathReplaced:
        return "a folder on its path was replaced since the scan";
    case EEntryChange::Modified:
        return "changed since the scan";
    }
    return "unknown change";
}

} // namespace quorvex
