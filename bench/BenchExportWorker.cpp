// quorvex_bench_export_worker TREE OUT_FILE
// The report path of the window, offscreen: "Files - All Files" of a scanned tree to HTML
// on the export worker behind the wait window, against the synchronous writer on the same
// view. While the worker writes, a 1 ms timer on the user-interface thread records the gaps
// between its ticks: the longest gap is the longest time the window could not repaint.

#include "uBaseView.h"
#include "uReport.h"
#include "uReportDocs.h"
#include "uWaitForm.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <sys/resource.h>
#include <vector>

namespace {

using namespace quorvex;
namespace fs = std::filesystem;

// Gaps between the ticks of a 1 ms timer, in milliseconds.
class TStallMeter {
public:
    TStallMeter() {
        FTimer.setTimerType(Qt::PreciseTimer);
        FTimer.setInterval(1);
        QObject::connect(&FTimer, &QTimer::timeout, [this] {
            const qint64 now = FClock.nsecsElapsed();
            const double gap = double(now - FLast) / 1e6;
            const double cpu = ThreadCpuMs();
            if (cpu - FLastCpu > FLongestBusy) {
                FLongestBusy = cpu - FLastCpu;
                FLongestBusyAt = double(now) / 1e9;
            }
            FLastCpu = cpu;
            if (gap > FLongest) {
                FLongest = gap;
                FLongestAt = double(now) / 1e9;
            }
            FGaps.push_back(gap);
            FLast = now;
        });
    }
    void Start() {
        FClock.start();
        FLast = 0;
        FLastCpu = ThreadCpuMs();
        FTimer.start();
    }
    void Stop() { FTimer.stop(); }
    double Percentile(double p) {
        if (FGaps.empty())
            return 0;
        std::sort(FGaps.begin(), FGaps.end());
        return FGaps[std::size_t(p * double(FGaps.size() - 1))];
    }
    std::size_t Ticks() const { return FGaps.size(); }
    /// The most CPU time this thread used between two ticks: the longest it was busy, as
    /// opposed to waiting for a core on a loaded machine.
    double LongestBusy() const { return FLongestBusy; }
    double LongestBusyAt() const { return FLongestBusyAt; }
    /// Seconds after Start() at which the longest gap ended.
    double LongestAt() const { return FLongestAt; }

private:
    QTimer FTimer;
    QElapsedTimer FClock;
    qint64 FLast = 0;
    std::vector<double> FGaps;
    double FLongest = 0, FLongestAt = 0;
    double FLastCpu = 0, FLongestBusy = 0, FLongestBusyAt = 0;

    static double ThreadCpuMs() {
        timespec now{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
        return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
    }
};

// CPU seconds of the whole process (all threads), user and system.
double ProcessCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: quorvex_bench_export_worker TREE OUT_FILE\n");
        return 2;
    }
    const std::string tree = argv[1];
    const fs::path out = argv[2];
    QTemporaryDir config;
    TBaseView view(fs::path(config.path().toStdString()) / "KestrixFAConfig.xml");
    view.Scan(tree);
    view.FillFolderTree();
    view.ShowFolderByPath(tree);
    TReportList list;
    list.push_back(ReportItem(view, 6)); // Files - All Files
    std::printf("view: %s, %lld rows\n", AllReportViews(6).Title,
                static_cast<long long>(list[0].View->EntryCount()));

    QWidget window;
    window.resize(800, 600);
    window.show();
    WaitForm = new TWaitForm(&window);

    QElapsedTimer clock;
    clock.start();
    double cpu = ProcessCpuSeconds();
    WriteVTsHtml(list, out);
    const double direct = double(clock.nsecsElapsed()) / 1e9;
    const double directCpu = ProcessCpuSeconds() - cpu;
    const auto bytes = fs::file_size(out);
    std::printf("synchronous writer: %.3f s (%.3f cpu s), %.1f MB\n", direct, directCpu,
                double(bytes) / 1e6);

    bool written = true;
    // Twice: the first run also pays for the wait window's first showing.
    for (int run = 1; run <= 2; ++run) {
        TStallMeter meter;
        clock.restart();
        cpu = ProcessCpuSeconds();
        meter.Start();
        written = ExportVTsToHtml(
                      list, [&](EExportFormat) { return QString::fromStdString(out.string()); },
                      &window) &&
                  written;
        meter.Stop();
        const double worker = double(clock.nsecsElapsed()) / 1e9;
        const double workerCpu = ProcessCpuSeconds() - cpu;
        std::printf("run %d, worker + wait window: %.3f s (%.3f cpu s, both threads), same size "
                    "%s\n",
                    run, worker, workerCpu, fs::file_size(out) == bytes ? "yes" : "NO");
        std::printf(
            "  UI thread: %zu ticks of a 1 ms timer; gap median %.2f ms, p99 %.2f ms, "
            "longest %.2f ms (ending %.3f s after the start); longest busy %.2f ms (at %.3f s)\n",
            meter.Ticks(), meter.Percentile(0.5), meter.Percentile(0.99), meter.Percentile(1.0),
            meter.LongestAt(), meter.LongestBusy(), meter.LongestBusyAt());
    }
    fs::remove(out);
    return written ? 0 : 1;
}
