// quorvex_bench_treemap [--repeat N] [--size WxH] DIR
// Scans DIR, then times the treemap's layout and painting (median of the repeats), and
// what --treemap adds to the scan: layout, painting and writing the PNG.
#include "BenchCommon.h"
#include "uDataCtrl.h"
#include "uHeapLimit.h"
#include "uTreemapRender.h"

#include <QString>
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

} // namespace

int main(int argc, char** argv) {
    ShareHeapsBetweenThreads();
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
    } catch (const std::exception& e) {
        std::fprintf(stderr, "quorvex_bench_treemap: %s\n", e.what());
        return 1;
    }
    return 0;
}
