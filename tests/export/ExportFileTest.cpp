// The temporary-file rule: an export replaces its target only once the whole file is
// written; any failure leaves the old file as it was, with no leftovers beside it.
#include "ChildProcess.h"
#include "ExportTestUtil.h"
#include "FixtureTree.h"
#include "uExportVT.h"
#include "uExportVTEx.h"

#include <algorithm>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <memory>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using namespace quorvex;
using namespace quorvex::test;

namespace {

// Files larger than `bytes` cannot be written while the object lives (works for root too).
class TFileSizeLimit {
public:
    explicit TFileSizeLimit(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN); // write() then fails with EFBIG instead
        getrlimit(RLIMIT_FSIZE, &FOld);
        rlimit limit = FOld;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~TFileSizeLimit() { setrlimit(RLIMIT_FSIZE, &FOld); }

private:
    rlimit FOld{};
};

using TWriter = void (*)(const TExportView&, const fs::path&);
const TWriter CsvWriter = [](const TExportView& v, const fs::path& p) { WriteVTCsv(v, p); };
const TWriter ExcelWriter = [](const TExportView& v, const fs::path& p) { WriteVTExcel(v, p); };

// Large enough to pass the limit below: 20,000 rows of about 60 bytes.
TFakeView BigView() {
    std::vector<TFakeView::TRow> rows;
    for (int i = 0; i < 20000; ++i)
        rows.push_back({0,
                        {QStringLiteral("file-%1.txt").arg(i), QStringLiteral("/some/path"),
                         QStringLiteral("12.00 KB")}});
    return TFakeView({"Name", "Path", "Size"}, std::move(rows));
}

class TempFileRule : public testing::Test {
protected:
    void SetUp() override { WriteBytes(Target, "the user's old file"); }
    // Only the target itself is left in the folder.
    void ExpectUntouched() {
        EXPECT_EQ(ReadBytes(Target), "the user's old file");
        int entries = 0;
        for ([[maybe_unused]] const auto& e : fs::directory_iterator(Dir.Path()))
            ++entries;
        EXPECT_EQ(entries, 1);
    }
    template <typename F> std::string FailureOf(F&& write) {
        try {
            write();
        } catch (const std::exception& e) {
            return e.what();
        }
        ADD_FAILURE() << "the export did not fail";
        return {};
    }
    TempDir Dir;
    fs::path Target = Dir.Path() / "report.csv";
};

TEST_F(TempFileRule, AFailedWriteKeepsTheOldFileAndNamesFileAndReason) {
    TFileSizeLimit limit(64 * 1024);
    const std::string error = FailureOf([&] { WriteVTCsv(BigView(), Target); });
    EXPECT_NE(error.find(Target.string()), std::string::npos) << error;
    EXPECT_NE(error.find("File too large"), std::string::npos) << error;
    ExpectUntouched();
}

TEST_F(TempFileRule, AViewFailingHalfwayKeepsTheOldFile) {
    TFakeView view = BigView();
    view.ThrowAfter = 19000;
    for (auto write : {+[](const TExportView&v, const fs::path&p) { WriteVTHtml(v, p); },
                       +[](const TExportView&v, const fs::path&p) { WriteVTXml(v, p); },
                       +[](const TExportView&v, const fs::path&p) { WriteVTExcel(v, p); }}) {
        EXPECT_EQ(FailureOf([&] { write(view, Target); }), "the view went away");
        ExpectUntouched();
    }
}

TEST_F(TempFileRule, AMissingFolderIsReported) {
    const fs::path missing = Dir.Path() / "gone" / "x.txt";
    std::string error = FailureOf([&] { WriteVTText(BigView(), ",", missing); });
    EXPECT_NE(error.find(missing.string()), std::string::npos) << error;
    EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;
    error = FailureOf([&] { WriteVTExcel(BigView(), missing); });
    EXPECT_NE(error.find(missing.string()), std::string::npos) << error;
}

TEST_F(TempFileRule, ASuccessReplacesTheLinkTargetWithItsPermissions) {
    fs::permissions(Target, fs::perms::owner_read | fs::perms::owner_write);
    const fs::path link = Dir.Path() / "link.csv";
    fs::create_symlink("report.csv", link);
    WriteVTCsv(TFakeView({"A"}, {{0, {"x"}}}), link);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadBytes(Target), "A,\r\nx,\r\n");
    EXPECT_EQ(fs::status(Target).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(TempFileRule, PipesAreWrittenIntoAndFoldersRefused) {
    const fs::path fifo = Dir.Path() / "pipe.csv";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    WriteVTCsv(TFakeView({"A"}, {{0, {"x"}}}), fifo);
    char bytes[64] = {};
    EXPECT_EQ(std::string(bytes, std::size_t(::read(reader, bytes, sizeof bytes))), "A,\r\nx,\r\n");
    ::close(reader);
    EXPECT_TRUE(fs::is_fifo(fifo)); // not replaced by a file
    const std::string error = FailureOf([&] { WriteVTCsv(BigView(), Dir.Path()); });
    EXPECT_NE(error.find("Is a directory"), std::string::npos) << error;
}

// ---- Writers ended from outside ---------------------------------------------------------

// The hidden siblings in the target's folder.
std::vector<std::string> Siblings(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder))
        if (e.path().filename().string().starts_with("."))
            names.push_back(e.path().filename().string());
    return names;
}

