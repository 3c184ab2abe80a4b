// quorvex_bench_treemap [--repeat N] [--size WxH] DIR
// Scans DIR, then times the treemap's layout and painting (median of the repeats), what
// --treemap adds to the scan (layout, painting and writing the PNG), and the window's worker:
// a resize's redraw from request to picture delivered, the longest stall of the owner's
// thread while a resize drag keeps renders running, and how long Stop() takes mid-render.
// Then the layout with files tinted by growth against a second scan of DIR (every file
// looked up in the comparison), against the layout by type.
#include "BenchCommon.h"
#include "uDataCtrl.h"
#include "uHeapLimit.h"
#include "uScanCompare.h"
#include "uTreemapGrowth.h"
#include "uTreemapRender.h"
#include "uTreemapWorker.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QString>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>

using namespace quorvex;
using namespace quorvex::bench;

namespace {

struct TTimes {
    double Layout, Render, Png;
};

TTimes TimeTreemap(const TDataInfo& root, int repeat, int width, int height,
                   TTreemapLayout& layout) {
    const std::string png =
        (std::filesystem::temp_directory_path() / "quorvex-bench-treemap.png").string();
    std::vector<double> layouts, renders, pngs;
    for (int i = 0; i < repeat; ++i) {
        layouts.push_back(
            SecondsOf([&] { layout.Build(root, width, height, TTreemapRender::FileColour); }));
        QImage image;
        renders.push_back(SecondsOf([&] { image = TTreemapRender::Render(layout, {}); }));
        pngs.push_back(SecondsOf([&] { image.save(QString::fromStdString(png), "PNG"); }));
    }
    std::filesystem::remove(png);
    return {Median(layouts), Median(renders), Median(pngs)};
}

struct TWorkerTimes {
    double RedrawMedian = 0, RedrawMax = 0; // resize request to picture delivered
    double DragSettle = 0;                  // last request of a drag to its picture
    double LongestStall = 0;                // owner's thread, during the drag
    double StopMax = 0;                     // Stop() while a render runs
};

// Runs the event loop until the worker delivers; seconds from `since`.
double WaitForPicture(TTreemapWorker& worker, const QElapsedTimer& since) {
    QEventLoop loop;
    double seconds = 0;
    const auto connection =
        QObject::connect(&worker, &TTreemapWorker::Finished, &loop, [&](const TTreemapPicture&) {
            seconds = double(since.nsecsElapsed()) / 1e9;
            loop.quit();
        });
    loop.exec();
    QObject::disconnect(connection);
    return seconds;
}

TTreemapRequest RequestOf(const TDataInfo& root, int width, int height) {
    TTreemapRequest request;
    request.Folder = &root;
    request.Width = width;
    request.Height = height;
    return request;
}

// A drag resizes by a few pixels per frame (16 ms) for half a second; a 1 ms timer on the
// owner's thread measures the longest gap between its ticks meanwhile.
void TimeDrag(TTreemapWorker& worker, const TDataInfo& root, int width, int height,
              TWorkerTimes& times) {
    QElapsedTimer clock, sinceTick;
    double longest = 0;
    QTimer ticks;
    ticks.setInterval(1);
    QObject::connect(&ticks, &QTimer::timeout, [&] {
        longest = std::max(longest, double(sinceTick.nsecsElapsed()) / 1e9);
        sinceTick.restart();
    });
    sinceTick.start();
    ticks.start();
    for (int frame = 0; frame < 30; ++frame) {
        worker.Request(RequestOf(root, width - 3 * frame, height - 2 * frame));
        QEventLoop wait;
        QTimer::singleShot(16, &wait, &QEventLoop::quit);
        wait.exec();
    }
    clock.start();
    times.DragSettle = WaitForPicture(worker, clock);
    ticks.stop();
    times.LongestStall = longest;
}

TWorkerTimes TimeWorker(const TDataInfo& root, int repeat, int width, int height) {
    TTreemapWorker worker;
    TWorkerTimes times;
    std::vector<double> redraws;
    for (int i = 0; i < std::max(repeat, 3); ++i) {
        QElapsedTimer clock;
        clock.start();
        worker.Request(RequestOf(root, width - 10 * (i % 2), height - 10 * (i % 2)));
        redraws.push_back(WaitForPicture(worker, clock));
    }
    times.RedrawMedian = Median(redraws);
    times.RedrawMax = *std::max_element(redraws.begin(), redraws.end());
    TimeDrag(worker, root, width, height, times);
    for (int i = 0; i < 5; ++i) {
        worker.Request(RequestOf(root, width, height));
        QEventLoop wait; // into the layout or the painting
        QTimer::singleShot(20 + 30 * i, &wait, &QEventLoop::quit);
        wait.exec();
        times.StopMax = std::max(times.StopMax, SecondsOf([&] { worker.Stop(); }));
    }
    return times;
}

// Median seconds of measuring the growth scale and laying out with the growth colours.
double TimeTintedLayout(const TDataCtrl& ctrl, const std::string& dir, int repeat, int width,
                        int height) {
    TDataCtrl base;
    base.ScanFolder(dir);
    const TScanCompare compare(ctrl, base);
    TTreemapLayout layout;
    std::vector<double> seconds;
    for (int i = 0; i < repeat; ++i)
        seconds.push_back(SecondsOf([&] {
            TGrowthTint tint(compare);
            tint.Measure(*ctrl.Root());
            layout.Build(*ctrl.Root(), width, height, tint.ColourOf());
        }));
    return Median(seconds);
}

} // namespace

