#include "uAccessTimes.h"

#include <sys/statvfs.h>

namespace quorvex {

EAccessTimes AccessTimesOf(const std::string& folder) {
    struct statvfs volume {};
    if (statvfs(folder.c_str(), &volume) != 0)
        return EAccessTimes::Unknown;
    return AccessTimesOfFlags(volume.f_flag);
}

EAccessTimes AccessTimesOfFlags(unsigned long flags) {
    // noatime wins: the kernel ignores relatime on such a mount.
    if (flags & ST_NOATIME)
        return EAccessTimes::Never;
    if (flags & ST_RELATIME)
        return EAccessTimes::Relative;
    return EAccessTimes::Strict;
}

std::string AccessTimesNote(EAccessTimes rule) {
    switch (rule) {
    case EAccessTimes::Strict:
        return "Access times on this volume are updated on every access (strictatime).";
    case EAccessTimes::Relative:
        return "Access times on this volume are updated at most once a day (relatime): a file "
               "read again today may still show yesterday's access.";
    case EAccessTimes::Never:
        return "This volume is mounted noatime: access times are never updated, so the "
               "never-used reports cannot tell used files from unused ones.";
    case EAccessTimes::Unknown:
        return "How this volume keeps access times is not known.";
    }
    return {};
}

} // namespace quorvex
