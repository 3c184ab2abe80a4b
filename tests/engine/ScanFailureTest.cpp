// Scans that fail: a scanning thread that throws, a root that cannot be read. The failure
// reaches the caller, and the engine is left with nothing scanned instead of half a tree.
#include "EngineTestUtil.h"
#include "FixtureTree.h"

#include <atomic>
#include <filesystem>
#include <gtest/gtest.h>
#include <new>
#include <system_error>

namespace fs = std::filesystem;
using namespace quorvex;
using namespace quorvex::test;

namespace {

std::size_t OpenDescriptors() {
    return std::size_t(std::distance(fs::directory_iterator("/proc/self/fd"), {}));
}

void ExpectNothingScanned(const TDataCtrl& ctrl) {
    EXPECT_EQ(ctrl.Root(), nullptr);
    EXPECT_EQ(ctrl.CurrentRoot(), nullptr);
    EXPECT_TRUE(ctrl.Problems().empty());
    EXPECT_EQ(ctrl.EntryCount(), 0u);
    EXPECT_FALSE(ctrl.WasCancelled());
}

class ScanFailure : public testing::TestWithParam<int> {
protected:
    void SetUp() override {
        std::vector<std::string> tree;
        for (int d = 0; d < 12; ++d)
            for (int f = 0; f < 6; ++f)
                tree.push_back("d" + std::to_string(d) + "/sub/f" + std::to_string(f) + ":3");
        WriteTree(Dir.Path(), tree);
        Ctrl.LoadGroups(DefaultRanges());
        Ctrl.SetScanThreads(GetParam());
    }
    TempDir Dir;
    TDataCtrl Ctrl;
};

// Under a low address-space limit a thread runs out of memory; the scan must end with that
// error on every thread count, instead of waiting for the failed thread's folders forever.
TEST_P(ScanFailure, AThreadThatThrowsEndsTheScanWithItsError) {
    const std::size_t descriptors = OpenDescriptors();
    const std::string failing = Dir.Str() + "/d7/sub";
    std::atomic<int> reached{0};
    Ctrl.SetReadHook([&](const TDataInfo& folder) {
        if (folder.FullPath() == failing) {
            ++reached;
            throw std::bad_alloc();
        }
    });
    EXPECT_THROW(Ctrl.ScanFolder(Dir.Str()), std::bad_alloc);
    EXPECT_EQ(reached.load(), 1);
    ExpectNothingScanned(Ctrl);
    EXPECT_EQ(OpenDescriptors(), descriptors);

    Ctrl.SetReadHook({}); // the same engine scans again, whole
    Ctrl.ScanFolder(Dir.Str());
    EXPECT_EQ(Ctrl.EntryCount(), 1u + 12 * (2 + 6));
    EXPECT_TRUE(TotalsConsistent(*Ctrl.Root()));
}

TEST_P(ScanFailure, AFailureAtTheRootEndsTheScanToo) {
    Ctrl.SetReadHook([&](const TDataInfo& folder) {
        if (folder.IsScanRoot())
            throw std::runtime_error("injected");
    });
    EXPECT_THROW(Ctrl.ScanFolder(Dir.Str()), std::runtime_error);
    ExpectNothingScanned(Ctrl);
}

// A root that cannot be opened leaves no root behind, even after an earlier good scan.
TEST_P(ScanFailure, UnreadableRootLeavesNothingScanned) {
    Ctrl.ScanFolder(Dir.Str());
    Ctrl.SetCurrentRoot(Ctrl.Root());
    ASSERT_NE(Ctrl.CurrentRoot(), nullptr);
    EXPECT_THROW(Ctrl.ScanFolder(Dir.Str() + "/missing"), std::system_error);
    ExpectNothingScanned(Ctrl);
    WriteTree(Dir.Path(), {"plain:1"});
    EXPECT_THROW(Ctrl.ScanFolder(Dir.Str() + "/plain"), std::system_error);
    ExpectNothingScanned(Ctrl);
}

INSTANTIATE_TEST_SUITE_P(Threads, ScanFailure, testing::Values(1, 2, 4, 8));

} // namespace
