// quorvex_bench_views [--repeat N] DIR
// Times what the main window does with a scanned tree, on the view controller alone (no
// widgets): the folder tree, showing the top folder, sorting "All Files" and a click on a
// folder of about 100,000 entries. Prints the figures, then a table against the targets.

#include "BenchCommon.h"
#include "uBaseView.h"
#include "uHeapLimit.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using namespace quorvex;
using namespace quorvex::bench;

using TOptions = TBenchOptions;

TOptions ParseOptions(int argc, char** argv) {
    return ParseBenchOptions(argc, argv, "quorvex_bench_views [--repeat N] DIR", {5, {}});
}

// ---- The measurements ----------------------------------------------------------------------

struct TOpenFigures {
    std::vector<double> Scan, Tree, Show;
    std::uint64_t Entries = 0;
    std::uint64_t RssBefore = 0;     // before the first scan: the process without a tree
    std::uint64_t PeakAfterScan = 0; // after the first scan
    std::uint64_t PeakAfterOpen = 0; // after every repetition of the open flow
};

// The open flow as the main window runs it: scan (which empties the views first), the
// folder tree, then the top folder shown.
TOpenFigures MeasureOpen(TBaseView& view, const TOptions& options) {
    TOpenFigures f;
    f.RssBefore = StatusBytes("VmRSS");
    for (int r = 0; r < options.Repeat; ++r) {
        f.Scan.push_back(SecondsOf([&] { view.Scan(options.Dir); }));
        if (r == 0)
            f.PeakAfterScan = StatusBytes("VmHWM");
        if (r > 0 && view.FDataCtrl().EntryCount() != f.Entries)
            throw std::runtime_error("the entry count differs between repetitions");
        f.Entries = view.FDataCtrl().EntryCount();
        f.Tree.push_back(SecondsOf([&] { view.FillFolderTree(); }));
        f.Show.push_back(SecondsOf([&] { view.ShowFolderByPath(options.Dir); }));
    }
    f.PeakAfterOpen = StatusBytes("VmHWM");
    return f;
}

struct TShowParts {
    std::vector<double> Sums, Refresh;
};

// ShowFolder is the engine's sums (SetCurrentRoot), then every model refilled (RefreshViews):
// the two timed apart, on further calls, to tell which half costs what.
TShowParts MeasureShowParts(TBaseView& view, TDataInfo* folder, int repeat) {
    TShowParts parts;
    for (int r = 0; r < repeat; ++r) {
        parts.Sums.push_back(SecondsOf([&] { view.FDataCtrl().SetCurrentRoot(folder); }));
        parts.Refresh.push_back(SecondsOf([&] { view.RefreshViews(); }));
    }
    return parts;
}

// Each sort starts from the fill order: the top folder is shown again (not timed) first.
std::vector<double> MeasureSort(TBaseView& view, TDataInfo* root, int column, Qt::SortOrder order,
                                int repeat) {
    std::vector<double> runs;
    for (int r = 0; r < repeat; ++r) {
        view.ShowFolder(root);
        TEntryListModel& files = view.VTFileAll();
        runs.push_back(SecondsOf([&] { files.SortRows(column, order); }));
    }
    return runs;
}

// A click on `folder` in the folder tree while the top folder is shown.
std::vector<double> MeasureClick(TBaseView& view, TDataInfo* root, TDataInfo* folder, int repeat) {
    std::vector<double> runs;
    for (int r = 0; r < repeat; ++r) {
        view.ShowFolder(root);
        runs.push_back(SecondsOf([&] { view.ShowFolder(folder); }));
    }
    return runs;
}

// ---- Output --------------------------------------------------------------------------------

void PrintRuns(const char* name, const std::vector<double>& runs) {
    std::printf("%-34s", name);
    for (double run : runs)
        std::printf(" %.3f", run);
    std::printf("  (median %.3f)\n", Median(runs));
}

const char* Verdict(double value, double limit) {
    return value <= limit ? "PASS" : "MISS";
}

void PrintRow(const char* name, double seconds, double limit) {
    if (limit > 0)
        std::printf("%-44s %9.3f s  <= %5.2f s  %s\n", name, seconds, limit,
                    Verdict(seconds, limit));
    else
        std::printf("%-44s %9.3f s\n", name, seconds);
}

struct TSorts {
    std::vector<double> Size, Name, Path;
    std::size_t Rows = 0;
};

struct TClick {
    TPick Pick;
    std::vector<double> Runs;
};

