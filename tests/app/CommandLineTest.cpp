// The command-line program end to end: arguments, output, exit status.
#include "FixtureTree.h"
#include "ForkedChild.h"
#include "uAccessTimes.h"
#include "uCommandLine.h"
#include "uReportDocs.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/mount.h>

namespace fs = std::filesystem;
using namespace quorvex;
using namespace quorvex::test;

namespace {

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

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
    // The last line --summary writes on standard error for the data folder's volume.
    std::string AccessLine() const {
        return "quorvex: " + AccessTimesNote(AccessTimesOf(Data.Str())) + "\n";
    }
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
    EXPECT_EQ(r.Err, AccessLine());
    EXPECT_EQ(fs::file_size(Config()), 1922u); // created with the default document
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
             {"--bogus", "x"}, {"--config"}, {"--summary", "a", "b"}, {"--summary"}}) {
        const Result r = Run(args);
        EXPECT_EQ(r.Status, 2) << testing::PrintToString(args);
        EXPECT_NE(r.Err.find("quorvex: "), std::string::npos);
    }
}

// A shell can sit in a folder that another program removed; a relative folder then names
// nothing, and that is an ordinary failure, not a crash.
TEST_F(CommandLine, RelativeFolderInARemovedWorkingFolderFails) {
    const fs::path previous = fs::current_path();
    const fs::path gone = Work.Path() / "gone";
    fs::create_directory(gone);
    fs::current_path(gone);
    fs::remove(gone);
    Result r = Run({"--summary", "--config", Config(), "sub"});
    const Result absolute = Run({"--summary", "--config", Config(), Data.Str()});
    fs::current_path(previous);
    EXPECT_EQ(r.Status, 1);
    EXPECT_EQ(r.Err.rfind("quorvex: ", 0), 0u) << r.Err;
    EXPECT_NE(r.Err.find("'sub'"), std::string::npos) << r.Err;
    EXPECT_NE(r.Err.find("current folder"), std::string::npos) << r.Err;
    EXPECT_EQ(std::count(r.Err.begin(), r.Err.end(), '\n'), 1) << r.Err;
    EXPECT_EQ(absolute.Status, 0) << absolute.Err; // absolute folders need no working folder
}

TEST_F(CommandLine, WindowNeedsADisplayOrAPlatform) {
    EXPECT_TRUE(MissingDisplayMessage(nullptr, nullptr, nullptr));
    EXPECT_FALSE(MissingDisplayMessage(":0", nullptr, nullptr));
    EXPECT_FALSE(MissingDisplayMessage(nullptr, "wayland-0", nullptr));
    EXPECT_FALSE(MissingDisplayMessage("", "", "offscreen"));
    const auto message = MissingDisplayMessage("", "", "");
    ASSERT_TRUE(message);
    EXPECT_NE(message->find("--summary"), std::string::npos) << *message;
    EXPECT_NE(message->find("--report"), std::string::npos) << *message;
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
    // A file manager passes every selected folder: one window each.
    cmd = ParseCommandLine({"--read-only", "/usr/", "/tmp", "/"});
    EXPECT_EQ(cmd.Folder, "/usr");
    EXPECT_EQ(cmd.MoreFolders, (std::vector<std::string>{"/tmp", "/"}));
    // Each opens with the same options, a folder named like an option included.
    cmd = ParseCommandLine({"--config", "c.xml", "--threads", "3", "--read-only", "/usr"});
    const TCommandLine other = ParseCommandLine(WindowArguments(cmd, "/tmp/--help"));
    EXPECT_EQ(other.Action, TCommandLine::EAction::Window);
    EXPECT_EQ(other.Folder, "/tmp/--help");
    EXPECT_TRUE(other.ReadOnly && other.MoreFolders.empty());
    EXPECT_EQ(other.ConfigFile, "c.xml");
    EXPECT_EQ(other.Threads, 3);
    EXPECT_EQ(Run({Data.Str()}).Status, 2); // the window is not this function's to open
}

