// quorvex_bench_savedscan [--repeat N] DIR
// Saved scans and disk usage on a real tree. Scans DIR once and reports the engine's memory
// per entry with disk usage, owners and hard links kept; then, median of N each: saving the
// scan as a scan file, loading that file into a full tree, the first terminal tool
// (`ncdu -f FILE -o /dev/null`) reading the same file, and switching the count to disk usage
// and back. Prints one "name: value" line per figure, with the ratios the targets name.

#include "BenchCommon.h"
#include "uDataCtrl.h"
#include "uHeapLimit.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using namespace quorvex;
using namespace quorvex::bench;

struct TFigures {
    std::vector<double> Saves, Loads, Tool, Switches;
};

void Measure(TDataCtrl& ctrl, const std::string& file, TFigures& f) {
    f.Saves.push_back(SecondsOf([&] { ctrl.SaveScanFile(file); }));
    TDataCtrl loaded;
    loaded.LoadGroups(DefaultRanges());
    f.Loads.push_back(SecondsOf([&] { loaded.LoadScanFile(file); }));
    const std::string command = "ncdu -f '" + file + "' -o /dev/null 2>/dev/null";
    f.Tool.push_back(SecondsOf([&] {
        if (std::system(command.c_str()) != 0)
            std::fprintf(stderr, "ncdu failed\n");
    }));
    f.Switches.push_back(SecondsOf([&] {
        ctrl.SetCountDiskUsage(true);
        ctrl.SetCountDiskUsage(false);
    }));
}

int Run(int argc, char** argv) {
    const TBenchOptions options =
        ParseBenchOptions(argc, argv, "quorvex_bench_savedscan [--repeat N] DIR", {});
    TDataCtrl ctrl;
    ctrl.LoadGroups(DefaultRanges());
    const std::uint64_t before = StatusBytes("VmRSS");
    const double scan = SecondsOf([&] { ctrl.ScanFolder(options.Dir); });
    const std::uint64_t engine = StatusBytes("VmRSS") - before;
    ctrl.SetCurrentRoot(ctrl.Root());
    const std::string file = "/var/tmp/quorvex-bench/savedscan.json";
    TFigures f;
    for (int i = 0; i < options.Repeat && options.Repeat > 0; ++i)
        Measure(ctrl, file, f);
    const double save = Median(f.Saves), load = Median(f.Loads), tool = Median(f.Tool);
    const auto entries = ctrl.EntryCount();
    std::printf("tree entries:              %llu\n", (unsigned long long)entries);
    std::printf("scan seconds:              %.3f\n", scan);
    std::printf("engine bytes per entry:    %.1f (resident growth over the scan, names included; "
                "target <= 64)\n",
                double(engine) / double(entries));
    std::printf("entries and names per entry: %.1f (of which the entry itself %zu)\n",
                double(ctrl.StoredBytes()) / double(entries), sizeof(TDataInfo));
    std::printf("scan file bytes:           %llu\n",
                (unsigned long long)std::filesystem::file_size(file));
    std::printf("save seconds:              %.3f (median; target <= 1.0)\n", save);
    std::printf("load seconds:              %.3f (median; target <= 1.0)\n", load);
    std::printf("ncdu -f seconds:           %.3f (median, same file)\n", tool);
    std::printf("load / ncdu:               %.2f (target <= 2.0)\n", load / tool);
    std::printf("count switch seconds:      %.3f (median, to disk usage and back)\n",
                Median(f.Switches));
    std::filesystem::remove(file);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    return quorvex::bench::RunBench("quorvex_bench_savedscan", [&] { return Run(argc, argv); });
}
