// Live edits of a scanned tree: after entries leave the disk, and after one folder is read
// again, the engine must hold what a fresh scan of the same disk holds.
#include "EngineTestUtil.h"
#include "FixtureTree.h"
#include "uFolderReader.h"

#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace quorvex;
using namespace quorvex::test;

namespace {

constexpr std::int64_t NowMs = 1765000000000; // a fixed "now", so ages group the same way

void Prepare(TDataCtrl& ctrl, int threads) {
    ctrl.SetClock([] { return NowMs; });
    ctrl.LoadGroups(DefaultRanges());
    ctrl.SetScanThreads(threads);
}

class LiveTree : public testing::Test {
protected:
    void Scan(const std::vector<std::string>& tree, int threads = 1) {
        WriteTree(Dir.Path(), tree);
        Threads = threads;
        Prepare(Ctrl, threads);
        Ctrl.ScanFolder(Dir.Str());
        Ctrl.SetCurrentRoot(Ctrl.Root());
    }
    TDataInfo* Find(const std::string& relative) {
        return relative.empty() ? Ctrl.Root() : Ctrl.Root()->FindByPath(Dir.Str() + "/" + relative);
    }
    /// A fresh scan of the same folder, showing the folder Ctrl shows.
    std::string Fresh() {
        TDataCtrl fresh;
        Prepare(fresh, Threads);
        fresh.ScanFolder(Dir.Str());
        fresh.SetCurrentRoot(fresh.Root()->FindByPath(Ctrl.CurrentRoot()->FullPath()));
        return TreeFacts(fresh);
    }
    void Remove(const std::vector<std::string>& relatives) {
        std::vector<const TDataInfo*> gone;
        for (const std::string& relative : relatives) {
            gone.push_back(Find(relative));
            ASSERT_TRUE(gone.back()) << relative;
        }
        for (const std::string& relative : relatives)
            fs::remove_all(Dir.Path() / relative);
        Ctrl.RemoveEntries(gone);
    }

