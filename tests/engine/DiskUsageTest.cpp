// Disk usage beside the apparent size: the totals du gives, each hard-linked inode counted
// once, and live edits that keep both counts right.
#include "EngineTestUtil.h"
#include "FixtureTree.h"

#include <cstdio>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <memory>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace quorvex;
using namespace quorvex::test;

namespace {

constexpr std::int64_t NowMs = 1765000000000;

// The first number `command` prints.
std::uint64_t FirstNumber(const std::string& command) {
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    unsigned long long value = 0;
    return pipe && std::fscanf(pipe.get(), "%llu", &value) == 1 ? value : ~0ull;
}

void WriteBytes(const fs::path& path, std::size_t bytes) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const std::string data(bytes, 'x');
    ASSERT_EQ(write(fd, data.data(), data.size()), ssize_t(data.size()));
    close(fd);
}

class DiskUsage : public testing::Test {
protected:
    // A sparse file, data, three links of one inode in two folders, a link to a file outside
    // the scan, a symbolic link and an empty folder.
    void SetUp() override {
        WriteTree(Dir.Path(), {"a/small:5", "b/", "empty/", "sym -> a/small"});
        WriteBytes(Dir.Path() / "a/data", 100000);
        WriteBytes(Outside.Path() / "kept", 20000);
        fs::create_hard_link(Dir.Path() / "a/data", Dir.Path() / "b/data2");
        fs::create_hard_link(Dir.Path() / "a/data", Dir.Path() / "b/data3");
        fs::create_hard_link(Outside.Path() / "kept", Dir.Path() / "b/kept");
        const int fd = open((Dir.Path() / "sparse").c_str(), O_WRONLY | O_CREAT, 0644);
        ASSERT_EQ(ftruncate(fd, 1 << 30), 0);
        ASSERT_EQ(pwrite(fd, "x", 1, 1 << 20), 1);
        close(fd);
    }
    void Scan(TDataCtrl& ctrl, bool disk, int threads = 1) {
        ctrl.SetClock([] { return NowMs; });
        ctrl.LoadGroups(DefaultRanges());
        ctrl.SetScanThreads(threads);
        ctrl.SetCountDiskUsage(disk);
        ctrl.ScanFolder(Dir.Str());
        ctrl.SetCurrentRoot(ctrl.Root());
    }
    TDataInfo* Find(TDataCtrl& ctrl, const std::string& relative) {
        return ctrl.Root()->FindByPath(Dir.Str() + "/" + relative);
    }
    std::string Fresh(bool disk, const std::string& shown = {}) {
        TDataCtrl fresh;
        Scan(fresh, disk);
        if (!shown.empty())
            fresh.SetCurrentRoot(Find(fresh, shown));
        return TreeFacts(fresh);
    }

    TempDir Dir, Outside;
    TDataCtrl Ctrl;
};

TEST_F(DiskUsage, TotalsEqualDuAndHardLinksCountOnceInEveryThreadCount) {
    const std::uint64_t du = FirstNumber("du -s -B1 '" + Dir.Str() + "'");
    for (const int threads : {1, 3}) {
        TDataCtrl ctrl;
        Scan(ctrl, true, threads);
        EXPECT_EQ(ctrl.Root()->Size(), du) << threads;
        EXPECT_EQ(ctrl.Root()->DiskSize(), du);
        // The first link in name order counts the inode, the others nothing.
        const std::uint64_t data = ctrl.HardLink(*Find(ctrl, "a/data"))->DiskBytes;
        EXPECT_GE(data, 100000u);
        EXPECT_EQ(Find(ctrl, "a/data")->Size(), data);
        EXPECT_EQ(Find(ctrl, "b/data2")->Size(), 0u);
        EXPECT_EQ(Find(ctrl, "b/data3")->Size(), 0u);
        EXPECT_EQ(ctrl.HardLink(*Find(ctrl, "b/data3"))->NLink, 3u);
        // Its other link lies outside: counted here in full.
        EXPECT_GE(Find(ctrl, "b/kept")->Size(), 20000u);
        EXPECT_EQ(ctrl.ApparentSize(*Find(ctrl, "sparse")), 1u << 30);
        EXPECT_LT(Find(ctrl, "sparse")->Size(), 1u << 20);
    }
}

TEST_F(DiskUsage, ApparentCountingKeepsEveryLinkAndSwitchingBackRestoresIt) {
    Scan(Ctrl, false);
    const std::string apparent = TreeFacts(Ctrl);
    EXPECT_EQ(Find(Ctrl, "b/data2")->Size(), 100000u);
    EXPECT_EQ(Ctrl.Root()->Size(),
              std::uint64_t(5 + 100000 * 3 + 20000 + (1 << 30) + std::string("a/small").size()));
    Ctrl.SetCountDiskUsage(true);
    EXPECT_EQ(TreeFacts(Ctrl), Fresh(true));
    Ctrl.SetCountDiskUsage(false);
    EXPECT_EQ(TreeFacts(Ctrl), apparent);
}

class DiskUsageEdits : public DiskUsage, public testing::WithParamInterface<bool> {};

// Removing the link that counts the inode hands the count to the next link.
TEST_P(DiskUsageEdits, RemovalsAndRefreshesEqualAFreshScan) {
    const bool disk = GetParam();
    Scan(Ctrl, disk);
    fs::remove(Dir.Path() / "a/data");
    Ctrl.RemoveEntries({Find(Ctrl, "a/data")});
    EXPECT_EQ(TreeFacts(Ctrl), Fresh(disk));
    fs::create_hard_link(Dir.Path() / "b/data2", Dir.Path() / "a/0first");
    Ctrl.SetCurrentRoot(Find(Ctrl, "b"));
    Ctrl.RefreshFolder(Find(Ctrl, "a"));
    EXPECT_EQ(TreeFacts(Ctrl), Fresh(disk, "b"));
    fs::remove_all(Dir.Path() / "b");
    Ctrl.RemoveEntries({Find(Ctrl, "b")});
    EXPECT_EQ(TreeFacts(Ctrl), Fresh(disk));
}

INSTANTIATE_TEST_SUITE_P(Counts, DiskUsageEdits, testing::Bool(),
                         [](const auto& param) { return param.param ? "disk" : "apparent"; });

} // namespace
