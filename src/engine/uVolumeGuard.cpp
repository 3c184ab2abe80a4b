#include "uVolumeGuard.h"

#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

#ifndef STATX_MNT_ID
#define STATX_MNT_ID 0x1000U
#endif

namespace quorvex {

namespace {

std::string Unescaped(const std::string& field) {
    std::string text;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            text +=
                char((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0'));
            i += 3;
        } else {
            text += field[i];
        }
    }
    return text;
}

// glibc before 2.37 names the field a spare one; the kernel's layout is the same.
template <typename TStatx> std::uint64_t MountField(const TStatx& st) {
    if constexpr (requires { st.stx_mnt_id; })
        return st.stx_mnt_id;
    else
        return st.__statx_pad2[0];
}

// The path the kernel gives for an open folder; empty when it has none.
std::string PathOfFd(int fd) {
    std::string path(4096, '\0');
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    const ssize_t length = readlink(link.c_str(), path.data(), path.size());
    path.resize(length > 0 ? std::size_t(length) : 0);
    return path;
}

} // namespace

std::unordered_set<std::string> ParseMountPoints(const std::string& mountinfo) {
    // Line: id parent major:minor root mount-point options ...
    std::unordered_set<std::string> points;
    std::istringstream lines(mountinfo);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string id, parent, dev, root, point;
        if (fields >> id >> parent >> dev >> root >> point)
            points.insert(Unescaped(point));
    }
    return points;
}

std::uint64_t TVolumeGuard::MountIdOf(const struct statx& st) {
    if (!(st.stx_mask & STATX_MNT_ID))
        return 0;
    return MountField(st);
}

TVolumeGuard::TVolumeGuard(int rootFd, bool mountIds) {
    struct statx st {};
    if (mountIds && statx(rootFd, "", AT_EMPTY_PATH, STATX_MNT_ID, &st) == 0)
        FRootMount = MountIdOf(st);
    if (FRootMount != 0)
        return;
    std::ifstream in("/proc/self/mountinfo");
    std::ostringstream text;
    text << in.rdbuf();
    FMountPoints =
        std::make_shared<const std::unordered_set<std::string>>(ParseMountPoints(text.str()));
}

bool TVolumeGuard::IsOtherMount(const struct statx& st, int dirFd, const char* name) const {
    if (const std::uint64_t mount = MountIdOf(st); mount != 0 && FRootMount != 0)
        return mount != FRootMount;
    if (!FMountPoints)
        return false;
    // A folder below the scanned one that is a mount point is the root of another mount.
    std::string path = PathOfFd(dirFd);
    if (path.empty())
        return false;
    if (path.back() != '/')
        path += '/';
    return FMountPoints->count(path + name) > 0;
}

} // namespace quorvex