    TempDir Dir;
    TDataCtrl Ctrl;
    int Threads = 1;
};

// ---- Name order -------------------------------------------------------------------------

TEST(NameOrder, FoldsAsciiCaseAndBreaksTiesOnRawBytes) {
    EXPECT_TRUE(NameLess("a", "B"));
    EXPECT_TRUE(NameLess("B", "b")); // equal when folded: the raw bytes decide
    EXPECT_FALSE(NameLess("b", "B"));
    EXPECT_TRUE(NameLess("ab", "aB0"));
    EXPECT_TRUE(NameLess("Z", "\xc3\xa9")); // bytes above ASCII after every ASCII letter
    EXPECT_TRUE(NameLess("_x", "a"));       // '_' lies between the cases: folding decides
    EXPECT_FALSE(NameLess("same", "same"));
}

TEST_F(LiveTree, ChildrenComeInNameOrderForEveryThreadCount) {
    for (const int threads : {1, 3}) {
        TDataCtrl ctrl;
        if (threads == 1)
            WriteTree(Dir.Path(), {"x:1", "Y:2", "z/", "w:3", "b/B:1", "b/a:1", "b/A:1", "B:1"});
        Prepare(ctrl, threads);
        ctrl.ScanFolder(Dir.Str());
        std::string names;
        for (TDataInfo* e = ctrl.Root(); e; e = NextInPreOrder(e, ctrl.Root()))
            names += (e->IsScanRoot() ? std::string() : e->FileName()) + " ";
        EXPECT_EQ(names, " B b A a B w x Y z ") << threads << " threads";
    }
}

// ---- Removing what left the disk --------------------------------------------------------

TEST_F(LiveTree, RemovedEntriesLeaveTotalsGroupsAndSumsAsAFreshScanHasThem) {
    Scan({"a/x.one:1", "a/y:20000", "a/z/q:3", "b/only:7", "c/d/e/f:200000", "c/d/g:5", "c/h:1",
          "k.z:9", "m/n/"});
    // First siblings (the rest of the block moves), a last child (an empty folder stays), a
    // subtree given together with an entry inside it, and a file at the top.
    Remove({"a/x.one", "b/only", "c/d", "c/d/e/f", "k.z"});
    EXPECT_EQ(TreeFacts(Ctrl), Fresh());
    EXPECT_EQ(Find("b")->Children().Count(), 0u);
    EXPECT_EQ(Find("a/z/q")->Parent(), Find("a/z"));
}

TEST_F(LiveTree, ShownFolderStaysOrFallsBackToTheNearestSurvivor) {
    Scan({"a/x:1", "a/z/q:3", "c/d/e/f.big:200000", "c/d/e/h:2", "c/g:1"});
    Ctrl.SetCurrentRoot(Find("a/z")); // moves down when a/x leaves
    Remove({"a/x"});
    EXPECT_EQ(Ctrl.CurrentRoot(), Find("a/z"));
    EXPECT_EQ(TreeFacts(Ctrl), Fresh());
    Ctrl.SetCurrentRoot(Find("c")); // the folders between lose size and group
    Remove({"c/d/e/f.big"});
    EXPECT_EQ(TreeFacts(Ctrl), Fresh());
    Ctrl.SetCurrentRoot(Find("c/d/e"));
    Remove({"c/d"});
    EXPECT_EQ(Ctrl.CurrentRoot(), Find("c"));
    EXPECT_EQ(TreeFacts(Ctrl), Fresh());
}

TEST_F(LiveTree, EveryChildOfTheRootCanLeave) {
    Scan({"a/x:1", "b:2"});
    Remove({"a", "b"});
    EXPECT_EQ(TreeFacts(Ctrl), Fresh());
    EXPECT_EQ(Ctrl.EntryCount(), 1u);
}

// A folder that vanishes between its listing and its reading is a problem of the scan; the
// read hook makes that happen on purpose.
void VanishOnRead(TDataCtrl& ctrl, const std::string& name) {
    ctrl.SetReadHook([name](const TDataInfo& folder) {
        if (folder.FileName() == name)
            fs::remove_all(folder.FullPath());
    });
}

TEST_F(LiveTree, ProblemsUnderRemovedEntriesGoWithThem) {
    WriteTree(Dir.Path(), {"p/gone/x:1", "p/y:2", "q/gone2/z:1", "r:1"});
    VanishOnRead(Ctrl, "gone");
    Scan({});
    Ctrl.SetReadHook({});
    ASSERT_EQ(Ctrl.Problems().size(), 1u);
    Remove({"p"});
    EXPECT_TRUE(Ctrl.Problems().empty());
    EXPECT_EQ(TreeFacts(Ctrl), Fresh());
}

// ---- Refreshing one folder --------------------------------------------------------------

struct TEdit {
    const char* Name;
    std::vector<std::string> Before;
    std::function<void(const fs::path& root)> Change;
    const char* Refreshed; // relative to the root; empty for the root itself
};

void Resize(const fs::path& file, std::uintmax_t bytes) {
    fs::resize_file(file, bytes);
}

const TEdit Edits[] = {
    {"Add",
     {"sub/a:10", "sub/b:20", "other:5"},
     [](const fs::path& r) {
         WriteTree(r, {"sub/c.new:30", "sub/new/d:4", "sub/new/e/"});
     },
     "sub"},
    {"Remove",
     {"sub/a.gone:10", "sub/deep/x/y:7", "sub/z:1", "other:5"},
     [](const fs::path& r) { fs::remove_all(r / "sub/deep"), fs::remove(r / "sub/a.gone"); },
     "sub"},
    {"GrowAndShrink",
     {"sub/a:10", "sub/b:20", "sub/in/c:3", "up:1"},
     [](const fs::path& r) { Resize(r / "sub/a", 5000000), Resize(r / "sub/b", 0); },
     "sub"},
    {"FileBecomesFolder",
     {"sub/a:10", "sub/b:20"},
     [](const fs::path& r) { fs::remove(r / "sub/a"), WriteTree(r, {"sub/a/inner:30000"}); },
     "sub"},
    {"FolderBecomesFile",
     {"sub/a/inner:10", "sub/b:20"},
     [](const fs::path& r) { fs::remove_all(r / "sub/a"), WriteTree(r, {"sub/a:3"}); },
     "sub"},
    {"EmptiedFolder",
     {"sub/a:10", "sub/b/c:20"},
     [](const fs::path& r) { fs::remove_all(r / "sub/b"), fs::remove(r / "sub/a"); },
     "sub"},
    {"Root",
     {"a:1", "sub/b:2"},
     [](const fs::path& r) {
         WriteTree(r, {"A:4", "sub/c:7"}), fs::remove(r / "a");
     },
     ""},
    {"NestedFolderOnly",
     {"sub/in/a:1", "sub/b:2", "sib/c:3"},
     [](const fs::path& r) { WriteTree(r, {"sub/in/more:1000000"}); },
     "sub/in"},
    {"HostileNames",
     {"sub/plain:1", "sub/Case:2", "sub/case:3"},
     [](const fs::path& r) {
         WriteTree(r, {"sub/-n:1", "sub/new\nline:2", "sub/back\\slash:3", "sub/\xff\xfe:4",
                       "sub/\x01:5", "sub/ sp ace :6", "sub/\xc3\xa9t\xc3\xa9/x:7"});
     },
     "sub"},
};

// Each edit with one and with three threads, the root shown or the refreshed folder itself.
class RefreshTest : public LiveTree,
                    public testing::WithParamInterface<std::tuple<std::size_t, int, bool>> {};

TEST_P(RefreshTest, EqualsAFreshScan) {
    const auto [index, threads, showRefreshed] = GetParam();
    const TEdit& edit = Edits[index];
    Scan(edit.Before, threads);
    Ctrl.SetCurrentRoot(showRefreshed ? Find(edit.Refreshed) : Ctrl.Root());
    edit.Change(Dir.Path());
    EXPECT_EQ(Ctrl.RefreshFolder(Find(edit.Refreshed)), Find(edit.Refreshed));
    EXPECT_EQ(TreeFacts(Ctrl), Fresh());
}

INSTANTIATE_TEST_SUITE_P(Edits, RefreshTest,
                         testing::Combine(testing::Range(std::size_t(0), std::size(Edits)),
                                          testing::Values(1, 3), testing::Bool()),
                         [](const auto& param) {
                             return std::string(Edits[std::get<0>(param.param)].Name) + "_" +
                                    std::to_string(std::get<1>(param.param)) + "threads" +
                                    (std::get<2>(param.param) ? "_shown" : "_rootShown");
                         });

TEST_F(LiveTree, RefreshOfAVanishedFolderRemovesItAndShowsTheParent) {
    Scan({"sub/gone/x:1", "sub/y:2"});
    Ctrl.SetCurrentRoot(Find("sub/gone"));
    fs::remove_all(Dir.Path() / "sub/gone");
    EXPECT_EQ(Ctrl.RefreshFolder(Find("sub/gone")), Find("sub"));
    EXPECT_EQ(Ctrl.CurrentRoot(), Find("sub"));
    EXPECT_EQ(TreeFacts(Ctrl), Fresh());
}

TEST_F(LiveTree, RefreshReplacesTheProblemsOfItsSubtree) {
    WriteTree(Dir.Path(), {"p/gone/x:1", "p/y:2", "q/z:1"});
    VanishOnRead(Ctrl, "gone");
    Scan({});
    Ctrl.SetReadHook({});
    ASSERT_EQ(Ctrl.Problems().size(), 1u);
    EXPECT_TRUE(Find("p/gone")->NotScanned());
    Ctrl.RefreshFolder(Find("p"));
    EXPECT_TRUE(Ctrl.Problems().empty());
    EXPECT_EQ(TreeFacts(Ctrl), Fresh());
}

TEST_F(LiveTree, RefreshedFolderKeepsTheShownSubfolderByItsPath) {
    Scan({"sub/in/a:1", "sub/b:2"});
    Ctrl.SetCurrentRoot(Find("sub/in"));
    WriteTree(Dir.Path(), {"sub/in/c:5", "sub/0:1"});
    Ctrl.RefreshFolder(Find("sub"));
    EXPECT_EQ(Ctrl.CurrentRoot(), Find("sub/in"));
    EXPECT_EQ(Ctrl.CurrentRoot()->Size(), 6u);
    EXPECT_EQ(TreeFacts(Ctrl), Fresh());
}

// Deeper than any machine stack would take per level, and longer than PATH_MAX.
TEST_F(LiveTree, ChainOf1500LevelsRefreshesAndLosesEntries) {
    Scan({"top/"});
    int fd = open((Dir.Path() / "top").c_str(), O_RDONLY | O_DIRECTORY);
    for (int i = 0; i < 1500 && fd >= 0; ++i) {
        mkdirat(fd, "dir", 0755);
        const int next = openat(fd, "dir", O_RDONLY | O_DIRECTORY);
        close(fd);
        fd = next;
    }
    ASSERT_GE(fd, 0);
    const int file = openat(fd, "leaf", O_WRONLY | O_CREAT, 0644);
    ASSERT_EQ(write(file, "12345", 5), 5);
    close(file);
    close(fd);
    Ctrl.RefreshFolder(Find("top"));
    EXPECT_EQ(Ctrl.EntryCount(), 1503u);
    EXPECT_EQ(TreeFacts(Ctrl), Fresh());
    TDataInfo* deepest = Find("top");
    while (deepest->Children().Count())
        deepest = deepest->Children().begin();
    ASSERT_EQ(deepest->FileName(), "leaf");
    Ctrl.RefreshFolder(deepest->Parent()); // reached one name at a time
    EXPECT_EQ(Ctrl.Root()->Size(), 5u);
    Ctrl.RemoveEntries({Find("top")->Children().begin()});
    EXPECT_EQ(Ctrl.EntryCount(), 2u);
    EXPECT_EQ(Ctrl.Root()->Size(), 0u);
}

} // namespace
