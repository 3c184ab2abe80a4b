// --compare: a folder (or a loaded scan) against a saved scan of it, end to end.
#include "CommandRun.h"
#include "FixtureTree.h"
#include "uBaseFunction.h"
#include "uCommandLine.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>

namespace fs = std::filesystem;
using namespace quorvex;
using namespace quorvex::test;

namespace {

class CompareCommand : public testing::Test {
protected:
    TCommandRun Run(std::vector<std::string> args) {
        return RunWithConfig(std::move(args), Work.Path() / "c.xml");
    }
    // Saves the scan of `folder` as --export-scan does; returns the file.
    std::string Save(const std::string& folder, const std::string& name,
                     std::vector<std::string> more = {}) {
        const std::string file = (Work.Path() / name).string();
        more.insert(more.end(), {"--export-scan", file, folder});
        const TCommandRun r = Run(more);
        EXPECT_EQ(r.Status, 0) << r.Err;
        return file;
    }
    TempDir Work, Data;
};

TEST_F(CompareCommand, OptionsNameTheBaseAndTheFolderOrScan) {
    TCommandLine cmd = ParseCommandLine({"--compare", "week.json", "/usr/"});
    EXPECT_EQ(cmd.Action, TCommandLine::EAction::Compare);
    EXPECT_EQ(cmd.CompareFile, "week.json");
    EXPECT_EQ(cmd.Folder, "/usr");
    cmd = ParseCommandLine({"--load", "now.json", "--disk-usage", "--compare", "week.json"});
    EXPECT_EQ(cmd.LoadFile, "now.json");
    EXPECT_TRUE(cmd.DiskUsage);
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"--compare"}, {"--compare", "b.json"}, {"--summary", "--compare", "b.json", "/"}}) {
        const TCommandRun r = Run(args);
        EXPECT_EQ(r.Status, 2) << testing::PrintToString(args);
        EXPECT_EQ(r.Err.rfind("quorvex: ", 0), 0u) << r.Err;
    }
}

TEST_F(CompareCommand, PrintsTheFiveLinesThenTheGrowths) {
    WriteTree(Data.Path(), {"a.txt:100", "c:10", "keep/k:5"});
    const std::string base = Save(Data.Str(), "base.json");
    fs::resize_file(Data.Path() / "a.txt", 1124);
    fs::remove(Data.Path() / "c");
    WriteTree(Data.Path(), {"big.bin:2048"});

    const TCommandRun r = Run({"--compare", base, Data.Str()});
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Err, "");
    // +2048 new, +1024 grown, -10 removed; changed: the root and a.txt.
    EXPECT_EQ(r.Out, "Base: " + base + "\n" +
                         "Total Change: +2.99 KB( +3062 Byte)\n"
                         "Entries Added: 1\n"
                         "Entries Removed: 1\n"
                         "Entries Changed: 2\n"
                         "+2.00 KB\t" +
                         Data.Str() + "/big.bin\n" + "+1.00 KB\t" + Data.Str() + "/a.txt\n");

    // The current side may be a saved scan too: the same figures.
    const std::string now = Save(Data.Str(), "now.json.zst");
    EXPECT_EQ(Run({"--compare", base, "--load", now}).Out, r.Out);
}

TEST_F(CompareCommand, ShrinkingAndNoChangeReadAsSuch) {
    WriteTree(Data.Path(), {"a:3000"});
    const std::string base = Save(Data.Str(), "base.json");
    TCommandRun r = Run({"--compare", base, Data.Str()});
    EXPECT_NE(r.Out.find("\nTotal Change: 0.00 B( 0 Byte)\nEntries Added: 0\nEntries Removed: "
                         "0\nEntries Changed: 0\n"),
              std::string::npos)
        << r.Out;
    fs::resize_file(Data.Path() / "a", 952);
    r = Run({"--compare", base, Data.Str()});
    EXPECT_NE(r.Out.find("\nTotal Change: -2.00 KB( -2048 Byte)\n"), std::string::npos) << r.Out;
    EXPECT_EQ(r.Out.find('\t'), std::string::npos) << "a shrink is no growth: " << r.Out;
}

TEST_F(CompareCommand, AtMostTwentyGrowthsLargestFirst) {
    WriteTree(Data.Path(), {"old:1"});
    const std::string base = Save(Data.Str(), "base.json");
    for (int i = 1; i <= 25; ++i)
        WriteTree(Data.Path(), {"f" + std::to_string(i) + ":" + std::to_string(i * 2048)});
    const TCommandRun r = Run({"--compare", base, Data.Str()});
    ASSERT_EQ(r.Status, 0) << r.Err;
    std::istringstream lines(r.Out);
    std::vector<std::string> growths;
    for (std::string line; std::getline(lines, line);)
        if (line.find('\t') != std::string::npos)
            growths.push_back(line);
    ASSERT_EQ(growths.size(), 20u);
    EXPECT_EQ(growths.front(), "+50.00 KB\t" + Data.Str() + "/f25");
    EXPECT_EQ(growths.back(), "+12.00 KB\t" + Data.Str() + "/f6");
}

TEST_F(CompareCommand, DiskUsageComparesAllocatedBytes) {
    WriteTree(Data.Path(), {"old:1"});
    const std::string base = Save(Data.Str(), "base.json", {"--disk-usage"});
    WriteTree(Data.Path(), {"new:1"});
    struct stat st {};
    ASSERT_EQ(lstat((Data.Path() / "new").c_str(), &st), 0);
    if (st.st_blocks == 0)
        GTEST_SKIP() << "the file system keeps one byte without a block";
    const TCommandRun r = Run({"--disk-usage", "--compare", base, Data.Str()});
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_NE(
        r.Out.find("+" + FormatSize(double(st.st_blocks) * 512) + "\t" + Data.Str() + "/new\n"),
        std::string::npos)
        << r.Out;
}

TEST_F(CompareCommand, BasesThatCannotBeUsedAreRefused) {
    WriteTree(Data.Path(), {"sub/a:1"});
    const std::string other = Save(Data.Str() + "/sub", "other.json");
    std::ofstream(Work.Path() / "bad.json") << "not a scan";
    const std::string missing = (Work.Path() / "missing.json").string();
    const std::string now = Save(Data.Str(), "now.json");
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"--compare", other, Data.Str()},
             {"--compare", other, "--load", now},
             {"--compare", missing, Data.Str()},
             {"--compare", (Work.Path() / "bad.json").string(), Data.Str()}}) {
        const TCommandRun r = Run(args);
        EXPECT_EQ(r.Status, 1) << testing::PrintToString(args);
        EXPECT_EQ(r.Out, "");
        EXPECT_EQ(r.Err.rfind("quorvex: ", 0), 0u) << r.Err;
        EXPECT_EQ(r.Err.find('\n'), r.Err.size() - 1) << "one line: " << r.Err;
        EXPECT_NE(r.Err.find(args[1] == other ? "not of '" + Data.Str() + "'" : args[1]),
                  std::string::npos)
            << r.Err;
    }
}

} // namespace
