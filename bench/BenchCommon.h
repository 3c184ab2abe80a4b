#pragma once
// Helpers shared by the benchmark programs: timing, medians and the process's memory.

#include "uDataCtrl.h"
#include "uDataInfo.h"
#include "uHeapLimit.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace quorvex::bench {

using Clock = std::chrono::steady_clock;

// The ranges of the default configuration, so the sums cost what they cost in the program.
inline TGroupRanges DefaultRanges() {
    TGroupRanges ranges;
    ranges.Age = {
        {"one day", 1}, {"three days", 3}, {"one week", 7}, {"one month", 30}, {"one year", 365}};
    ranges.Size = {{"0~10KB", 10000},    {"10~100KB", 100000},    {"0.1~1MB", 1000000},
                   {"1~10MB", 10000000}, {"10~100MB", 100000000}, {"0.1~1G", 1000000000}};
    ranges.Length = {{"1", 1}, {"2~6", 6}, {"7~10", 10}, {"11~19", 19}, {"10~", 365}};
    ranges.AboveLast = "above last";
    return ranges;
}

// A benchmark's main: heaps shared between threads as the program has them, and a failure
// reported as one line with exit status 1.
inline int RunBench(const char* name, const std::function<int()>& run) {
    ShareHeapsBetweenThreads();
    try {
        return run();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", name, e.what());
        return 1;
    }
}

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

/// The options every benchmark takes: "[--repeat N] ... DIR".
struct TBenchOptions {
    int Repeat = 5;
    std::string Dir;
};

/// Reads "--repeat N", the folder and, through `other` (given the option and its value,
/// true when it took them), the program's own "--name VALUE" options; prints `usage` and
/// exits with 2 on anything else. The folder loses its trailing "/" (but "/" stays).
inline TBenchOptions
ParseBenchOptions(int argc, char** argv, const char* usage, TBenchOptions options,
                  const std::function<bool(const std::string&, const char*)>& other = {}) {
    const auto fail = [usage] {
        std::fprintf(stderr, "usage: %s\n", usage);
        std::exit(2);
    };
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--repeat" && i + 1 < argc)
            options.Repeat = std::atoi(argv[++i]);
        else if (arg.starts_with("--") && i + 1 < argc && other && other(arg, argv[i + 1]))
            ++i;
        else if (options.Dir.empty() && !arg.empty() && arg[0] != '-')
            options.Dir = arg;
        else
            fail();
    }
    if (options.Repeat < 1 || options.Dir.empty())
        fail();
    while (options.Dir.size() > 1 && options.Dir.back() == '/')
        options.Dir.pop_back();
    return options;
}

} // namespace quorvex::bench
