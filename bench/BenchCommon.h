#pragma once
// Helpers shared by the benchmark programs: timing, medians and the process's memory.

#include "uDataInfo.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace quorvex::bench {

using Clock = std::chrono::steady_clock;

inline double Median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

template <typename F> double SecondsOf(F&& work) {
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

inline double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// A figure of /proc/self/status in bytes: "VmHWM" (the peak) or "VmRSS" (now).
inline std::uint64_t StatusBytes(const std::string& key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(key + ':', 0) == 0)
            return std::strtoull(line.c_str() + key.size() + 1, nullptr, 10) * 1024; // kB
    return 0;
}

inline double MiB(std::uint64_t bytes) {
    return double(bytes) / 1048576.0;
}

/// The folder below the top whose subtree (itself included) is closest to a wanted size.
struct TPick {
    TDataInfo* Folder = nullptr;
    std::uint64_t Entries = 0;
};

inline std::uint64_t Distance(std::uint64_t a, std::uint64_t b) {
    return a > b ? a - b : b - a;
}

// Entries of `folder`'s subtree, itself included; keeps in `best` the folder below `top`
// whose count is closest to `want`. Recursive: benchmark trees are shallow.
inline std::uint64_t CountSubtree(TDataInfo* folder, const TDataInfo* top, std::uint64_t want,
                                  TPick& best) {
    std::uint64_t count = 1;
    for (TDataInfo& child : folder->Children())
        count += child.IsFolder() ? CountSubtree(&child, top, want, best) : 1;
    if (folder != top && (!best.Folder || Distance(count, want) < Distance(best.Entries, want)))
        best = {folder, count};
    return count;
}

} // namespace quorvex::bench
