#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_set>

struct statx;

namespace quorvex {

/// Decides whether a folder met during a scan lies on another mount than the scanned folder.
/// Mounts are told apart by their mount IDs, not by their sources (every tmpfs has the source
/// "tmpfs", and a bind mount shares its volume's) nor by device numbers alone (the
/// sub-volumes of one btrfs mount have their own, and are entered).
class TVolumeGuard {
public:
    /// `rootFd` is the scanned folder, open. `mountIds` false ignores the kernel's mount IDs
    /// and reads the mount table instead, as on kernels before Linux 5.8.
    explicit TVolumeGuard(int rootFd, bool mountIds = true);

    /// Whether the folder `name` in the open folder `dirFd`, which statx described as `st`
    /// (asked with STATX_MNT_ID), is on another mount.
    bool IsOtherMount(const struct statx& st, int dirFd, const char* name) const;

    /// The mount ID statx gave; 0 when the kernel gave none (before Linux 5.8).
    static std::uint64_t MountIdOf(const struct statx& st);

private:
    std::uint64_t FRootMount = 0;
    // Where the kernel gives no mount IDs: the mount points of /proc/self/mountinfo. Shared
    // by the copies every scanning thread keeps.
    std::shared_ptr<const std::unordered_set<std::string>> FMountPoints;
};

/// The mount points of a /proc/self/mountinfo text, with its octal escapes ("\040") decoded.
std::unordered_set<std::string> ParseMountPoints(const std::string& mountinfo);

} // namespace quorvex
