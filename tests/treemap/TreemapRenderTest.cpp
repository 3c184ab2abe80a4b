// The painted picture: flat colours pixel by pixel, cushions, highlight and type colours.
#include "TreemapTestUtil.h"
#include "uTreemapRender.h"

#include <gtest/gtest.h>

using namespace quorvex;
using namespace quorvex::test;

namespace {

std::uint32_t Pixel(const QImage& image, int x, int y) {
    return image.pixel(x, y) & 0xFFFFFF;
}

std::string Ascii(const QImage& image, std::uint32_t a, std::uint32_t b, std::uint32_t frame) {
    std::string text;
    for (int y = 0; y < image.height(); ++y, text += '\n')
        for (int x = 0; x < image.width(); ++x) {
            const std::uint32_t p = Pixel(image, x, y);
            text += p == a ? 'a' : p == b ? 'b' : p == frame ? '#' : '?';
        }
    return text;
}

TEST(Render, TwoEqualFilesSplitTheFramedFolderInHalves) {
    TScannedTree tree({"a.txt:500", "b.png:500"});
    TTreemapLayout layout;
    layout.Build(tree.Root(), 10, 6, TTreemapRender::FileColour);
    TTreemapStyle flat;
    flat.Cushion = false;
    const QImage image = TTreemapRender::Render(layout, flat);
    const std::uint32_t a = TTreemapRender::TypeColour("txt");
    const std::uint32_t b = TTreemapRender::TypeColour("png");
    ASSERT_NE(a, b);
    // Equal sizes: the squarest split of an 8x4 inner area is two 4x4 squares.
    EXPECT_EQ(Ascii(image, a, b, Pixel(image, 0, 0)), "##########\n"
                                                      "#aaaabbbb#\n"
                                                      "#aaaabbbb#\n"
                                                      "#aaaabbbb#\n"
                                                      "#aaaabbbb#\n"
                                                      "##########\n");
}

TEST(Render, EveryPixelOfAFileTileHasItsFlatColour) {
    TScannedTree tree({"big.iso:9000", "d/x.cpp:3000", "d/y.h:1000", "z:500"});
    TTreemapLayout layout;
    layout.Build(tree.Root(), 120, 80, TTreemapRender::FileColour);
    TTreemapStyle flat;
    flat.Cushion = false;
    const QImage image = TTreemapRender::Render(layout, flat);
    for (const TTreemapTile& t : layout.Tiles()) {
        if (t.IsBlend() || layout.EntryOf(t).IsFolder())
            continue;
        const std::uint32_t colour = TTreemapRender::FileColour(layout.EntryOf(t));
        for (int y = t.Y; y < t.Y + t.H; ++y)
            for (int x = t.X; x < t.X + t.W; ++x)
                ASSERT_EQ(Pixel(image, x, y), colour) << layout.EntryOf(t).FullPath();
    }
}

TEST(Render, HighlightDimsExactlyTheEntriesItRejects) {
    TScannedTree tree({"a.iso:9000", "d/b.iso:3000", "d/c.txt:2000", "e/f.txt:4000", "g:800"});
    TTreemapLayout layout;
    layout.Build(tree.Root(), 160, 100, TTreemapRender::FileColour);
    TTreemapStyle style;
    style.Cushion = false;
    style.Highlight = [](const TDataInfo& e) { return e.Ext() == "iso"; };
    const QImage image = TTreemapRender::Render(layout, style);
    int lit = 0, dimmed = 0;
    for (const TTreemapTile& t : layout.Tiles()) {
        const TDataInfo& entry = layout.EntryOf(t);
        if (t.IsBlend() || entry.IsFolder())
            continue;
        const std::uint32_t own = TTreemapRender::FileColour(entry);
        const bool match = entry.Ext() == "iso";
        EXPECT_EQ(Pixel(image, t.X + t.W / 2, t.Y + t.H / 2),
                  match ? own : TTreemapRender::Dimmed(own))
            << entry.FullPath();
        ++(match ? lit : dimmed);
    }
    EXPECT_EQ(lit, 2);
    EXPECT_EQ(dimmed, 3);
}

TEST(Render, CushionsAreBrightestNearTheUpperLeftOfTheirMiddle) {
    TScannedTree tree({"a.txt:1000"});
    TTreemapLayout layout;
    layout.Build(tree.Root(), 41, 41, TTreemapRender::FileColour);
    const QImage image = TTreemapRender::Render(layout, {});
    const auto brightness = [&](int x, int y) { return qGray(image.pixel(x, y)); };
    // A bump lit from the upper left: its middle outshines its edges, its lower right
    // slope lies in shadow compared with the upper left one.
    EXPECT_GT(brightness(19, 19), brightness(2, 20));
    EXPECT_GT(brightness(19, 19), brightness(38, 38));
    EXPECT_GT(brightness(8, 8), brightness(32, 32));
}

TEST(Render, TypeColoursIgnoreCaseAndSetFilesWithoutExtensionApart) {
    EXPECT_EQ(TTreemapRender::TypeColour("JPG"), TTreemapRender::TypeColour("jpg"));
    const std::uint32_t none = TTreemapRender::TypeColour("");
    for (const char* ext : {"txt", "png", "iso", "cpp", "h", "log"})
        EXPECT_NE(TTreemapRender::TypeColour(ext), none) << ext;
    EXPECT_NE(TTreemapRender::TypeColour("txt"), TTreemapRender::TypeColour("png"));
}

TEST(Render, LinksHaveATintOfTheirOwn) {
    TScannedTree tree({"a.txt:10", "to.txt -> a.txt", "bare -> a.txt"});
    const TDataInfo* link = tree.Ctrl.Root()->FindByPath(tree.Dir.Str() + "/to.txt");
    const TDataInfo* bare = tree.Ctrl.Root()->FindByPath(tree.Dir.Str() + "/bare");
    const TDataInfo* file = tree.Ctrl.Root()->FindByPath(tree.Dir.Str() + "/a.txt");
    ASSERT_TRUE(link && bare && file);
    const std::uint32_t tint = TTreemapRender::FileColour(*link);
    EXPECT_EQ(TTreemapRender::FileColour(*bare), tint); // whatever the name says
    EXPECT_EQ(TTreemapRender::FileColour(*file), TTreemapRender::TypeColour("txt"));
    for (std::uint32_t other : {TTreemapRender::TypeColour("txt"), TTreemapRender::TypeColour("")})
        EXPECT_NE(tint, other);
}

} // namespace