TEST_F(CommandLine, HelpAndVersion) {
    Result r = Run({"--help"});
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Out.rfind("Usage: quorvex", 0), 0u);
    r = Run({"--version"});
    EXPECT_EQ(r.Status, 0);
    // The product's title first, then the build's own number.
    EXPECT_EQ(r.Out.rfind("Quorvex 2.7.5 (build ", 0), 0u) << r.Out;
    EXPECT_EQ(r.Out.find('\n'), r.Out.size() - 1) << r.Out;
    EXPECT_EQ(r.Out.substr(r.Out.size() - 2), ")\n") << r.Out;
}

// As an ordinary user (root ignores permission bits): the summary keeps its five lines, the
// folder is counted, and standard error names it with the reason.
TEST_F(CommandLine, UnreadableFoldersAreCountedButNamedOnStderr) {
    WriteTree(Data.Path(), {"locked/x:5", "ok:3"});
    fs::permissions(Data.Path() / "locked", fs::perms::none);
    HandOver(Work.Path(), NobodyId);
    HandOver(Data.Path(), NobodyId);
    const TChildResult child = RunInChild({.User = NobodyId}, [&] {
        const Result r = Run({"--summary", "--config", Config(), Data.Str()});
        return std::to_string(r.Status) + "\n" + r.Out.substr(r.Out.find("Folders")) + r.Err;
    });
    if (!child.Refused.empty())
        GTEST_SKIP() << child.Refused;
    EXPECT_EQ(child.Output, "0\nFolders Quantity: 2\nFiles Quantity: 1\nFiles Type Quantity: 1\n"
                            "quorvex: 1 folder(s) not scanned, first: " +
                                Data.Str() + "/locked (permission denied)\n" + AccessLine());
}

// Every reason is named, a mount point too; the report lists such folders in their own
// view and never as empty folders.
TEST_F(CommandLine, FoldersOnOtherMountsAreNamedAndReported) {
    WriteTree(Data.Path(), {"mnt/", "ok:3", "empty/"});
    const fs::path text = Work.Path() / "r.txt";
    const TChildResult child = RunInChild({.PrivateMounts = true}, [&] {
        if (mount("tmpfs", (Data.Path() / "mnt").c_str(), "tmpfs", 0, "size=1m") != 0)
            return std::string("exception: cannot mount a tmpfs");
        const Result summary = Run({"--summary", "--config", Config(), Data.Str()});
        const Result report =
            Run({"--report", text.string(), "--view", "Folders-NotScanned", "--view",
                 "Folders - Empty Folders", "--config", Config(), Data.Str()});
        return summary.Err + std::to_string(report.Status) + "\n";
    });
    if (!child.Refused.empty() || child.Output.rfind("exception: cannot mount", 0) == 0)
        GTEST_SKIP() << child.Refused << child.Output;
    const std::string line =
        "quorvex: 1 folder(s) not scanned, first: " + Data.Str() + "/mnt (other volume)\n";
    EXPECT_EQ(child.Output, line + AccessLine() + "0\n");
    const std::string report = ReadFile(text);
    const auto notScanned = report.find("Folders - Not Scanned\r\n");
    ASSERT_NE(notScanned, std::string::npos) << report;
    EXPECT_EQ(report.substr(notScanned), "Folders - Not Scanned\r\n"
                                         "Full Path  ,  Reason  ,  \r\n" +
                                             Data.Str() + "/mnt  ,  other volume  ,  \r\n");
    const std::string empty = report.substr(0, notScanned);
    EXPECT_NE(empty.find(Data.Str() + "/empty  ,"), std::string::npos) << empty;
    EXPECT_EQ(empty.find(Data.Str() + "/mnt"), std::string::npos) << empty;
}

