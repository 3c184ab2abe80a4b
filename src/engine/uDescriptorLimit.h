#pragma once

#include <cstddef>

namespace quorvex {

/// Raises this process's soft limit on open descriptors to its hard limit (a scan keeps
/// folders open, and distributions start programs at 1024 of a far higher hard limit).
/// Called at program start and before every scan; a failure leaves the limit as it was.
void RaiseDescriptorLimit();

/// Descriptors this process may still open: the soft limit less those open now.
std::size_t FreeDescriptors();

/// True for the errors of a call that ran out of descriptors: the folder is not unreadable,
/// the process is short of descriptors.
bool IsDescriptorShortage(int error);

/// How many descriptors a scan may use.
struct TDescriptorPlan {
    int Threads;             ///< scanning threads (each holds up to PerThread at once)
    int MaxThreads;          ///< the most threads the scan may add
    std::size_t KeptFolders; ///< listed folders kept open for their sub-folders
    static constexpr std::size_t PerThread = 3;
};

/// Shares `free` descriptors out: half of them for the scan (the other half for the rest
/// of the program), at most three per thread, the rest for kept folders, never more than
/// 64 of those (more gains nothing measurable). Threads are cut down before the kept
/// folders go below two.
TDescriptorPlan PlanDescriptors(std::size_t free, int threads, int maxThreads);

} // namespace quorvex