void PrintTable(const TOpenFigures& open, const TSorts& sorts, const TClick& click) {
    const double scan = Median(open.Scan), tree = Median(open.Tree), show = Median(open.Show);
    const double views = (tree + show) / scan;
    std::printf("\n%-44s %11s  %-10s  %s\n", "figure (median)", "value", "target", "verdict");
    PrintRow("scan: TBaseView::Scan", scan, 0);
    PrintRow("FillFolderTree", tree, 0);
    PrintRow("ShowFolderByPath(top folder)", show, 0.5);
    std::printf("%-44s %9.2f x\n", "open flow: (tree + show) / scan", views);
    std::printf("%-44s %9.2f x  <= %5.2f x  %s\n", "  scan + open flow, against the scan alone",
                1 + views, 1.30, Verdict(1 + views, 1.30));
    char name[64];
    std::snprintf(name, sizeof name, "sort All Files (%zu rows) by size, desc.", sorts.Rows);
    PrintRow(name, Median(sorts.Size), 0.8);
    PrintRow("sort All Files by name, ascending", Median(sorts.Name), 0.8);
    PrintRow("sort All Files by full path, ascending", Median(sorts.Path), 0.8);
    std::snprintf(name, sizeof name, "ShowFolder(%llu-entry folder)",
                  static_cast<unsigned long long>(click.Pick.Entries));
    PrintRow(name, Median(click.Runs), 0.15);
    // The peak's growth over the process before its first scan, every view filled.
    const double perEntry = double(open.PeakAfterOpen - open.RssBefore) / double(open.Entries);
    std::printf("%-44s %9.1f B  <= %5.0f B  %s\n", "peak rss growth per entry, open flow done",
                perEntry, 128.0, Verdict(perEntry, 128.0));
}

void PrintMemory(const TOpenFigures& open) {
    const double entries = double(open.Entries);
    std::printf("\nentries:                           %llu\n",
                static_cast<unsigned long long>(open.Entries));
    std::printf("rss before the first scan:         %.1f MiB\n", MiB(open.RssBefore));
    std::printf("peak rss after the first scan:     %.1f MiB (%.1f bytes/entry over the start)\n",
                MiB(open.PeakAfterScan), double(open.PeakAfterScan - open.RssBefore) / entries);
    std::printf("peak rss after the open flow:      %.1f MiB (%.1f bytes/entry over the start)\n",
                MiB(open.PeakAfterOpen), double(open.PeakAfterOpen - open.RssBefore) / entries);
    std::printf("peak rss at the end (sorts too):   %.1f MiB\n", MiB(StatusBytes("VmHWM")));
}

struct TFigures {
    TOpenFigures Open;
    TShowParts Parts;
    TSorts Sorts;
    TClick Click;
};

TFigures Measure(TBaseView& view, const TOptions& options) {
    TFigures f;
    f.Open = MeasureOpen(view, options);
    TDataInfo* root = view.FDataCtrl().Root();
    f.Parts = MeasureShowParts(view, root, options.Repeat);
    f.Sorts.Size = MeasureSort(view, root, ecFileSize, Qt::DescendingOrder, options.Repeat);
    f.Sorts.Name = MeasureSort(view, root, ecFileName, Qt::AscendingOrder, options.Repeat);
    f.Sorts.Path = MeasureSort(view, root, ecFullPath, Qt::AscendingOrder, options.Repeat);
    f.Sorts.Rows = view.VTFileAll().Rows().size();
    CountSubtree(root, root, 100000, f.Click.Pick);
    if (!f.Click.Pick.Folder)
        throw std::runtime_error("the folder has no sub-folder");
    f.Click.Runs = MeasureClick(view, root, f.Click.Pick.Folder, options.Repeat);
    return f;
}

void PrintFigures(const TOptions& options, const TFigures& f) {
    std::printf("folder:                            %s\n", options.Dir.c_str());
    std::printf("repetitions:                       %d (seconds each)\n", options.Repeat);
    PrintRuns("scan:", f.Open.Scan);
    PrintRuns("FillFolderTree:", f.Open.Tree);
    PrintRuns("ShowFolderByPath(top):", f.Open.Show);
    PrintRuns("  split: SetCurrentRoot (sums):", f.Parts.Sums);
    PrintRuns("  split: RefreshViews (models):", f.Parts.Refresh);
    PrintRuns("sort by size, descending:", f.Sorts.Size);
    PrintRuns("sort by name, ascending:", f.Sorts.Name);
    PrintRuns("sort by full path, ascending:", f.Sorts.Path);
    std::printf("click folder:                      %s\n", f.Click.Pick.Folder->FullPath().c_str());
    std::printf("click folder entries:              %llu (itself included)\n",
                static_cast<unsigned long long>(f.Click.Pick.Entries));
    PrintRuns("ShowFolder(click folder):", f.Click.Runs);
    PrintMemory(f.Open);
    PrintTable(f.Open, f.Sorts, f.Click);
}

} // namespace

int main(int argc, char** argv) {
    ShareHeapsBetweenThreads(); // as the program does
    QCoreApplication app(argc, argv);
    const TOptions options = ParseOptions(argc, argv);
    // The controller writes its default configuration here.
    const QTemporaryDir configDir;
    try {
        if (!configDir.isValid())
            throw std::runtime_error("no temporary folder for the configuration");
        TBaseView view(configDir.filePath("KestrixFAConfig.xml").toStdString());
        PrintFigures(options, Measure(view, options));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "quorvex_bench_views: %s\n", e.what());
        return 1;
    }
    return 0;
}
