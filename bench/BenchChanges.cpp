// quorvex_bench_changes [--repeat N] [--files N] DIR
// The changes list of a comparison with about N changed files (default 1,000,000). Writes a
// base and a current scan file into DIR (no tree on disk is needed: both are synthetic, 1000
// files per folder, every file grown or shrunk, a few per folder removed and added), loads
// them and compares; then, median of N each: filling the list in its default order and the
// header sorts of every column both ways. Prints one "name: value" line per figure.

#include "BenchCommon.h"
#include "uChangesModel.h"
#include "uScanCompare.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

using namespace quorvex;
using namespace quorvex::bench;

constexpr int FilesPerFolder = 1000, Replaced = 10; // per folder: removed, and as many added

// One side: in `current` every file is one byte larger (even) or smaller (odd) than in the
// base, and the first `Replaced` names of each folder are other ones.
void WriteScan(const std::string& path, std::uint64_t files, bool current) {
    std::ofstream out(path);
    out << "[1,2,{\"progname\":\"bench\",\"progver\":\"0\",\"timestamp\":0},\n"
           "[{\"name\":\"/quorvex-bench-changes\"}";
    const std::uint64_t folders = (files + FilesPerFolder - 1) / FilesPerFolder;
    for (std::uint64_t d = 0; d < folders; ++d) {
        out << ",\n[{\"name\":\"d" << d << "\"}";
        for (int f = 0; f < FilesPerFolder; ++f) {
            const bool replaced = f < Replaced;
            const char* prefix = replaced && current ? "new" : "f";
            const std::uint64_t size = 1000 + f + d;
            const std::uint64_t shown = current && !replaced ? (f % 2 ? size - 1 : size + 1) : size;
            out << ",\n{\"name\":\"" << prefix << f << "\",\"asize\":" << shown << "}";
        }
        out << "]";
    }
    out << "]]\n";
    if (!out.flush())
        throw std::runtime_error("cannot write " + path);
}

template <typename F> void Report(const char* name, int repeat, F&& work) {
    std::vector<double> seconds;
    for (int i = 0; i < repeat; ++i)
        seconds.push_back(SecondsOf(work));
    std::printf("%s seconds: %.3f (median; target < 1.0)\n", name, Median(seconds));
}

int Run(int argc, char** argv) {
    std::uint64_t files = 1000000;
    const TBenchOptions options =
        ParseBenchOptions(argc, argv, "quorvex_bench_changes [--repeat N] [--files N] DIR", {},
                          [&files](const std::string& name, const char* value) {
                              if (name != "--files")
                                  return false;
                              files = std::strtoull(value, nullptr, 10);
                              return true;
                          });
    const std::string baseFile = options.Dir + "/changes-base.json",
                      nowFile = options.Dir + "/changes-now.json";
    WriteScan(baseFile, files, false);
    WriteScan(nowFile, files, true);
    TDataCtrl base, now;
    base.LoadScanFile(baseFile);
    now.LoadScanFile(nowFile);
    std::filesystem::remove(baseFile);
    std::filesystem::remove(nowFile);
    const TScanCompare compare(now, base);
    TChangesModel model;
    model.Fill(&compare);
    std::printf("rows: %d\n", model.rowCount());
    Report("fill (default order)", options.Repeat, [&] { model.Fill(&compare); });
    for (int column = 0; column < TChangesModel::ColumnCount; ++column)
        for (const Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
            const std::string name =
                "sort " + model.headerData(column, Qt::Horizontal).toString().toStdString() +
                (order == Qt::AscendingOrder ? " up" : " down");
            Report(name.c_str(), options.Repeat, [&] { model.SortRows(column, order); });
        }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    return quorvex::bench::RunBench("quorvex_bench_changes", [&] { return Run(argc, argv); });
}
