// The command-line program end to end: arguments, output, exit status.
#include "FixtureTree.h"
#include "uCommandLine.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace fs = std::filesystem;
using namespace quorvex;
using namespace quorvex::test;

namespace {

struct Result {
    int Status;
    std::string Out, Err;
};

class CommandLine : public testing::Test {
protected:
    Result Run(std::vector<std::string> args) {
        std::ostringstream out, err;
        const int status = RunCommandLine(args, out, err);
        return {status, out.str(), err.str()};
    }
    std::string Config() const { return (Work.Path() / "conf.xml").string(); }
    TempDir Work;
    TempDir Data;
};

TEST_F(CommandLine, SummaryPrintsTheFiveFigures) {
    WriteTree(Data.Path(), {"a.txt:1000", "b.TXT:500", "sub/c:36", "sub/deep/d.txt:0"});
    const Result r = Run({"--summary", "--config", Config(), Data.Str()});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Out, "Folder Path: " + Data.Str() +
                         "\n"
                         "Total Sizes: 1.50 KB( 1536 Byte)\n"
                         "Folders Quantity: 3\n"
                         "Files Quantity: 4\n"
                         "Files Type Quantity: 3\n");
    EXPECT_EQ(r.Err, "");
    EXPECT_EQ(fs::file_size(Config()), 1841u); // created with the default document
}

TEST_F(CommandLine, FolderArgumentIsMadeAbsoluteWithoutTrailingSlash) {
    const fs::path previous = fs::current_path();
    fs::current_path(Data.Path());
    const Result r = Run({"--summary", "--config", Config(), "./"});
    fs::current_path(previous);
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Out.substr(0, r.Out.find('\n')), "Folder Path: " + Data.Str());
    EXPECT_NE(r.Out.find("Folders Quantity: 1\nFiles Quantity: 0\nFiles Type Quantity: 0\n"),
              std::string::npos);
}

TEST_F(CommandLine, FailuresExitWithOneAndOneLine) {
    Result r = Run({"--summary", "--config", Config(), Data.Str() + "/missing"});
    EXPECT_EQ(r.Status, 1);
    EXPECT_EQ(std::count(r.Err.begin(), r.Err.end(), '\n'), 1) << r.Err;
    EXPECT_EQ(r.Out, "");

    std::ofstream(Config()) << "<config versionNo=\"3\"";
    r = Run({"--summary", "--config", Config(), Data.Str()});
    EXPECT_EQ(r.Status, 1);
    EXPECT_NE(r.Err.find(Config()), std::string::npos) << r.Err;
}

TEST_F(CommandLine, BadUsageExitsWithTwo) {
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"--bogus", "x"}, {"--config"}, {"a", "b"}, {"--summary"}}) {
        const Result r = Run(args);
        EXPECT_EQ(r.Status, 2) << testing::PrintToString(args);
        EXPECT_NE(r.Err.find("quorvex: "), std::string::npos);
    }
}

TEST_F(CommandLine, WithoutSummaryTheWindowOpensWithAnOptionalFolder) {
    TCommandLine cmd = ParseCommandLine({});
    EXPECT_EQ(cmd.Action, TCommandLine::EAction::Window);
    EXPECT_EQ(cmd.Folder, "");
    cmd = ParseCommandLine({"--config", "c.xml", "/usr/"});
    EXPECT_EQ(cmd.Action, TCommandLine::EAction::Window);
    EXPECT_EQ(cmd.Folder, "/usr");
    EXPECT_EQ(cmd.ConfigFile, "c.xml");
    EXPECT_EQ(ParseCommandLine({"/"}).Folder, "/");
    EXPECT_EQ(Run({Data.Str()}).Status, 2); // the window is not this function's to open
}

TEST_F(CommandLine, HelpAndVersion) {
    Result r = Run({"--help"});
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Out.rfind("Usage: quorvex", 0), 0u);
    r = Run({"--version"});
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Out.rfind("quorvex ", 0), 0u);
}

TEST_F(CommandLine, UnreadableFoldersAreCountedButNamedOnStderr) {
    if (!PermissionsEnforced())
        GTEST_SKIP() << "root ignores permission bits";
    WriteTree(Data.Path(), {"locked/x:5", "ok:3"});
    fs::permissions(Data.Path() / "locked", fs::perms::none);
    const Result r = Run({"--summary", "--config", Config(), Data.Str()});
    EXPECT_EQ(r.Status, 0);
    EXPECT_NE(r.Out.find("Folders Quantity: 2\n"), std::string::npos);
    EXPECT_NE(r.Err.find(Data.Str() + "/locked"), std::string::npos);
}

} // namespace
