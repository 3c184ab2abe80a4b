// Trees that break naive scanners: links, depth, unreadable folders, cancellation, mounts.
#include "EngineTestUtil.h"
#include "FixtureTree.h"
#include "ForkedChild.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace quorvex;
using namespace quorvex::test;

namespace {

class Robustness : public testing::Test {
protected:
    void SetUp() override { Ctrl.LoadGroups(DefaultRanges()); }
    TDataInfo* Find(const std::string& relative) {
        return Ctrl.Root()->FindByPath(Dir.Str() + "/" + relative);
    }
    TempDir Dir;
    TDataCtrl Ctrl;
};

TEST_F(Robustness, LinksAreListedWithTheirOwnSizeAndNeverFollowed) {
    WriteTree(Dir.Path(), {"docs/a.txt:5", "docs/up -> ..", "docs/self -> .", "dangling -> nowhere",
                           "tolink -> docs/a.txt"});
    Ctrl.ScanFolder(Dir.Str());
    EXPECT_EQ(DumpTree(*Ctrl.Root()), "dangling 7\n"
                                      "docs/ 8\n"
                                      "docs/a.txt 5\n"
                                      "docs/self 1\n"
                                      "docs/up 2\n"
                                      "tolink 10\n");
    EXPECT_EQ(Find("docs/up")->IsFolder(), 0);
    EXPECT_TRUE(Ctrl.Problems().empty());
}

TEST_F(Robustness, SpecialFilesAreFilesOfSizeZero) {
    ASSERT_EQ(mkfifo((Dir.Path() / "pipe").c_str(), 0600), 0);
    Ctrl.ScanFolder(Dir.Str());
    ASSERT_NE(Find("pipe"), nullptr);
    EXPECT_EQ(Find("pipe")->IsFolder(), 0);
    EXPECT_EQ(Find("pipe")->FileSize(), "0");
}

// Deeper than any path limit and deeper than the open-descriptor budget of the scanner.
TEST_F(Robustness, ChainTwoThousandFoldersDeep) {
    std::string relative;
    for (int i = 0; i < 2000; ++i)
        relative += "level_" + std::to_string(i) + "/";
    // Built with descriptors relative to the parent: the full path exceeds PATH_MAX.
    int fd = open(Dir.Str().c_str(), O_RDONLY | O_DIRECTORY);
    for (int i = 0; i < 2000; ++i) {
        const std::string name = "level_" + std::to_string(i);
        ASSERT_EQ(mkdirat(fd, name.c_str(), 0755), 0);
        const int next = openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
        close(fd);
        fd = next;
    }
    const int file = openat(fd, "leaf", O_WRONLY | O_CREAT, 0644);
    ASSERT_EQ(write(file, "1234", 4), 4);
    close(file);
    close(fd);

    Ctrl.ScanFolder(Dir.Str());
    EXPECT_EQ(Ctrl.EntryCount(), 2002u);
    EXPECT_EQ(Ctrl.Root()->Size(), 4u);
    TDataInfo* leaf = Find(relative + "leaf");
    ASSERT_NE(leaf, nullptr);
    EXPECT_EQ(leaf->FileSize(), "4");
    Ctrl.ReclassifyAll();
    Ctrl.SetCurrentRoot(Ctrl.Root());
    EXPECT_EQ(Ctrl.FolderSizeSums().Items(0).EntryCount(), 2000u);
    EXPECT_TRUE(Ctrl.Problems().empty());
}

// Every level has two sub-folders, so the scanner must keep or reopen each ancestor.
TEST_F(Robustness, CombDeeperThanTheDescriptorBudget) {
    std::vector<std::string> tree;
    std::string path;
    for (int i = 0; i < 150; ++i) {
        tree.push_back(path + "side/f:1");
        path += "d/";
    }
    tree.push_back(path + "end:2");
    WriteTree(Dir.Path(), tree);
    Ctrl.ScanFolder(Dir.Str());
    EXPECT_TRUE(Ctrl.Problems().empty());
    EXPECT_EQ(Ctrl.Root()->Size(), 152u);
    EXPECT_EQ(Ctrl.EntryCount(), 1u + 150 * 3 + 1);
    EXPECT_TRUE(TotalsConsistent(*Ctrl.Root()));
}

class Unreadable : public testing::TestWithParam<int> {};

// Each way a folder refuses an ordinary user, on both scanners: not openable at all, openable
// without the right to list, listable without the right to examine the items. The scan runs
// as that user in a forked child (root ignores permission bits, and CI runs as root).
TEST_P(Unreadable, FoldersAreEmptyEntriesAndRecordedProblems) {
    TempDir dir;
    WriteTree(dir.Path(), {"open/a:1", "locked/secret:100", "noread/x:2", "noexec/y:3"});
    fs::permissions(dir.Path(), fs::perms::all);
    fs::permissions(dir.Path() / "locked", fs::perms::none);
    fs::permissions(dir.Path() / "noread", fs::perms::others_exec);
    fs::permissions(dir.Path() / "noexec", fs::perms::others_read);
    const TChildResult result =
        RunInChild({.User = NobodyId}, [&] { return ScanReport(dir.Str(), GetParam()); });
    if (!result.Refused.empty())
        GTEST_SKIP() << result.Refused;
    EXPECT_EQ(result.Output, "locked/ 0 [permission denied]\n"
                             "noexec/ 0 [permission denied]\n"
                             "noread/ 0 [permission denied]\n"
                             "open/ 1\n"
                             "open/a 1\n"
                             "problem /locked permission denied\n"
                             "problem /noexec permission denied\n"
                             "problem /noread permission denied\n"
                             "total 1\n");
}

INSTANTIATE_TEST_SUITE_P(Threads, Unreadable, testing::Values(1, 4));

class CancelAfter : public IScanObserver {
public:
    explicit CancelAfter(int polls) : FLeft(polls) {}
    void ScanProgress(const TScanProgress& p) override {
        ++Reports;
        Last = p;
    }
    bool ScanCancelRequested() override { return --FLeft < 0; }
    int Reports = 0;
    TScanProgress Last;

private:
    int FLeft;
};

TEST_F(Robustness, CancelledScanKeepsAConsistentTree) {
    std::vector<std::string> tree;
    for (int i = 0; i < 40; ++i)
        tree.push_back("d" + std::to_string(i % 7) + "/s" + std::to_string(i % 3) + "/f" +
                       std::to_string(i) + ":" + std::to_string(i + 1));
    WriteTree(Dir.Path(), tree);
    // One thread polls after every item, so the twentieth poll falls inside the scan.
    Ctrl.SetScanThreads(1);
    CancelAfter observer(20);
    Ctrl.ScanFolder(Dir.Str(), &observer);
    EXPECT_TRUE(Ctrl.WasCancelled());
    EXPECT_LT(Ctrl.EntryCount(), 1u + 40 + 7 + 21);
    EXPECT_TRUE(TotalsConsistent(*Ctrl.Root()));
    // Every entry is classified, so the sums can be built.
    Ctrl.SetCurrentRoot(Ctrl.Root());
    EXPECT_GE(observer.Reports, 1);
}

TEST_F(Robustness, ProgressEndsWithTheFullCounts) {
    WriteTree(Dir.Path(), {"a:10", "b/c:20"});
    CancelAfter never(1 << 30);
    Ctrl.ScanFolder(Dir.Str(), &never);
    EXPECT_FALSE(Ctrl.WasCancelled());
    EXPECT_EQ(never.Last.Entries, 3u);
    EXPECT_EQ(never.Last.Bytes, 30u);
}

TEST_F(Robustness, MountedVolumeIsListedButNotEntered) {
    WriteTree(Dir.Path(), {"mnt/", "a:1"});
    if (mount("quorvex-test", (Dir.Path() / "mnt").c_str(), "tmpfs", 0, "size=1m") != 0)
        GTEST_SKIP() << "cannot mount a tmpfs here";
    WriteTree(Dir.Path(), {"mnt/inside:100"});
    Ctrl.ScanFolder(Dir.Str());
    umount((Dir.Path() / "mnt").c_str());
    EXPECT_EQ(Find("mnt")->Children().Count(), 0u);
    EXPECT_EQ(Find("mnt")->FileSize(), "0");
    ASSERT_EQ(Ctrl.Problems().size(), 1u);
    EXPECT_EQ(Ctrl.Problems()[0].Reason, EScanProblem::OtherVolume);
    EXPECT_EQ(Ctrl.Root()->Size(), 1u);
}

} // namespace
