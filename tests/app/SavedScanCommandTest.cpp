// Saved scans on the command line: --export-scan writes what --load reads back, and the
// same five summary lines come out of both, in either count.
#include "CommandRun.h"
#include "FixtureTree.h"
#include "uCommandLine.h"

#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>

namespace fs = std::filesystem;
using namespace quorvex;
using namespace quorvex::test;

namespace {

class SavedScanCommand : public testing::Test {
protected:
    void SetUp() override {
        WriteTree(Data.Path(), {"a.txt:1000", "b.TXT:500", "sub/c:36", "sub/deep/d.txt:0"});
        fs::create_hard_link(Data.Path() / "a.txt", Data.Path() / "sub/a-again.txt");
    }
    TCommandRun Run(std::vector<std::string> args) {
        return RunWithConfig(std::move(args), Work.Path() / "conf.xml");
    }
    // The program itself, for what goes to its standard output directly.
    static std::string ProgramOutput(const std::string& arguments) {
        std::unique_ptr<FILE, int (*)(FILE*)> pipe(
            popen((std::string(QUORVEX_PROGRAM) + " " + arguments).c_str(), "r"), pclose);
        std::string text;
        char buffer[4096];
        while (pipe && std::fgets(buffer, sizeof buffer, pipe.get()))
            text += buffer;
        return text;
    }
    TempDir Work, Data;
};

TEST_F(SavedScanCommand, ASavedScanSummarisesAsTheFolderInBothCounts) {
    for (const char* name : {"scan.json", "scan.json.zst"}) {
        const std::string file = (Work.Path() / name).string();
        ASSERT_EQ(Run({"--export-scan", file, Data.Str()}).Status, 0);
        for (const bool disk : {false, true}) {
            std::vector<std::string> live = {"--summary", Data.Str()},
                                     loaded = {"--summary", "--load", file};
            if (disk) {
                live.push_back("--disk-usage");
                loaded.push_back("--disk-usage");
            }
            const TCommandRun a = Run(live), b = Run(loaded);
            EXPECT_EQ(a.Status, 0) << a.Err;
            EXPECT_EQ(b.Status, 0) << b.Err;
            EXPECT_EQ(b.Out, a.Out) << name << disk;
        }
    }
    // Disk usage counts the hard-linked file once; the apparent size counts both links.
    EXPECT_NE(Run({"--summary", Data.Str()}).Out.find("( 2536 Byte)"), std::string::npos);
}

TEST_F(SavedScanCommand, ADashWritesTheScanToStandardOutput) {
    const std::string text = ProgramOutput("--export-scan - '" + Data.Str() + "'");
    ASSERT_EQ(text.rfind("[1,2,{\"progname\":\"quorvex\"", 0), 0u) << text.substr(0, 80);
    const std::string file = (Work.Path() / "piped.json").string();
    std::ofstream(file) << text;
    EXPECT_EQ(Run({"--summary", "--load", file}).Out, Run({"--summary", Data.Str()}).Out);
}

TEST_F(SavedScanCommand, BadFilesAndBadUsageAreRefused) {
    const std::string bad = (Work.Path() / "bad.json").string();
    std::ofstream(bad) << "[1,2,{},\n[{\"name\":\"/x\"},\n{\"name\":\"..\"}]]";
    const TCommandRun r = Run({"--summary", "--load", bad});
    EXPECT_EQ(r.Status, 1);
    EXPECT_EQ(r.Out, "");
    EXPECT_NE(r.Err.find(bad), std::string::npos) << r.Err;
    EXPECT_NE(r.Err.find("at byte"), std::string::npos) << r.Err;
    EXPECT_EQ(Run({"--summary", "--load", bad, Data.Str()}).Status, 2); // both: which one?
    EXPECT_EQ(Run({"--export-scan", bad}).Status, 2);                   // nothing to save
    EXPECT_EQ(Run({"--export-scan", bad, "--summary", Data.Str()}).Status, 2);
    EXPECT_EQ(
        Run({"--export-scan", (Work.Path() / "no/such/folder.json").string(), Data.Str()}).Status,
        1);
}

TEST_F(SavedScanCommand, TheWindowOpensAScanFileGivenInPlaceOfAFolder) {
    const std::string file = (Work.Path() / "scan.json").string();
    ASSERT_EQ(Run({"--export-scan", file, Data.Str()}).Status, 0);
    const TCommandLine cmd = ParseCommandLine({file});
    EXPECT_EQ(cmd.Action, TCommandLine::EAction::Window);
    EXPECT_EQ(cmd.LoadFile, file);
    EXPECT_TRUE(cmd.Folder.empty());
    // A folder that happens to end in ".json" is still a folder.
    fs::create_directory(Work.Path() / "folder.json");
    EXPECT_EQ(ParseCommandLine({(Work.Path() / "folder.json").string()}).LoadFile, "");
}

} // namespace
