// The squarified layout against its geometric promises, on scanned fixture trees.
#include "TreemapTestUtil.h"
#include "uTreemapRender.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <set>
#include <string>

using namespace quorvex;
using namespace quorvex::test;

namespace {

// Folders of mixed sizes, zero-byte files, an empty folder and many small files.
std::vector<std::string> MixedTree() {
    std::vector<std::string> lines = {
        "big.iso:90000",   "docs/a.txt:21000", "docs/b.txt:7000",     "docs/c.pdf:6500",
        "docs/zero.txt:0", "empty/",           "src/x/y/z.cpp:15000", "src/x/w.h:3100",
        "src/m.cpp:12000", "one.bin:1"};
    for (int i = 0; i < 60; ++i)
        lines.push_back("many/f" + std::to_string(i) + ".log:" + std::to_string(40 + 37 * i));
    return lines;
}

struct TSize {
    int W, H;
};

class LayoutGeometry : public testing::TestWithParam<TSize> {
protected:
    static void SetUpTestSuite() { Tree = new TScannedTree(MixedTree()); }
    static void TearDownTestSuite() { delete Tree; }
    void SetUp() override {
        Layout.Build(Tree->Root(), GetParam().W, GetParam().H, TTreemapRender::FileColour);
        Parents = ParentTiles(Layout);
    }
    static std::uint64_t ChildTotal(const TDataInfo& folder) {
        std::uint64_t total = 0;
        for (const TDataInfo& child : folder.Children())
            total += child.Size();
        return total;
    }
    static TScannedTree* Tree;
    TTreemapLayout Layout;
    std::vector<int> Parents;
};
TScannedTree* LayoutGeometry::Tree = nullptr;

long Overlap(const TTreemapTile& a, const TTreemapTile& b) {
    const long w = std::min(a.X + a.W, b.X + b.W) - std::max(a.X, b.X);
    const long h = std::min(a.Y + a.H, b.Y + b.H) - std::max(a.Y, b.Y);
    return w > 0 && h > 0 ? w * h : 0;
}

TEST_P(LayoutGeometry, ChildrenFillTheirFolderWithoutOverlap) {
    const auto& tiles = Layout.Tiles();
    ASSERT_FALSE(tiles.empty());
    EXPECT_EQ(tiles[0].W, GetParam().W);
    EXPECT_EQ(tiles[0].H, GetParam().H);
    for (std::size_t p = 0; p < tiles.size(); ++p) {
        if (tiles[p].IsBlend() || !Layout.EntryOf(tiles[p]).IsFolder())
            continue;
        const TTreemapTile inner = InnerOf(tiles[p]);
        long covered = 0;
        for (std::size_t c = p + 1; c < tiles.size(); ++c) {
            if (Parents[c] != int(p))
                continue;
            const TTreemapTile& t = tiles[c];
            EXPECT_TRUE(t.X >= inner.X && t.Y >= inner.Y && t.X + t.W <= inner.X + inner.W &&
                        t.Y + t.H <= inner.Y + inner.H)
                << "tile " << c << " leaves its folder";
            covered += long(t.W) * t.H;
            for (std::size_t o = c + 1; o < tiles.size(); ++o) {
                const long overlap = Parents[o] == int(p) ? Overlap(t, tiles[o]) : 0;
                EXPECT_EQ(overlap, 0) << "tiles " << c << " and " << o;
            }
        }
        // Disjoint and inside, so equal areas mean every pixel is drawn by something.
        EXPECT_EQ(covered, long(inner.W) * inner.H) << Layout.EntryOf(tiles[p]).FullPath();
    }
}

TEST_P(LayoutGeometry, AreasFollowSizesWithinOnePixelPerEdge) {
    const auto& tiles = Layout.Tiles();
    for (std::size_t c = 1; c < tiles.size(); ++c) {
        const TTreemapTile& t = tiles[c];
        const TTreemapTile& parent = tiles[Parents[c]];
        const TDataInfo& folder = Layout.EntryOf(parent);
        if (t.IsBlend()) {
            EXPECT_EQ(&Layout.EntryOf(t), &folder);
            continue;
        }
        EXPECT_EQ(Layout.EntryOf(t).Parent(), &folder);
        const TTreemapTile inner = InnerOf(parent);
        const double ideal =
            double(Layout.EntryOf(t).Size()) * inner.W * inner.H / double(ChildTotal(folder));
        // Each edge is rounded to the nearest pixel line: at most one pixel per side.
        EXPECT_NEAR(double(t.W) * t.H, ideal, t.W + t.H + 1.0) << Layout.EntryOf(t).FullPath();
    }
}

TEST_P(LayoutGeometry, EveryEntryOfAPixelOrMoreHasItsOwnTile) {
    const auto& tiles = Layout.Tiles();
    std::set<const TDataInfo*> drawn;
    for (const TTreemapTile& t : tiles)
        if (!t.IsBlend())
            drawn.insert(&Layout.EntryOf(t));
    for (const TTreemapTile& t : tiles) {
        const TDataInfo& folder = Layout.EntryOf(t);
        if (t.IsBlend() || !folder.IsFolder())
            continue;
        const TTreemapTile inner = InnerOf(t);
        for (const TDataInfo& child : folder.Children()) {
            const double ideal =
                double(child.Size()) * inner.W * inner.H / double(ChildTotal(folder));
            EXPECT_EQ(drawn.count(&child), ideal >= 1.0 ? 1u : 0u)
                << child.FullPath() << " ideal " << ideal;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, LayoutGeometry,
                         testing::Values(TSize{1600, 1000}, TSize{200, 120}, TSize{37, 23},
                                         TSize{1, 1}, TSize{3, 400}));

TEST(Layout, ZeroByteEntriesAndEmptyFoldersGetNoTile) {
    TScannedTree tree({"a.txt:100", "zero.txt:0", "empty/", "hollow/deeper/", "nothing/z:0"});
    TTreemapLayout layout;
    layout.Build(tree.Root(), 50, 40, TTreemapRender::FileColour);
    for (const TTreemapTile& t : layout.Tiles())
        EXPECT_TRUE(&layout.EntryOf(t) == &tree.Root() || layout.EntryOf(t).Size() > 0)
            << layout.EntryOf(t).FullPath();
    EXPECT_EQ(layout.Tiles().size(), 2u); // the folder and a.txt filling it
}

TEST(Layout, AnEmptyFolderIsOneNeutralArea) {
    TScannedTree tree({"empty/", "zero:0"});
    TTreemapLayout layout;
    layout.Build(tree.Root(), 20, 10, TTreemapRender::FileColour);
    ASSERT_EQ(layout.Tiles().size(), 2u);
    const TTreemapTile& area = layout.Tiles()[1];
    EXPECT_TRUE(area.IsBlend());
    EXPECT_EQ(area.Colour(), TTreemapLayout::EmptyColour);
    EXPECT_EQ(long(area.W) * area.H, 18L * 8);
}

TEST(Layout, SmallContentBlendsIntoTheAverageOfItsColours) {
    std::vector<std::string> lines = {"huge.iso:1000000"};
    for (int i = 0; i < 300; ++i)
        lines.push_back("small/" + std::to_string(i) + (i % 3 ? ".txt:10" : ".png:20"));
    TScannedTree tree(lines);
    TTreemapLayout layout;
    layout.Build(tree.Root(), 200, 100, TTreemapRender::FileColour);
    const auto blend = std::find_if(layout.Tiles().begin(), layout.Tiles().end(),
                                    [](const TTreemapTile& t) { return t.IsBlend(); });
    ASSERT_NE(blend, layout.Tiles().end());
    EXPECT_EQ(layout.EntryOf(*blend).Name(), "small");
    // 200 files of 10 bytes and 100 of 20, each far below a pixel: the types weigh the same.
    const std::uint32_t txt = TTreemapRender::TypeColour("txt");
    const std::uint32_t png = TTreemapRender::TypeColour("png");
    for (int shift = 0; shift <= 16; shift += 8) {
        const int mean = int(((txt >> shift & 0xFF) + (png >> shift & 0xFF)) / 2.0 + 0.5);
        EXPECT_NEAR(int(blend->Colour() >> shift & 0xFF), mean, 1);
    }
}

TEST(Layout, ALongChainNeedsNoRecursion) {
    TScannedTree tree({});
    MakeChain(tree.Dir.Path(), 1500, "leaf.txt");
    tree.Ctrl.ScanFolder(tree.Dir.Str());
    TTreemapLayout layout;
    layout.Build(tree.Root(), 1600, 1000, TTreemapRender::FileColour);
    // Every folder of the chain fills its parent, so all of them and the file are drawn.
    ASSERT_EQ(layout.Tiles().size(), 1502u);
    EXPECT_EQ(layout.Tiles().back().Depth(), TTreemapTile::MaxDepth);
    const TDataInfo* hit = layout.HitTest(800, 500);
    ASSERT_NE(hit, nullptr);
    EXPECT_EQ(hit->Name(), "leaf.txt");
    const QImage image = TTreemapRender::Render(layout, {});
    EXPECT_EQ(image.size(), QSize(1600, 1000));
}

TEST(Layout, AClickFindsTheEntryUnderIt) {
    TScannedTree tree(MixedTree());
    TTreemapLayout layout;
    layout.Build(tree.Root(), 300, 200, TTreemapRender::FileColour);
    for (const TTreemapTile& t : layout.Tiles()) {
        const TDataInfo& entry = layout.EntryOf(t);
        if (t.IsBlend() || entry.IsFolder())
            continue;
        EXPECT_EQ(layout.HitTest(t.X, t.Y), &entry);
        EXPECT_EQ(layout.HitTest(t.X + t.W - 1, t.Y + t.H - 1), &entry);
    }
    // The frame of the top folder, and outside the picture.
    EXPECT_EQ(layout.HitTest(0, 0), &tree.Root());
    EXPECT_EQ(layout.HitTest(300, 10), nullptr);
    EXPECT_EQ(layout.HitTest(-1, 10), nullptr);
}

TEST(Layout, SizesOutsideTheTileRangeAreRefused) {
    TScannedTree tree({"a:1"});
    TTreemapLayout layout;
    EXPECT_THROW(layout.Build(tree.Root(), 0, 10, TTreemapRender::FileColour),
                 std::invalid_argument);
    EXPECT_THROW(layout.Build(tree.Root(), 10, 65536, TTreemapRender::FileColour),
                 std::invalid_argument);
    EXPECT_NO_THROW(layout.Build(tree.Root(), 65535, 1, TTreemapRender::FileColour));
}

} // namespace
