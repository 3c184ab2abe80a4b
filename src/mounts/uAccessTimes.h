#pragma once

#include <string>

namespace quorvex {

/// How a volume keeps the access times of its files, after its mount options.
enum class EAccessTimes {
    Strict,   ///< updated on every access (strictatime)
    Relative, ///< updated at most once a day, or when older than the write time (relatime)
    Never,    ///< never updated (noatime)
    Unknown   ///< the options could not be read, or the tree did not come from a disk
};

/// The rule of the volume that holds `folder`, from its mount flags (statvfs). Directory
/// rules (nodiratime) are left aside: the access-time reports list files only.
EAccessTimes AccessTimesOf(const std::string& folder);

/// The rule in the mount flags `flags` (statvfs f_flag).
EAccessTimes AccessTimesOfFlags(unsigned long flags);

/// One sentence for the user: how far access times can be trusted under `rule`.
std::string AccessTimesNote(EAccessTimes rule);

} // namespace quorvex
