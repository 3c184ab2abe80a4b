// quorvex_bench_refresh [--repeat N] [--entries E] DIR
// Refresh and removal inside a big scan. Scans DIR once, picks the folder whose subtree is
// closest to E entries (10,000), and times its refresh inside the whole tree against a scan
// of that folder alone (median of N each): the difference is what splicing the new subtree
// in costs, the sums of the folder shown (the root) included. Then times taking 1,000 files spread
// over the tree out of it, N times. Prints one "name: value" line per figure.

#include "BenchCommon.h"
#include "uDataCtrl.h"
#include "uHeapLimit.h"

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

namespace {

using namespace quorvex;
using namespace quorvex::bench;

// Every `count`-th file of the tree, about `want` of them, spread over the whole tree.
std::vector<const TDataInfo*> SpreadFiles(TDataInfo* root, std::size_t want) {
    std::vector<const TDataInfo*> files;
    for (TDataInfo* e = root; e; e = NextInPreOrder(e, root))
        if (!e->IsFolder())
            files.push_back(e);
    const std::size_t step = std::max<std::size_t>(1, files.size() / want);
    std::vector<const TDataInfo*> picked;
    for (std::size_t i = step / 2; i < files.size() && picked.size() < want; i += step)
        picked.push_back(files[i]);
    return picked;
}

struct TFigures {
    std::string Folder;
    std::uint64_t Entries = 0;
    std::vector<double> Refreshes, Scans, Sums, Removals;
};

void TimeRefresh(TDataCtrl& ctrl, const std::string& path, TFigures& f) {
    const TGroupRanges ranges = DefaultRanges();
    TDataCtrl alone;
    alone.LoadGroups(ranges);
    TDataInfo* folder = ctrl.Root()->FindByPath(path);
    f.Refreshes.push_back(SecondsOf([&] { ctrl.RefreshFolder(folder); }));
    f.Scans.push_back(SecondsOf([&] { alone.ScanFolder(path); }));
    // For comparison: counting the sums of the whole tree again, which a refresh avoids.
    f.Sums.push_back(SecondsOf([&] { ctrl.SetCurrentRoot(ctrl.Root()); }));
}

void Print(const TFigures& f, std::uint64_t total) {
    const double refresh = Median(f.Refreshes), scan = Median(f.Scans);
    std::printf("tree entries:            %llu\n", (unsigned long long)total);
    std::printf("refreshed folder:        %s\n", f.Folder.c_str());
    std::printf("its entries:             %llu\n", (unsigned long long)f.Entries);
    std::printf("refresh seconds:         %.4f (median)\n", refresh);
    std::printf("scan alone seconds:      %.4f (median)\n", scan);
    std::printf("splice seconds:          %.4f (refresh - scan alone)\n", refresh - scan);
    std::printf("whole-tree sums seconds: %.4f (median, for comparison: not part of a refresh)\n",
                Median(f.Sums));
    std::printf("remove 1000 files:       %.4f seconds (median)\n", Median(f.Removals));
}

} // namespace

int main(int argc, char** argv) {
    ShareHeapsBetweenThreads(); // as the program does
    std::uint64_t want = 10000;
    const TBenchOptions options =
        ParseBenchOptions(argc, argv, "quorvex_bench_refresh [--repeat N] [--entries E] DIR", {},
                          [&](const std::string& name, const char* value) {
                              if (name != "--entries")
                                  return false;
                              want = std::strtoull(value, nullptr, 10);
                              return true;
                          });
    try {
        TDataCtrl ctrl;
        ctrl.LoadGroups(DefaultRanges());
        ctrl.ScanFolder(options.Dir);
        ctrl.SetCurrentRoot(ctrl.Root());
        TPick pick;
        CountSubtree(ctrl.Root(), ctrl.Root(), want, pick);
        TFigures figures{pick.Folder->FullPath(), pick.Entries, {}, {}, {}, {}};
        for (int r = 0; r < options.Repeat; ++r)
            TimeRefresh(ctrl, figures.Folder, figures);
        const std::uint64_t total = ctrl.EntryCount();
        for (int r = 0; r < options.Repeat; ++r) {
            const std::vector<const TDataInfo*> gone = SpreadFiles(ctrl.Root(), 1000);
            figures.Removals.push_back(SecondsOf([&] { ctrl.RemoveEntries(gone); }));
        }
        Print(figures, total);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "quorvex_bench_refresh: %s\n", e.what());
        return 1;
    }
    return 0;
}
