// quorvex_bench_scan [--repeat N] [--threads T] DIR
// Times what the program does before it can show a folder: scan, group and sum. Prints
// one "name: value" line per figure, for people and for run_scan_bench.sh.

#include "BenchCommon.h"
#include "uDataCtrl.h"
#include "uHeapLimit.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using namespace quorvex;
using Clock = std::chrono::steady_clock;

struct TSummary {
    std::uint64_t Entries = 0, Folders = 0, Files = 0, Types = 0, Bytes = 0, Problems = 0;
    bool operator==(const TSummary&) const = default;
};

std::uint64_t EntriesIn(const TSumList& sums) {
    std::uint64_t count = 0;
    for (const TSumInfo& sum : sums)
        count += sum.EntryCount();
    return count;
}

TSummary Summarise(TDataCtrl& ctrl) {
    TSummary s;
    s.Entries = ctrl.EntryCount();
    s.Folders = 1 + EntriesIn(ctrl.FolderSizeSums()); // the sums leave out the top folder
    s.Files = EntriesIn(ctrl.FileSizeSums());
    s.Types = ctrl.FileTypeSums().Count();
    s.Bytes = ctrl.Root()->Size();
    s.Problems = ctrl.Problems().size();
    return s;
}

// Peak resident set size of this process so far: the kernel's high-water mark.
std::uint64_t PeakRssBytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::strtoull(line.c_str() + 6, nullptr, 10) * 1024; // the kernel says kB
    return 0;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

[[noreturn]] void Usage() {
    std::fprintf(stderr, "usage: quorvex_bench_scan [--repeat N] [--threads T] DIR\n");
    std::exit(2);
}

struct TOptions {
    int Repeat = 5;
    int Threads = 0; // the engine's default
    std::string Dir;
};

TOptions ParseOptions(int argc, char** argv) {
    TOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--repeat" && i + 1 < argc)
            options.Repeat = std::atoi(argv[++i]);
        else if (arg == "--threads" && i + 1 < argc)
            options.Threads = std::atoi(argv[++i]);
        else if (options.Dir.empty() && !arg.empty() && arg[0] != '-')
            options.Dir = arg;
        else
            Usage();
    }
    if (options.Repeat < 1 || options.Threads < 0 || options.Dir.empty())
        Usage();
    // The engine takes a path without a trailing "/", except "/" itself.
    while (options.Dir.size() > 1 && options.Dir.back() == '/')
        options.Dir.pop_back();
    return options;
}

void Print(const TOptions& options, const std::vector<double>& runs,
           const std::vector<double>& scans, const std::vector<double>& teardowns,
           const TSummary& s) {
    std::printf("folder:              %s\n", options.Dir.c_str());
    std::printf("repetitions:         %d\n", options.Repeat);
    TDataCtrl probe;
    probe.SetScanThreads(options.Threads);
    if (probe.ScanThreads() == 0)
        std::printf("threads:             0 (the default: one per processor, up to %d while "
                    "they wait for the disk)\n",
                    TDataCtrl::DefaultScanThreads());
    else
        std::printf("threads:             %d\n", probe.ScanThreads());
    std::printf("seconds per run:    ");
    for (double run : runs)
        std::printf(" %.3f", run);
    std::printf("\nmedian seconds:      %.3f\n", Median(runs));
    std::printf("min seconds:         %.3f\n", *std::min_element(runs.begin(), runs.end()));
    std::printf("scan seconds:        %.3f (median, ScanFolder alone)\n", Median(scans));
    std::printf("teardown seconds:    %.3f (median, not in the timed part)\n", Median(teardowns));
    std::printf("entries:             %llu\n", static_cast<unsigned long long>(s.Entries));
    std::printf("folders:             %llu\n", static_cast<unsigned long long>(s.Folders));
    std::printf("files:               %llu\n", static_cast<unsigned long long>(s.Files));
    std::printf("types:               %llu\n", static_cast<unsigned long long>(s.Types));
    std::printf("bytes:               %llu\n", static_cast<unsigned long long>(s.Bytes));
    std::printf("problems:            %llu\n", static_cast<unsigned long long>(s.Problems));
    std::printf("peak rss bytes:      %llu\n", static_cast<unsigned long long>(PeakRssBytes()));
}

} // namespace

int main(int argc, char** argv) {
    ShareHeapsBetweenThreads(); // as the program does
    const TOptions options = ParseOptions(argc, argv);
    const TGroupRanges ranges = bench::DefaultRanges();
    std::vector<double> runs, scans, teardowns;
    TSummary first;
    try {
        for (int r = 0; r < options.Repeat; ++r) {
            // Timed: a fresh engine, grouping set-up, scan and sums over the whole tree.
            const auto start = Clock::now();
            auto ctrl = std::make_unique<TDataCtrl>();
            ctrl->SetScanThreads(options.Threads);
            ctrl->LoadGroups(ranges);
            const auto scanStart = Clock::now();
            ctrl->ScanFolder(options.Dir);
            scans.push_back(Seconds(Clock::now() - scanStart));
            ctrl->SetCurrentRoot(ctrl->Root());
            const TSummary summary = Summarise(*ctrl);
            const auto scanned = Clock::now();
            // Not timed: releasing the tree, which the program does only at exit or rescan.
            ctrl.reset();
            teardowns.push_back(Seconds(Clock::now() - scanned));
            runs.push_back(Seconds(scanned - start));
            if (r == 0)
                first = summary;
            else if (!(summary == first))
                throw std::runtime_error("the figures differ between repetitions");
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "quorvex_bench_scan: %s\n", e.what());
        return 1;
    }
    Print(options, runs, scans, teardowns, first);
    return 0;
}