// On a noatime volume the five lines stay as they are and standard error says why the
// never-used reports cannot be trusted there; a scan file read back knows no volume.
TEST_F(CommandLine, SummaryOnANoatimeVolumeSaysSoOnStderr) {
    const std::string saved = Work.Str() + "/scan.json";
    const TChildResult child = RunInChild({.PrivateMounts = true}, [&] {
        if (mount("tmpfs", Data.Path().c_str(), "tmpfs", MS_NOATIME, "size=1m") != 0)
            return std::string("exception: cannot mount a tmpfs");
        WriteTree(Data.Path(), {"a.txt:1000", "sub/b:24"});
        const Result summary = Run({"--summary", "--config", Config(), Data.Str()});
        Run({"--export-scan", saved, "--config", Config(), Data.Str()});
        const Result loaded = Run({"--summary", "--config", Config(), "--load", saved});
        return summary.Out + summary.Err + loaded.Err;
    });
    if (!child.Refused.empty() || child.Output.rfind("exception: cannot mount", 0) == 0)
        GTEST_SKIP() << "mounting a tmpfs is not permitted here: " << child.Refused << child.Output;
    EXPECT_EQ(child.Output, "Folder Path: " + Data.Str() +
                                "\n"
                                "Total Sizes: 1.00 KB( 1024 Byte)\n"
                                "Folders Quantity: 2\n"
                                "Files Quantity: 2\n"
                                "Files Type Quantity: 2\n"
                                "quorvex: " +
                                AccessTimesNote(EAccessTimes::Never) + "\n" +
                                "quorvex: " + AccessTimesNote(EAccessTimes::Unknown) + "\n");
}

TEST_F(CommandLine, ReadOnlyIsAnOptionOnlyBeforeTheEndOfOptions) {
    EXPECT_FALSE(ParseCommandLine({"/"}).ReadOnly);
    const TCommandLine cmd = ParseCommandLine({"--read-only", "/"});
    EXPECT_TRUE(cmd.ReadOnly);
    EXPECT_EQ(cmd.Action, TCommandLine::EAction::Window);
    EXPECT_EQ(cmd.Folder, "/");
    // After "--" it names a folder (made absolute), and the window may delete.
    const TCommandLine folder = ParseCommandLine({"--", "--read-only"});
    EXPECT_FALSE(folder.ReadOnly);
    EXPECT_NE(folder.Folder.find("/--read-only"), std::string::npos) << folder.Folder;
    EXPECT_NE(UsageText().find("--read-only"), std::string::npos);
}

TEST_F(CommandLine, ThreadsChooseTheScanThreadsAndChangeNoFigure) {
    EXPECT_EQ(ParseCommandLine({"/"}).Threads, 0); // the engine's default
    EXPECT_EQ(ParseCommandLine({"--threads", "3", "/"}).Threads, 3);
    for (const std::string bad : {"0", "65", "x", "2x", "-1", ""})
        EXPECT_EQ(Run({"--summary", "--threads", bad, Data.Str()}).Status, 2) << bad;
    EXPECT_EQ(Run({"--summary", Data.Str(), "--threads"}).Status, 2);
    WriteTree(Data.Path(), {"a/b:5", "c/d/e:7", "f:1", "g/"});
    const Result one = Run({"--summary", "--threads", "1", "--config", Config(), Data.Str()});
    const Result many = Run({"--summary", "--threads", "8", "--config", Config(), Data.Str()});
    EXPECT_EQ(one.Status, 0);
    EXPECT_NE(one.Out.find("Folders Quantity: 5\n"), std::string::npos) << one.Out;
    EXPECT_EQ(many.Out, one.Out);
}

TEST_F(CommandLine, ReportOptionsNameFileFormatAndViews) {
    TCommandLine cmd = ParseCommandLine({"--report", "out.XLSX", "/usr/"});
    EXPECT_EQ(cmd.Action, TCommandLine::EAction::Report);
    EXPECT_EQ(cmd.ReportFile, "out.XLSX");
    EXPECT_EQ(cmd.Format, EExportFormat::Excel);
    EXPECT_EQ(cmd.Views.size(), AllReportViewCount()); // every view by default
    EXPECT_EQ(cmd.Folder, "/usr");
    cmd = ParseCommandLine({"--view", "Files Name Length", "--report", "r.dat", "--format", "CSV",
                            "--view", "total folder tree", "--view", "Files-AllFiles", "--view",
                            "Files - All Files", "/"});
    EXPECT_EQ(cmd.Format, EExportFormat::Csv);
    EXPECT_EQ(cmd.Views, (std::vector<std::size_t>{0, 6, 12})); // the dialog's order, once each
}

