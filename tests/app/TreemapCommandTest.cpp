// --treemap: options, and the PNG it writes without a display, by type or, with --compare,
// by growth.
#include "FixtureTree.h"
#include "uCommandLine.h"
#include "uTreemapGrowth.h"
#include "uTreemapRender.h"

#include <QImage>
#include <algorithm>
#include <gtest/gtest.h>
#include <sstream>

namespace fs = std::filesystem;
using namespace quorvex;
using namespace quorvex::test;

namespace {

TEST(TreemapCommand, OptionsNameFileAndSize) {
    TCommandLine cmd = ParseCommandLine({"--treemap", "map.png", "/usr/"});
    EXPECT_EQ(cmd.Action, TCommandLine::EAction::Treemap);
    EXPECT_EQ(cmd.TreemapFile, "map.png");
    EXPECT_EQ(cmd.TreemapWidth, 1600);
    EXPECT_EQ(cmd.TreemapHeight, 1000);
    EXPECT_EQ(cmd.Folder, "/usr");
    cmd = ParseCommandLine({"--size", "640x65535", "--treemap", "m.png", "/"});
    EXPECT_EQ(cmd.TreemapWidth, 640);
    EXPECT_EQ(cmd.TreemapHeight, 65535);
}

TEST(TreemapCommand, BadUsageExitsWithTwo) {
    for (const auto& args :
         std::vector<std::vector<std::string>>{{"--treemap", "m.png"},
                                               {"--treemap"},
                                               {"--treemap", "m.png", "--size", "0x10", "/"},
                                               {"--treemap", "m.png", "--size", "10x65536", "/"},
                                               {"--treemap", "m.png", "--size", "10*10", "/"},
                                               {"--treemap", "m.png", "--size", "10x", "/"},
                                               {"--size", "10x10", "/"},
                                               {"--summary", "--treemap", "m.png", "/"}}) {
        std::ostringstream out, err;
        EXPECT_EQ(RunCommandLine(args, out, err), 2) << testing::PrintToString(args);
        EXPECT_EQ(err.str().rfind("quorvex: ", 0), 0u) << err.str();
    }
}

TEST(TreemapCommand, WritesThePictureOfTheFolder) {
    TempDir work, data;
    WriteTree(data.Path(), {"a.txt:500", "b.png:500"});
    const std::string png = (work.Path() / "map.png").string();
    std::ostringstream out, err;
    ASSERT_EQ(RunCommandLine({"--treemap", png, "--size", "10x6", "--config",
                              (work.Path() / "c.xml").string(), data.Str()},
                             out, err),
              0)
        << err.str();
    QImage image(QString::fromStdString(png));
    ASSERT_EQ(image.size(), QSize(10, 6));
    // A frame around two cushions: each is brightest inside, in its own hue.
    const QColor left = image.pixelColor(2, 2), right = image.pixelColor(7, 2);
    EXPECT_EQ(image.pixel(0, 0), image.pixel(9, 5));
    EXPECT_NE(left, right);
    // Shading scales the channels, so the hue stays within rounding.
    EXPECT_NEAR(left.hue(), QColor::fromRgb(TTreemapRender::TypeColour("txt")).hue(), 2);
    EXPECT_NEAR(right.hue(), QColor::fromRgb(TTreemapRender::TypeColour("png")).hue(), 2);
}

TEST(TreemapCommand, WithCompareFilesAreColouredByGrowth) {
    TempDir work, data;
    const std::string config = (work.Path() / "c.xml").string();
    const std::string base = (work.Path() / "base.json").string();
    const std::string png = (work.Path() / "map.png").string();
    WriteTree(data.Path(), {"old.png:500"});
    std::ostringstream out, err;
    ASSERT_EQ(RunCommandLine({"--config", config, "--export-scan", base, data.Str()}, out, err), 0)
        << err.str();
    WriteTree(data.Path(), {"new.png:500"});
    // Either order; the treemap is what is made.
    for (const auto& order : {std::vector<std::string>{"--treemap", png, "--compare", base},
                              std::vector<std::string>{"--compare", base, "--treemap", png}}) {
        std::vector<std::string> args = order;
        args.insert(args.end(), {"--size", "10x6", "--config", config, data.Str()});
        ASSERT_EQ(RunCommandLine(args, out, err), 0) << err.str();
        QImage image(QString::fromStdString(png));
        ASSERT_EQ(image.size(), QSize(10, 6));
        // Two shaded halves of one type: the new file green, the unchanged one grey.
        std::vector<QColor> halves{image.pixelColor(2, 2), image.pixelColor(7, 2)};
        std::sort(halves.begin(), halves.end(),
                  [](const QColor& a, const QColor& b) { return a.saturation() < b.saturation(); });
        EXPECT_LE(halves[0].saturation(), 2);
        EXPECT_NEAR(halves[1].hue(), QColor::fromRgb(TGrowthTint::AddedColour).hue(), 2);
        fs::remove(png);
    }
    // The base of another folder is refused before the scan; so are other actions with it.
    TempDir other;
    EXPECT_EQ(RunCommandLine({"--treemap", png, "--compare", base, other.Str()}, out, err), 1);
    EXPECT_FALSE(fs::exists(png));
    EXPECT_EQ(
        RunCommandLine({"--treemap", png, "--compare", base, "--summary", data.Str()}, out, err),
        2);
}

TEST(TreemapCommand, AnUnwritableFileFailsWithOne) {
    TempDir data;
    WriteTree(data.Path(), {"a:1"});
    std::ostringstream out, err;
    EXPECT_EQ(RunCommandLine({"--treemap", (data.Path() / "no/such/m.png").string(), data.Str()},
                             out, err),
              1);
    EXPECT_NE(err.str().find("cannot write"), std::string::npos) << err.str();
}

} // namespace
