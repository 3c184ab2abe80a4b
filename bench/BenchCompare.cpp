// quorvex_bench_compare [--repeat N] [--removed N] DIR
// Comparing a scan with a saved one on a real tree. Scans DIR, saves the scan as a scan file
// and loads it back as the base; then, median of N each: the scan against the loaded base
// (every entry matched), and, after N files left the scan (RemoveEntries), the scan against
// the base (that many removed) and the base against the scan (that many added). Prints one
// "name: value" line per figure, with the targets.

#include "BenchCommon.h"
#include "uHeapLimit.h"
#include "uScanCompare.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace quorvex;
using namespace quorvex::bench;

volatile std::int64_t Sink;

struct TRun {
    double Seconds, LookupSeconds, ListSeconds;
    std::uint64_t Added, Removed, Changed, ResidentGrowth, Listed;
};

TRun CompareOnce(const TDataCtrl& current, const TDataCtrl& base) {
    std::optional<TScanCompare> result;
    const std::uint64_t before = StatusBytes("VmRSS");
    const double seconds = SecondsOf([&] { result.emplace(current, base); });
    const std::uint64_t growth = StatusBytes("VmRSS") - before;
    // What the views do: every entry's result looked up, and the changes list made.
    std::int64_t sum = 0;
    const double lookup = SecondsOf([&] {
        for (TDataInfo* e = current.Root(); e; e = NextInPreOrder(e, current.Root()))
            sum += result->DeltaOf(*e).Growth();
    });
    Sink = sum; // the walk is kept
    std::size_t listed = 0;
    const double list = SecondsOf([&] { listed = result->Changes().size(); });
    return {
        seconds, lookup, list, result->AddedCount(), result->RemovedCount(), result->ChangedCount(),
        growth,  listed};
}

void Report(const char* name, const TDataCtrl& current, const TDataCtrl& base, int repeat) {
    std::vector<double> seconds, lookups, lists;
    TRun run{};
    std::uint64_t growth = 0; // the first run's: later ones may reuse the heap it left
    for (int i = 0; i < repeat; ++i) {
        run = CompareOnce(current, base);
        seconds.push_back(run.Seconds);
        lookups.push_back(run.LookupSeconds);
        lists.push_back(run.ListSeconds);
        growth = std::max(growth, run.ResidentGrowth);
    }
    const double entries = double(current.EntryCount());
    std::printf("%s seconds: %.3f (median; target <= 1.0)\n", name, Median(seconds));
    std::printf("%s added/removed/changed: %llu/%llu/%llu\n", name, (unsigned long long)run.Added,
                (unsigned long long)run.Removed, (unsigned long long)run.Changed);
    std::printf("%s every entry's result looked up, seconds: %.3f (median)\n", name,
                Median(lookups));
    std::printf("%s changes list of %llu rows, seconds: %.3f (median)\n", name,
                (unsigned long long)run.Listed, Median(lists));
    std::printf("%s resident growth per current entry: %.1f bytes (target <= 16)\n", name,
                double(growth) / entries);
}

// `count` files spread evenly over the scan (fewer when it has fewer).
std::vector<const TDataInfo*> SomeFiles(const TDataCtrl& ctrl, std::uint64_t count) {
    std::uint64_t all = 0;
    for (TDataInfo* e = ctrl.Root(); e; e = NextInPreOrder(e, ctrl.Root()))
        all += !e->IsFolder();
    const std::uint64_t step = std::max<std::uint64_t>(1, all / std::max<std::uint64_t>(count, 1));
    std::vector<const TDataInfo*> files;
    std::uint64_t i = 0;
    for (TDataInfo* e = ctrl.Root(); e && files.size() < count; e = NextInPreOrder(e, ctrl.Root()))
        if (!e->IsFolder() && ++i % step == 0)
            files.push_back(e);
    return files;
}

int Run(int argc, char** argv) {
    std::uint64_t removed = 5000;
    const TBenchOptions options =
        ParseBenchOptions(argc, argv, "quorvex_bench_compare [--repeat N] [--removed N] DIR", {},
                          [&removed](const std::string& name, const char* value) {
                              if (name != "--removed")
                                  return false;
                              removed = std::strtoull(value, nullptr, 10);
                              return true;
                          });
    TDataCtrl scan, base;
    scan.ScanFolder(options.Dir);
    const std::string file = "/var/tmp/quorvex-bench/compare-base.json";
    scan.SaveScanFile(file);
    const double load = SecondsOf([&] { base.LoadScanFile(file); });
    std::printf("tree entries: %llu\n", (unsigned long long)scan.EntryCount());
    std::printf("base load seconds: %.3f (the saved scan read back, not part of the compare)\n",
                load);
    std::printf("result bytes per current entry: %zu (the per-entry record)\n",
                sizeof(TEntryDelta));
    Report("unchanged", scan, base, options.Repeat);
    scan.RemoveEntries(SomeFiles(scan, removed));
    Report("files removed", scan, base, options.Repeat);
    Report("files added", base, scan, options.Repeat);
    std::filesystem::remove(file);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    return quorvex::bench::RunBench("quorvex_bench_compare", [&] { return Run(argc, argv); });
}