TEST_F(CommandLine, BadReportUsageExitsWithTwo) {
    const std::string dir = Data.Str();
    for (const auto& args :
         std::vector<std::vector<std::string>>{{"--report", "x.doc", dir},
                                               {"--report", "x.csv", "--format", "pdf", dir},
                                               {"--report", "x.csv", "--view", "Nope", dir},
                                               {"--report", "x.csv"},
                                               {"--report"},
                                               {"--format", "csv", dir},
                                               {"--view", "Files-AllFiles", dir},
                                               {"--summary", "--report", "x.csv", dir}}) {
        const Result r = Run(args);
        EXPECT_EQ(r.Status, 2) << testing::PrintToString(args);
        EXPECT_EQ(r.Err.rfind("quorvex: ", 0), 0u) << r.Err;
    }
    EXPECT_NE(Run({"--help"}).Out.find("--report FILE"), std::string::npos);
}

TEST_F(CommandLine, ReportWritesTheNamedViewsOverTheOldFile) {
    WriteTree(Data.Path(), {"a/x.txt:10", "b.csv:3"});
    const fs::path xml = Work.Path() / "r.xml";
    std::ofstream(xml) << "old";
    Result r = Run({"--report", xml.string(), "--view", "Files-AllFiles", "--view",
                    "Total Folder Tree", "--config", Config(), Data.Str()});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Out + r.Err, "");
    const std::string report = ReadFile(xml);
    EXPECT_EQ(report.rfind("<?xml version=\"1.0\" standalone=\"yes\" ?>\r\n", 0), 0u);
    const auto tree = report.find("<TotalFolderTree>\r\n<file FolderName=\"" + Data.Str());
    const auto files = report.find("</TotalFolderTree><Files-AllFiles>");
    EXPECT_LT(tree, files);
    EXPECT_NE(report.find("<file FileName=\"x.txt\"  FullPath=", files), std::string::npos)
        << report;
    EXPECT_EQ(report.find("Summary-DetailList"), std::string::npos);

    // By default every view with entries gets its section; the workbook is a zip file.
    r = Run({"--report", (Work.Path() / "all.txt").string(), "--config", Config(), Data.Str()});
    EXPECT_EQ(r.Status, 0) << r.Err;
    const std::string text = ReadFile(Work.Path() / "all.txt");
    EXPECT_NE(text.find("\r\nFiles Name Length\r\nGroup  ,  Total Size  ,  Files Count  ,  \r\n"),
              std::string::npos);
    EXPECT_EQ(text.find("Folders - Empty Folders"), std::string::npos); // no empty folder
    r = Run({"--report", (Work.Path() / "r.xlsx").string(), "--config", Config(), Data.Str()});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(ReadFile(Work.Path() / "r.xlsx").substr(0, 2), "PK");
}

TEST_F(CommandLine, AFailedReportKeepsTheOldFile) {
    const fs::path out = Work.Path() / "r.htm";
    std::ofstream(out) << "old";
    const Result r = Run({"--report", out.string(), "--config", Config(), Data.Str() + "/gone"});
    EXPECT_EQ(r.Status, 1);
    EXPECT_EQ(std::count(r.Err.begin(), r.Err.end(), '\n'), 1) << r.Err;
    EXPECT_EQ(ReadFile(out), "old");
    const Result unwritable =
        Run({"--report", (Work.Path() / "no/r.htm").string(), "--config", Config(), Data.Str()});
    EXPECT_EQ(unwritable.Status, 1);
    EXPECT_NE(unwritable.Err.find("no/r.htm"), std::string::npos) << unwritable.Err;
}

} // namespace
