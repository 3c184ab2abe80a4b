// quorvex_bench_export [--out DIR] TREE
// Times the exports of "Files - All Files" of a scanned tree to CSV, HTML and XML, and of
// its first 65,534 rows to the workbook, each through the writers' whole path: model reads,
// escaping, UTF-8, writing, sync and rename. Prints seconds and MB/s against the targets.

#include "uBaseView.h"
#include "uExportVT.h"
#include "uExportVTEx.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>

namespace {

using namespace quorvex;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

struct TOptions {
    std::string Out; // where the files are written; a temporary folder when empty
    std::string Dir;
};

[[noreturn]] void Usage() {
    std::fprintf(stderr, "usage: quorvex_bench_export [--out DIR] TREE\n");
    std::exit(2);
}

TOptions ParseOptions(int argc, char** argv) {
    TOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--out" && i + 1 < argc)
            options.Out = argv[++i];
        else if (options.Dir.empty() && !arg.empty() && arg[0] != '-')
            options.Dir = arg;
        else
            Usage();
    }
    if (options.Dir.empty())
        Usage();
    while (options.Dir.size() > 1 && options.Dir.back() == '/')
        options.Dir.pop_back();
    return options;
}

double ThreadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// Wall-clock and CPU seconds of `work`: on a busy machine the CPU time of this thread (user
// and system) says what the work itself costs.
struct TTimes {
    double Wall, Cpu;
};

TTimes TimesOf(const std::function<void()>& work) {
    const auto start = Clock::now();
    const double cpu = ThreadCpuSeconds();
    work();
    return {std::chrono::duration<double>(Clock::now() - start).count(), ThreadCpuSeconds() - cpu};
}

double SecondsOf(const std::function<void()>& work) {
    return TimesOf(work).Wall;
}

struct TResult {
    const char* Name;
    qsizetype Rows;
    TTimes Times;
    double Bytes;
    double Target; // seconds; 0 for none
};

// Writes one file, measures it, and removes it again (the HTML of 1M rows is large).
TResult Export(const char* name, qsizetype rows, const fs::path& file, double target,
               const std::function<void(const fs::path&)>& write) {
    const TTimes times = TimesOf([&] { write(file); });
    const double bytes = double(fs::file_size(file));
    fs::remove(file);
    return {name, rows, times, bytes, target};
}

void Print(const TResult& r) {
    const double mb = r.Bytes / 1e6;
    std::printf("%-10s %9lld rows %9.1f MB %8.3f s %8.3f cpu s %8.1f MB/s", r.Name,
                static_cast<long long>(r.Rows), mb, r.Times.Wall, r.Times.Cpu, mb / r.Times.Wall);
    if (r.Target > 0)
        std::printf("   <= %.1f s  %s", r.Target, r.Times.Wall <= r.Target ? "PASS" : "MISS");
    std::printf("\n");
}

void Run(const TOptions& options, const fs::path& out, const fs::path& config) {
    TBaseView view(config);
    const double open = SecondsOf([&] {
        view.Scan(options.Dir);
        view.FillFolderTree();
        view.ShowFolderByPath(options.Dir);
    });
    const TEntryListModel& files = view.VTFileAll();
    const TModelExportView all(files);
    const qsizetype rows = all.EntryCount();
    std::printf("tree:       %s\nopen flow:  %.3f s (not part of the figures)\n",
                options.Dir.c_str(), open);
    std::printf("view:       Files - All Files, %lld rows, %d columns\n\n",
                static_cast<long long>(rows), all.ColumnCount());

    // The floor every format stands on: the views' cell texts alone, nothing written.
    qsizetype chars = 0;
    const TTimes read = TimesOf([&] {
        all.Walk([&](const TExportRow& row) {
            for (int c = 0; c < all.ColumnCount(); ++c)
                chars += row.CellText(c).size();
            return true;
        });
    });
    Print({"cells only", rows, read, double(chars), 0});
    Print(Export("CSV", rows, out / "files.csv", 2.0,
                 [&](const fs::path& f) { WriteVTCsv(all, f); }));
    Print(Export("HTML", rows, out / "files.htm", 0,
                 [&](const fs::path& f) { WriteVTHtml(all, f); }));
    Print(
        Export("XML", rows, out / "files.xml", 0, [&](const fs::path& f) { WriteVTXml(all, f); }));

    // The largest list the single-list workbook takes: the first rows of the same view.
    TEntryListModel first;
    first.SetColumns(files.Columns());
    std::vector<TDataInfo*> firstRows;
    for (qsizetype row = 0; row < std::min<qsizetype>(rows, MaxExcelListEntries); ++row)
        firstRows.push_back(files.EntryAt(int(row)));
    first.SetRows(firstRows);
    const TModelExportView part(first);
    Print(Export("workbook", part.EntryCount(), out / "files.xlsx", 2.0,
                 [&](const fs::path& f) { WriteVTExcel(part, f); }));
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const TOptions options = ParseOptions(argc, argv);
    const QTemporaryDir temp;
    try {
        if (!temp.isValid())
            throw std::runtime_error("no temporary folder");
        const fs::path out =
            options.Out.empty() ? fs::path(temp.path().toStdString()) : fs::path(options.Out);
        Run(options, out, fs::path(temp.path().toStdString()) / "KestrixFAConfig.xml");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "quorvex_bench_export: %s\n", e.what());
        return 1;
    }
    return 0;
}
