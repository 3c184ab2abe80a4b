#pragma once

namespace quorvex {

class TDataInfo;

/// How the item at an entry's path differs from what the scan saw there.
enum class EEntryChange {
    Unchanged,
    NoScanRecord, ///< the scan kept nothing to compare with (the scan root)
    Vanished,     ///< nothing there now, or nothing that can be examined
    OtherKind,    ///< a folder where a file was, or the other way round
    Replaced,     ///< another inode or another create time: a new item of the same name
    Modified,     ///< the same item, but written since: other size or write time
    PathReplaced, ///< a folder above it is no longer the folder the scan entered
};

/// Examines the entry's path now (statx, never following a link) and compares it with what
/// the scan recorded: the kind, three bits of device and inode, the create time where the
/// file system keeps a birth time, and for files the size and write time (whole seconds).
/// A folder's write and change times move whenever its content changes, so a folder is
/// compared by kind, inode bits and birth time only; every scanned folder above the entry is
/// checked the same way. Anything but Unchanged means "leave it". The result holds for the
/// moment of the call: an action right after it narrows the window, it does not close it.
EEntryChange ChangeSinceScan(const TDataInfo& entry);

/// Why an entry is left alone, as a phrase for a message ("changed since the scan").
const char* EntryChangeText(EEntryChange change);

} // namespace quorvex