// A child that writes `target` with `write` and stops for good after its 1000th row, once it
// has said so through the pipe. It starts with the signals' default actions, as a program
// started from a desktop does, whatever the test runner set.
std::unique_ptr<TChild> PausedWriter(TWriter write, const fs::path& target) {
    auto child = std::make_unique<TChild>([=](int report) {
        for (const int signal : {SIGTERM, SIGINT, SIGHUP})
            std::signal(signal, SIG_DFL);
        TFakeView view = BigView();
        view.BeforeRow = [report](std::size_t row) {
            if (row != 1000)
                return;
            if (::write(report, "w", 1) != 1)
                ::_exit(2);
            for (;;)
                ::pause();
        };
        write(view, target);
    });
    return child;
}

TEST_F(TempFileRule, AnEndingSignalRemovesTheSiblingAndStillEndsTheProcess) {
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        for (const TWriter write : {CsvWriter, ExcelWriter}) {
            SCOPED_TRACE(strsignal(signal));
            const auto child = PausedWriter(write, Target);
            ASSERT_EQ(child->Read(1), "w");
            EXPECT_EQ(Siblings(Dir.Path()).size(), 1u); // the writer is in the middle
            ::kill(child->Pid(), signal);
            const int status = child->Wait();
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
            ExpectUntouched();
        }
    }
}

TEST_F(TempFileRule, SiblingsOfKilledWritersGoBeforeTheNextWriteToTheTarget) {
    const auto child = PausedWriter(CsvWriter, Target);
    ASSERT_EQ(child->Read(1), "w");
    ::kill(child->Pid(), SIGKILL); // no handler runs
    child->Wait();
    const std::string dead = std::to_string(child->Pid());
    ASSERT_EQ(Siblings(Dir.Path()), std::vector<std::string>{".report.csv." + dead + "-0.part"});
    WriteBytes(Dir.Path() / (".report.csv." + dead + "-3.part"), "older attempt");
    // What is not a gone writer's sibling of this target stays: a live process's (pid 1
    // always lives), another target's, and names of another form.
    const std::vector<std::string> kept = {".report.csv.1-0.part",
                                           ".other.csv." + dead + "-0.part",
                                           ".report.csv." + dead + ".part",
                                           ".report.csv.x" + dead + "-0.part",
                                           ".report.csv." + dead + "-0.partial",
                                           "report.csv." + dead + "-0.part"};
    for (const std::string& name : kept)
        WriteBytes(Dir.Path() / name, "keep");

    WriteVTCsv(TFakeView({"A"}, {{0, {"x"}}}), Target);
    EXPECT_EQ(ReadBytes(Target), "A,\r\nx,\r\n");
    std::vector<std::string> left;
    for (const auto& e : fs::directory_iterator(Dir.Path()))
        left.push_back(e.path().filename().string());
    std::vector<std::string> expected = kept;
    expected.push_back("report.csv");
    std::sort(left.begin(), left.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(left, expected);
}

// ---- A folder that refuses new files ------------------------------------------------------

// Root ignores permission bits, so the writers run as an unprivileged user in a child.
class LockedFolder : public TempFileRule {
protected:
    void SetUp() override {
        TempFileRule::SetUp();
        if (::geteuid() == 0) { // the folder and file are the unprivileged user's own
            ASSERT_EQ(::chown(Dir.Path().c_str(), NobodyId, NobodyId), 0);
            ASSERT_EQ(::chown(Target.c_str(), NobodyId, NobodyId), 0);
        }
        ASSERT_EQ(::chmod(Target.c_str(), 0644), 0);
    }
    void Lock() { ASSERT_EQ(::chmod(Dir.Path().c_str(), 0555), 0); }
    // What writing `target` as the unprivileged user gave: "written" or the error text.
    static std::string WriteAsNobody(TWriter write, const fs::path& target) {
        return AsNobody([&]() -> std::string {
            try {
                write(TFakeView({"A"}, {{0, {"x"}}}), target);
                return "written";
            } catch (const std::exception& e) {
                return e.what();
            }
        });
    }
};

TEST_F(LockedFolder, AWritableFileIsWrittenInPlace) {
    Lock();
    ASSERT_EQ(WriteAsNobody(CsvWriter, Target), "written");
    EXPECT_EQ(ReadBytes(Target), "A,\r\nx,\r\n");
    ASSERT_EQ(WriteAsNobody(ExcelWriter, Target), "written");
    EXPECT_EQ(ReadBytes(Target).substr(0, 2), "PK"); // a zip archive: the workbook
    const fs::path link = Dir.Path() / "link.csv";
    ::chmod(Dir.Path().c_str(), 0755);
    fs::create_symlink("report.csv", link);
    Lock();
    ASSERT_EQ(WriteAsNobody(CsvWriter, link), "written");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadBytes(Target), "A,\r\nx,\r\n");
    EXPECT_EQ(fs::status(Target).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                  fs::perms::others_read);
}

TEST_F(LockedFolder, AReadOnlyFileOrANewOneIsRefused) {
    ASSERT_EQ(::chmod(Target.c_str(), 0444), 0);
    Lock();
    for (const TWriter write : {CsvWriter, ExcelWriter}) {
        const std::string error = WriteAsNobody(write, Target);
        EXPECT_NE(error.find(Target.string()), std::string::npos) << error;
        EXPECT_NE(error.find("Permission denied"), std::string::npos) << error;
        ExpectUntouched();
        const fs::path fresh = Dir.Path() / "new.csv";
        EXPECT_NE(WriteAsNobody(write, fresh).find("Permission denied"), std::string::npos);
        EXPECT_FALSE(fs::exists(fresh));
    }
}

} // namespace
