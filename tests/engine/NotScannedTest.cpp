// Folders the scan could not read completely say so on their entries: a folder that
// vanished before it was opened, and every folder a cancel left unread or half read.
// Everything not marked was read whole.
#include "EngineTestUtil.h"
#include "FixtureTree.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>

namespace fs = std::filesystem;
using namespace quorvex;
using namespace quorvex::test;

namespace {

class NotScanned : public testing::TestWithParam<int> {
protected:
    void SetUp() override {
        Ctrl.LoadGroups(DefaultRanges());
        Ctrl.SetScanThreads(GetParam());
    }
    TempDir Dir;
    TDataCtrl Ctrl;
};

TEST_P(NotScanned, AFolderThatVanishesBeforeItIsOpenedIsMarked) {
    WriteTree(Dir.Path(), {"a/gone/x:5", "a/kept:1"});
    const std::string gone = Dir.Str() + "/a/gone";
    Ctrl.SetReadHook([&](const TDataInfo& folder) {
        if (folder.FullPath() == gone)
            fs::remove_all(gone);
    });
    Ctrl.ScanFolder(Dir.Str());
    EXPECT_EQ(DumpTree(*Ctrl.Root()), "a/ 1\n"
                                      "a/gone/ 0 [vanished]\n"
                                      "a/kept 1\n");
    ASSERT_EQ(Ctrl.Problems().size(), 1u);
    EXPECT_EQ(Ctrl.Problems()[0].Reason, EScanProblem::Vanished);
    EXPECT_FALSE(Ctrl.Root()->NotScanned());
}

/// Cancels once `cancel` is set.
class CancelOnFlag : public IScanObserver {
public:
    explicit CancelOnFlag(const std::atomic<bool>& cancel) : FCancel(cancel) {}
    void ScanProgress(const TScanProgress&) override {}
    bool ScanCancelRequested() override { return Cancelled = Cancelled || FCancel.load(); }
    std::atomic<bool> Cancelled{false};

private:
    const std::atomic<bool>& FCancel;
};

// Every folder not marked holds exactly what the disk holds; at least one is marked.
TEST_P(NotScanned, EveryFolderACancelLeftIncompleteIsMarked) {
    std::vector<std::string> tree;
    for (int i = 0; i < 600; ++i)
        tree.push_back("d" + std::to_string(i % 20) + "/e" + std::to_string(i % 6) + "/f" +
                       std::to_string(i) + ":1");
    WriteTree(Dir.Path(), tree);
    // A thread is held in its eighth folder until the cancel has been asked for (one thread
    // alone polls for it itself, after the folder's first item).
    std::atomic<int> started{0};
    std::atomic<bool> held{false};
    CancelOnFlag observer(held);
    Ctrl.SetReadHook([&](const TDataInfo&) {
        if (++started != 8)
            return;
        held = true;
        while (GetParam() > 1 && !observer.Cancelled)
            std::this_thread::yield();
    });
    Ctrl.ScanFolder(Dir.Str(), &observer);
    ASSERT_TRUE(Ctrl.WasCancelled());
    std::size_t marked = 0;
    for (TDataInfo* e = Ctrl.Root(); e; e = NextInPreOrder(e, Ctrl.Root())) {
        if (!e->IsFolder())
            continue;
        if (e->NotScanned()) {
            EXPECT_EQ(e->ScanProblem(), EScanProblem::NotRead) << e->FullPath();
            ++marked;
            continue;
        }
        const auto onDisk = std::distance(fs::directory_iterator(e->FullPath()), {});
        EXPECT_EQ(e->Children().Count(), std::uint32_t(onDisk)) << e->FullPath();
    }
    EXPECT_GT(marked, 0u);
    EXPECT_TRUE(TotalsConsistent(*Ctrl.Root()));
    EXPECT_TRUE(Ctrl.Problems().empty()); // a cancel is no failure
}

INSTANTIATE_TEST_SUITE_P(Threads, NotScanned, testing::Values(1, 4));

} // namespace
