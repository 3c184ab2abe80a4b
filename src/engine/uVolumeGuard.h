#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

namespace quorvex {

/// Decides whether a folder met during a scan lies on another file-system volume than the
/// scanned folder. Sub-volumes of one btrfs volume have their own device numbers but the
/// same mount source, so the mount table is consulted, not only the device number.
class TVolumeGuard {
public:
    TVolumeGuard(std::uint64_t rootDev, const std::string& rootPath);

    /// `dev` is the folder's device; `isMountRoot` whether the kernel marks it as the root
    /// of a mount (`mountRootKnown` false on kernels that cannot tell).
    bool IsOtherVolume(std::uint64_t dev, bool isMountRoot, bool mountRootKnown);

    /// Mount source and file-system type of a device from /proc/self/mountinfo; empty when
    /// the device is not mounted on its own.
    static std::string ReadMountSource(std::uint64_t dev);

private:
    const std::string& SourceOf(std::uint64_t dev);

    std::uint64_t FRootDev;
    std::string FRootSource;
    std::unordered_map<std::uint64_t, std::string> FSources;
};

} // namespace quorvex
