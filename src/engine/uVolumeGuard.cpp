#include "uVolumeGuard.h"

#include <fstream>
#include <sstream>
#include <sys/sysmacros.h>

namespace quorvex {

TVolumeGuard::TVolumeGuard(std::uint64_t rootDev, const std::string&)
    : FRootDev(rootDev), FRootSource(ReadMountSource(rootDev)) {}

std::string TVolumeGuard::ReadMountSource(std::uint64_t dev) {
    // Line: id parent major:minor root mount-point options [optional...] - fstype source ...
    std::ifstream in("/proc/self/mountinfo");
    const std::string wanted = std::to_string(major(dev)) + ":" + std::to_string(minor(dev));
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string id, parent, devField, word;
        fields >> id >> parent >> devField;
        if (devField != wanted)
            continue;
        while (fields >> word && word != "-") {
        }
        std::string fstype, source;
        fields >> fstype >> source;
        return fstype + " " + source;
    }
    return {};
}

const std::string& TVolumeGuard::SourceOf(std::uint64_t dev) {
    auto it = FSources.find(dev);
    if (it == FSources.end())
        it = FSources.emplace(dev, ReadMountSource(dev)).first;
    return it->second;
}

bool TVolumeGuard::IsOtherVolume(std::uint64_t dev, bool isMountRoot, bool mountRootKnown) {
    if (dev == FRootDev)
        return false; // the same device, even where bind-mounted
    if (mountRootKnown && !isMountRoot)
        return false; // a device change without a mount: a btrfs sub-volume of this volume
    const std::string& source = SourceOf(dev);
    if (source.empty())
        return mountRootKnown; // unknown without the mount flag: an unmounted sub-volume
    return FRootSource.empty() || source != FRootSource;
}

} // namespace quorvex
