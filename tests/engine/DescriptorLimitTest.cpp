// Scans under a low limit on open descriptors: the budget follows the limit, and running
// out of descriptors never turns a folder into an unreadable one. Each scan runs in a
// forked child whose limit is lowered for good (soft and hard).
#include "EngineTestUtil.h"
#include "FixtureTree.h"
#include "ForkedChild.h"
#include "uDescriptorLimit.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

namespace fs = std::filesystem;
using namespace quorvex;
using namespace quorvex::test;

namespace {

// A narrow tree a hundred levels deep whose deeper branch is always listed first, so at
// every level side folders wait, their parent open, while the scan goes deeper; and a wide
// part for the threads to share.
void MakeTree(const fs::path& top) {
    fs::path level = top;
    for (int depth = 0; depth < 100; ++depth) {
        WriteTree(level, {"a/f:1", "b/g:2", "c/"});
        level /= fs::directory_iterator(level)->path().filename();
    }
    WriteTree(level, {"end:3"});
    for (int i = 0; i < 40; ++i)
        WriteTree(top, {"wide/w" + std::to_string(i) + "/x/y:" + std::to_string(i)});
}

struct TLimitCase {
    rlim_t Limit;
    int Threads;
};
void PrintTo(const TLimitCase& c, std::ostream* out) {
    *out << "limit " << c.Limit << ", " << c.Threads << " threads";
}

class DescriptorLimit : public testing::TestWithParam<TLimitCase> {
protected:
    static void SetUpTestSuite() {
        Tree = std::make_unique<TempDir>();
        MakeTree(Tree->Path());
        Full = new std::string(ScanReport(Tree->Str(), 1));
    }
    static void TearDownTestSuite() {
        Tree.reset();
        delete Full;
    }
    static std::unique_ptr<TempDir> Tree;
    static std::string* Full;
};
std::unique_ptr<TempDir> DescriptorLimit::Tree;
std::string* DescriptorLimit::Full = nullptr;

TEST_P(DescriptorLimit, EveryFolderIsReadAsWithoutALimit) {
    const TLimitCase c = GetParam();
    ASSERT_EQ(Full->find("problem"), std::string::npos) << *Full;
    const TChildResult result = RunInChild({}, [&] {
        const rlimit low{c.Limit, c.Limit};
        if (setrlimit(RLIMIT_NOFILE, &low) != 0)
            return std::string("exception: cannot lower the limit");
        return ScanReport(Tree->Str(), c.Threads);
    });
    ASSERT_TRUE(result.Refused.empty()) << result.Refused;
    EXPECT_EQ(result.Output, *Full);
}

INSTANTIATE_TEST_SUITE_P(Limits, DescriptorLimit,
                         testing::Values(TLimitCase{64, 1}, TLimitCase{64, 16}, TLimitCase{64, 64},
                                         TLimitCase{20, 1}, TLimitCase{20, 16}, TLimitCase{12, 4}));

// The soft limit a distribution starts programs with is raised to the hard one.
TEST(DescriptorBudget, TheSoftLimitIsRaisedToTheHardOne) {
    const TChildResult result = RunInChild({}, [] {
        rlimit limit{};
        getrlimit(RLIMIT_NOFILE, &limit);
        const rlimit low{std::min<rlim_t>(32, limit.rlim_max), limit.rlim_max};
        setrlimit(RLIMIT_NOFILE, &low);
        TempDir dir;
        TDataCtrl ctrl;
        ctrl.ScanFolder(dir.Str());
        getrlimit(RLIMIT_NOFILE, &limit);
        return Verdict("raised", limit.rlim_cur == limit.rlim_max);
    });
    EXPECT_EQ(result.Output, "raised yes\n");
}

TEST(DescriptorBudget, PlansShareHalfOfTheFreeDescriptors) {
    // Plenty: the asked threads, 64 kept folders at most.
    const TDescriptorPlan wide = PlanDescriptors(100000, 8, 16);
    EXPECT_EQ(wide.Threads, 8);
    EXPECT_EQ(wide.MaxThreads, 16);
    EXPECT_EQ(wide.KeptFolders, 64u);
    // Few: the threads are cut so that each has its three and two folders stay kept.
    const TDescriptorPlan narrow = PlanDescriptors(40, 64, 64);
    EXPECT_EQ(narrow.Threads, 6);
    EXPECT_EQ(narrow.MaxThreads, 6);
    EXPECT_EQ(narrow.KeptFolders, 2u);
    // None at all: one thread, and the scan makes room as it goes.
    const TDescriptorPlan none = PlanDescriptors(0, 4, 16);
    EXPECT_EQ(none.Threads, 1);
    EXPECT_EQ(none.MaxThreads, 1);
    EXPECT_EQ(none.KeptFolders, 2u);
    EXPECT_TRUE(IsDescriptorShortage(EMFILE));
    EXPECT_TRUE(IsDescriptorShortage(ENFILE));
    EXPECT_FALSE(IsDescriptorShortage(EACCES));
}

} // namespace