int main(int argc, char** argv) {
    ShareHeapsBetweenThreads();
    QCoreApplication app(argc, argv); // the worker hands its pictures over through events
    int width = 1600, height = 1000;
    const TBenchOptions options = ParseBenchOptions(
        argc, argv, "quorvex_bench_treemap [--repeat N] [--size WxH] DIR", {3, {}},
        [&](const std::string& name, const char* value) {
            return name == "--size" && std::sscanf(value, "%dx%d", &width, &height) == 2;
        });
    try {
        TDataCtrl ctrl;
        const double scan = SecondsOf([&] { ctrl.ScanFolder(options.Dir); });
        TTreemapLayout layout;
        const TTimes t = TimeTreemap(*ctrl.Root(), options.Repeat, width, height, layout);
        const std::size_t tiles = layout.Tiles().size();
        std::printf("entries: %llu\n", static_cast<unsigned long long>(ctrl.EntryCount()));
        std::printf("scan_s: %.3f\n", scan);
        std::printf("size: %dx%d\n", width, height);
        std::printf("layout_s: %.3f\n", t.Layout);
        std::printf("render_s: %.3f\n", t.Render);
        std::printf("layout_plus_render_s: %.3f\n", t.Layout + t.Render);
        std::printf("png_s: %.3f\n", t.Png);
        std::printf("tiles: %zu\n", tiles);
        std::printf("bytes_per_tile: %.2f\n", double(layout.MemoryBytes()) / double(tiles));
        std::printf("treemap_over_scan: %.3f\n", (scan + t.Layout + t.Render + t.Png) / scan);
        const TWorkerTimes w = TimeWorker(*ctrl.Root(), options.Repeat, width, height);
        std::printf("worker_redraw_median_s: %.3f\n", w.RedrawMedian);
        std::printf("worker_redraw_max_s: %.3f\n", w.RedrawMax);
        std::printf("worker_drag_settle_s: %.3f\n", w.DragSettle);
        std::printf("worker_longest_stall_ms: %.1f\n", w.LongestStall * 1000);
        std::printf("worker_stop_max_ms: %.2f\n", w.StopMax * 1000);
        const double tinted = TimeTintedLayout(ctrl, options.Dir, options.Repeat, width, height);
        std::printf("layout_tinted_s: %.3f\n", tinted);
        std::printf("tinted_over_type_layout: %.2f\n", tinted / t.Layout);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "quorvex_bench_treemap: %s\n", e.what());
        return 1;
    }
    return 0;
}
