// Files coloured by their change against a saved scan: the folder is scanned and saved as the
// base, edited on disk, scanned again, and the drawn pixels are checked per file.
#include "TreemapTestUtil.h"
#include "uScanCompare.h"
#include "uTreemapGrowth.h"
#include "uTreemapRender.h"

#include <QColor>
#include <gtest/gtest.h>
#include <map>
#include <optional>

namespace fs = std::filesystem;
using namespace quorvex;
using namespace quorvex::test;

namespace {

class GrowthTint : public testing::Test {
protected:
    // `before` is written and saved as the base; `edit` then changes the folder.
    void Compare(const std::vector<std::string>& before, const std::function<void()>& edit) {
        WriteTree(Dir.Path(), before);
        TDataCtrl scan;
        scan.ScanFolder(Dir.Str());
        scan.SaveScanFile((Work.Path() / "base.json").string());
        Base.LoadScanFile((Work.Path() / "base.json").string());
        edit();
        Current.ScanFolder(Dir.Str());
        Result.emplace(Current, Base);
    }
    const TDataInfo& Entry(const std::string& rel) const {
        for (const TDataInfo* e = Current.Root(); e;
             e = NextInPreOrder(const_cast<TDataInfo*>(e), Current.Root()))
            if (e->FullPath() == (Dir.Path() / rel).string())
                return *e;
        throw std::runtime_error("no entry " + rel);
    }
    // Lays out `shown` at 160x100 with growth colours and paints it flat.
    QImage Draw(const TDataInfo& shown) {
        TGrowthTint tint(*Result);
        EXPECT_TRUE(tint.Measure(shown));
        Layout.Build(shown, 160, 100, tint.ColourOf());
        TTreemapStyle style;
        style.Cushion = false; // flat: a pixel is its file's colour
        return TTreemapRender::Render(Layout, style);
    }
    // The drawn colour at the middle of each file's own tile, by name.
    std::map<std::string, QColor> Middles(const QImage& image) const {
        std::map<std::string, QColor> byName;
        for (const TTreemapTile& t : Layout.Tiles())
            if (!t.IsBlend() && !Layout.EntryOf(t).IsFolder())
                byName[std::string(Layout.EntryOf(t).Name())] =
                    image.pixelColor(t.X + t.W / 2, t.Y + t.H / 2);
        return byName;
    }
    static void Grow(const fs::path& file, std::uintmax_t bytes) { fs::resize_file(file, bytes); }

    TempDir Work, Dir;
    TDataCtrl Base, Current;
    std::optional<TScanCompare> Result;
    TTreemapLayout Layout;
};

int Distance(const QColor& a, std::uint32_t b) {
    const QColor c = QColor::fromRgb(b);
    return std::abs(a.red() - c.red()) + std::abs(a.green() - c.green()) +
           std::abs(a.blue() - c.blue());
}

TEST_F(GrowthTint, NewGrownShrunkAndUnchangedFilesEachHaveTheirColour) {
    Compare({"same.txt:4000", "little.txt:3000", "much.txt:2000", "shrink.txt:5000"}, [&] {
        Grow(Dir.Path() / "little.txt", 3001);
        Grow(Dir.Path() / "much.txt", 6000);
        Grow(Dir.Path() / "shrink.txt", 2500);
        WriteTree(Dir.Path(), {"new.txt:3000"});
    });
    const auto px = Middles(Draw(*Current.Root()));
    ASSERT_EQ(px.size(), 5u);
    EXPECT_EQ(px.at("same.txt").rgb() & 0xFFFFFF, TGrowthTint::SameColour);
    EXPECT_EQ(px.at("new.txt").rgb() & 0xFFFFFF, TGrowthTint::AddedColour);
    // The largest growth and the only shrink shown take the strong ends of their scales.
    EXPECT_EQ(px.at("much.txt").rgb() & 0xFFFFFF, TGrowthTint::StrongGrowth);
    EXPECT_EQ(px.at("shrink.txt").rgb() & 0xFFFFFF, TGrowthTint::StrongShrink);
    // One byte against 4000 is faint, yet warm and no grey.
    const QColor little = px.at("little.txt");
    EXPECT_LT(Distance(little, TGrowthTint::FaintGrowth),
              Distance(little, TGrowthTint::StrongGrowth));
    EXPECT_GT(little.red(), little.blue() + 40);
    EXPECT_GT(Distance(little, TGrowthTint::SameColour), 60);
}

TEST_F(GrowthTint, StrengthIsOnALogScaleUnderTheLargestGrowthShown) {
    Compare({"big.bin:1000", "sub/a.bin:1000", "sub/b.bin:1000", "sub/c.bin:1000"}, [&] {
        Grow(Dir.Path() / "big.bin", 1000 + 100000);
        Grow(Dir.Path() / "sub/a.bin", 1000 + 1000);
        Grow(Dir.Path() / "sub/b.bin", 1000 + 10);
        Grow(Dir.Path() / "sub/c.bin", 1000 + 1);
    });
    TGrowthTint tint(*Result);
    ASSERT_TRUE(tint.Measure(*Current.Root()));
    EXPECT_EQ(tint.LargestGrowth(), 100000u);
    const auto strength = [&](const char* rel) {
        return QColor::fromRgb(tint.Colour(Entry(rel))).saturationF();
    };
    // Each tenfold step is about as far up the scale: 1000 bytes sits well above the middle
    // between 1 and 100000 bytes, where a linear scale would leave it next to nothing.
    const double c = strength("sub/c.bin"), b = strength("sub/b.bin"), a = strength("sub/a.bin"),
                 top = strength("big.bin");
    EXPECT_LT(c, b);
    EXPECT_LT(b, a);
    EXPECT_LT(a, top);
    EXPECT_GT(a - c, (top - c) / 2);

    // Zoomed into sub/, its own largest growth is the top of the scale.
    ASSERT_TRUE(tint.Measure(Entry("sub")));
    EXPECT_EQ(tint.LargestGrowth(), 1000u);
    EXPECT_EQ(tint.Colour(Entry("sub/a.bin")), TGrowthTint::StrongGrowth);
    // A file outside the folder measured takes the strong end instead of running off it.
    EXPECT_EQ(tint.Colour(Entry("big.bin")), TGrowthTint::StrongGrowth);
}

} // namespace
