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
#include <filesystem>
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
            FGaps.push_back(double(now - FLast) / 1e6);
            FLast = now;
        });
    }
    void Start() {
        FClock.start();
        FLast = 0;
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

private:
    QTimer FTimer;
    QElapsedTimer FClock;
    qint64 FLast = 0;
    std::vector<double> FGaps;
};

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
    WriteVTsHtml(list, out);
    const double direct = double(clock.nsecsElapsed()) / 1e9;
    const auto bytes = fs::file_size(out);

    TStallMeter meter;
    clock.restart();
    meter.Start();
    const bool written = ExportVTsToHtml(
        list, [&](EExportFormat) { return QString::fromStdString(out.string()); }, &window);
    meter.Stop();
    const double worker = double(clock.nsecsElapsed()) / 1e9;
    std::printf("synchronous writer: %.3f s, %.1f MB\n", direct, double(bytes) / 1e6);
    std::printf("worker + wait window: %.3f s, written %s, same size %s\n", worker,
                written ? "yes" : "NO", fs::file_size(out) == bytes ? "yes" : "NO");
    std::printf("UI thread: %zu ticks of a 1 ms timer; gap median %.2f ms, p99 %.2f ms, "
                "longest %.2f ms\n",
                meter.Ticks(), meter.Percentile(0.5), meter.Percentile(0.99),
                meter.Percentile(1.0));
    fs::remove(out);
    return written ? 0 : 1;
}
