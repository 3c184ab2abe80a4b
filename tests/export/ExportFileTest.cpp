// The temporary-file rule: an export replaces its target only once the whole file is
// written; any failure leaves the old file as it was, with no leftovers beside it.
#include "ExportTestUtil.h"
#include "FixtureTree.h"
#include "uExportVT.h"
#include "uExportVTEx.h"

#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

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

TEST_F(TempFileRule, ALockedFolderIsReported) {
    if (!PermissionsEnforced())
        GTEST_SKIP() << "root ignores permission bits";
    fs::permissions(Dir.Path(), fs::perms::owner_read | fs::perms::owner_exec);
    const std::string error = FailureOf([&] { WriteVTCsv(BigView(), Target); });
    fs::permissions(Dir.Path(), fs::perms::owner_all);
    EXPECT_NE(error.find("Permission denied"), std::string::npos) << error;
    ExpectUntouched();
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

} // namespace
