#include "uDescriptorLimit.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <sys/resource.h>

namespace quorvex {

namespace {

constexpr std::size_t MaxKeptFolders = 64, MinKeptFolders = 2;

std::size_t OpenDescriptors() {
    DIR* dir = opendir("/proc/self/fd");
    if (!dir)
        return 0;
    std::size_t count = 0;
    while (const dirent* item = readdir(dir))
        count += item->d_name[0] != '.';
    closedir(dir);
    return count > 0 ? count - 1 : 0; // the listing's own descriptor
}

} // namespace

void RaiseDescriptorLimit() {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == limit.rlim_max)
        return;
    limit.rlim_cur = limit.rlim_max;
    setrlimit(RLIMIT_NOFILE, &limit);
}

std::size_t FreeDescriptors() {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return MaxKeptFolders * 16;
    const std::size_t open = OpenDescriptors();
    return limit.rlim_cur > open ? std::size_t(limit.rlim_cur) - open : 0;
}

bool IsDescriptorShortage(int error) {
    return error == EMFILE || error == ENFILE;
}

TDescriptorPlan PlanDescriptors(std::size_t free, int threads, int maxThreads) {
    const std::size_t share = free / 2;
    const auto fit = int(std::max<std::size_t>(
        1, (share > MinKeptFolders ? share - MinKeptFolders : 0) / TDescriptorPlan::PerThread));
    TDescriptorPlan plan;
    plan.Threads = std::clamp(threads, 1, fit);
    plan.MaxThreads = std::clamp(maxThreads, plan.Threads, std::max(plan.Threads, fit));
    const std::size_t used = std::size_t(plan.MaxThreads) * TDescriptorPlan::PerThread;
    plan.KeptFolders = std::clamp(share > used ? share - used : 0, MinKeptFolders, MaxKeptFolders);
    return plan;
}

} // namespace quorvex
