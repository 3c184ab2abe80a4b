// Scans on several threads against the one-thread scan: the same tree, entry for entry, the
// same problems in the same order, and a consistent tree when cancelled.
#include "EngineTestUtil.h"
#include "FixtureTree.h"
#include "ForkedChild.h"

#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <map>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace quorvex;
using namespace quorvex::test;

namespace {

constexpr std::int64_t NowMs = 1765000000000; // a fixed "now", so ages group the same way
using Clock = std::chrono::steady_clock;

std::string EntryLine(const TDataInfo& e, std::size_t prefix) {
    std::string line = e.FullPath().substr(prefix) + (e.IsFolder() ? "/" : "");
    line += " size=" + std::to_string(e.Size());
    if (e.HasTimes())
        line += " times=" + std::to_string(e.CreateSeconds()) + "," +
                std::to_string(e.AccessSeconds()) + "," + std::to_string(e.WriteSeconds());
    line += " groups=" + std::to_string(e.SizeGroup()) + "," + std::to_string(e.CreateGroup()) +
            "," + std::to_string(e.AccessGroup()) + "," + std::to_string(e.WriteGroup()) + "," +
            std::to_string(e.NameLengthGroup());
    line += " children=" + std::to_string(e.Children().Count());
    if (e.NotScanned())
        line += std::string(" not scanned: ") + ScanProblemText(e.ScanProblem());
    line += "\n";
    std::uint32_t row = 0;
    for (const TDataInfo& child : e.Children())
        if (child.Parent() != &e || child.Row() != row++)
            line += "  broken link to " + child.FileName() + "\n";
    return line;
}

/// Everything a scan produced, in tree order (children in their order), then the problems
/// in their order.
std::string Snapshot(const TDataCtrl& ctrl) {
    TDataInfo* root = ctrl.Root();
    const std::size_t prefix = root->FullPath().size();
    std::string text;
    for (TDataInfo* e = root; e; e = NextInPreOrder(e, root))
        text += EntryLine(*e, prefix);
    for (const TScanProblem& p : ctrl.Problems())
        text += "problem " + p.Path.substr(prefix) + " " + ScanProblemText(p.Reason) + " " +
                std::to_string(p.Error) + "\n";
    text += "entries " + std::to_string(ctrl.EntryCount()) +
            (ctrl.WasCancelled() ? " cancelled" : "") + "\n";
    return text;
}

void PrepareEngine(TDataCtrl& ctrl, int threads) {
    ctrl.SetClock([] { return NowMs; });
    ctrl.LoadGroups(DefaultRanges());
    ctrl.SetScanThreads(threads);
}

std::string ScanWith(const std::string& path, int threads) {
    TDataCtrl ctrl;
    PrepareEngine(ctrl, threads);
    ctrl.ScanFolder(path);
    return Snapshot(ctrl);
}

void MakeChain(const fs::path& top, const std::string& name, int depth) {
    // By descriptor: the full path of the deepest folders exceeds PATH_MAX.
    int fd = open(top.c_str(), O_RDONLY | O_DIRECTORY);
    for (int i = 0; i < depth && fd >= 0; ++i) {
        mkdirat(fd, name.c_str(), 0755);
        const int next = openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
        close(fd);
        fd = next;
    }
    ASSERT_GE(fd, 0);
    const int file = openat(fd, "leaf", O_WRONLY | O_CREAT, 0644);
    ASSERT_EQ(write(file, "12345", 5), 5);
    close(file);
    close(fd);
}

// A comb whose deep branch is always listed first, so at every level sub-folders wait while
// the scan goes deeper: more folders want to stay open than the scanners keep open.
void MakeComb(const fs::path& top, int depth) {
    fs::path level = top;
    for (int i = 0; i < depth; ++i) {
        for (const char* name : {"a", "b", "c"}) {
            fs::create_directories(level / name);
            for (int f = 0; f < 8; ++f)
                close(open((level / name / ("f" + std::to_string(f))).c_str(), O_WRONLY | O_CREAT,
                           0644));
        }
        level /= fs::directory_iterator(level)->path().filename();
    }
}

class ParallelScan : public testing::Test {
protected:
    void TearDown() override {
        for (const fs::path& point : FMounts)
            umount(point.c_str());
    }
    void ExpectSameOnEveryThreadCount() {
        // The first read of a folder can move its access time (relatime): read once before.
        ScanWith(Dir.Str(), 1);
        const std::string one = ScanWith(Dir.Str(), 1);
        ASSERT_NE(one.find("entries"), std::string::npos);
        for (int threads : {2, 3, 8})
            EXPECT_EQ(ScanWith(Dir.Str(), threads), one) << threads << " threads";
    }
    bool Mount(const std::string& relative) {
        fs::create_directories(Dir.Path() / relative);
        if (mount("quorvex-test", (Dir.Path() / relative).c_str(), "tmpfs", 0, "size=1m") != 0)
            return false;
        FMounts.push_back(Dir.Path() / relative);
        WriteTree(Dir.Path(), {relative + "/inside:100"});
        return true;
    }
    TempDir Dir;

private:
    std::vector<fs::path> FMounts;
};

TEST_F(ParallelScan, MixedTreeIsTheSameEntryForEntry) {
    std::vector<std::string> tree = {"a.txt:100",
                                     ".hidden:3",
                                     "empty/",
                                     "sub/empty/deeper/",
                                     "sub/b.tar.gz:50@-400000",
                                     "sub/old:7@-40000000",
                                     "a name that is longer than nineteen characters:1",
                                     "bad\xFF.txt:2",
                                     "x/y/z/w:9@-90000"};
    // A wide folder whose sub-folders are read by several threads at once.
    for (int i = 0; i < 300; ++i)
        tree.push_back("wide/f" + std::to_string(i) + ":" + std::to_string(i * 37));
    for (int i = 0; i < 120; ++i)
        tree.push_back("wide/d" + std::to_string(i) + "/g" + std::to_string(i % 5) + ":" +
                       std::to_string(i) + "@-" + std::to_string(i * 86400));
    for (int i = 0; i < 30; ++i)
        tree.push_back("wide/e" + std::to_string(i) + "/");
    WriteTree(Dir.Path(), tree);
    ExpectSameOnEveryThreadCount();
}

// Deeper than any path limit, and a comb that wants more open folders than a low descriptor
// limit allows: folders are closed early and reopened from an ancestor. The limited scans
// run in a forked child whose limit is lowered for good.
TEST_F(ParallelScan, DeepChainsAndCombsAreTheSameWithFewDescriptors) {
    MakeChain(Dir.Path(), "cc", 1500);
    MakeComb(Dir.Path() / "comb", 120);
    ScanWith(Dir.Str(), 1); // moves the folders' access times once (relatime)
    const std::string one = ScanWith(Dir.Str(), 1);
    EXPECT_EQ(one.find("problem"), std::string::npos);
    const TChildResult result = RunInChild({}, [&] {
        const rlimit low{48, 48};
        setrlimit(RLIMIT_NOFILE, &low);
        std::string report;
        for (int threads : {1, 2, 3, 8})
            report +=
                Verdict(std::to_string(threads) + " alike", ScanWith(Dir.Str(), threads) == one);
        return report;
    });
    EXPECT_EQ(result.Output, "1 alike yes\n2 alike yes\n3 alike yes\n8 alike yes\n");
}

TEST_F(ParallelScan, LinksAndSpecialFilesAreTheSame) {
    WriteTree(Dir.Path(), {"docs/a.txt:5", "docs/up -> ..", "docs/self -> .", "dangling -> nowhere",
                           "tolink -> docs/a.txt", "dirlink -> docs"});
    ASSERT_EQ(mkfifo((Dir.Path() / "docs/pipe").c_str(), 0600), 0);
    ExpectSameOnEveryThreadCount();
}

// Problems at several depths come out in the order a one-thread scan meets them.
std::size_t Occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

// Problems at several depths come out in the order a one-thread scan meets them. The scans
// run as an ordinary user in a forked child: root ignores permission bits.
TEST_F(ParallelScan, ProblemsComeInTheOneThreadOrder) {
    WriteTree(Dir.Path(),
              {"a/b/c/file:1", "z/file:2", "a/locked/secret:9", "a/b/nolist/x:1", "z/noexec/y:1"});
    fs::permissions(Dir.Path(), fs::perms::all);
    fs::permissions(Dir.Path() / "a/locked", fs::perms::none);
    fs::permissions(Dir.Path() / "a/b/nolist", fs::perms::others_exec);
    fs::permissions(Dir.Path() / "z/noexec", fs::perms::others_read);
    const bool mounted = Mount("a/b/m1") && Mount("m0") && Mount("a/m2") && Mount("z/m3");
    const TChildResult result = RunInChild({.User = NobodyId}, [&] {
        ScanWith(Dir.Str(), 1); // moves the folders' access times once (relatime)
        const std::string one = ScanWith(Dir.Str(), 1);
        std::string report =
            Verdict("three unreadable", Occurrences(one, " permission denied ") == 3) +
            Verdict("mounts not entered", Occurrences(one, " other volume ") == (mounted ? 4 : 0));
        for (int threads : {2, 3, 8})
            report += Verdict(std::to_string(threads) + " threads alike",
                              ScanWith(Dir.Str(), threads) == one);
        TDataCtrl ctrl;
        PrepareEngine(ctrl, 4);
        ctrl.ScanFolder(Dir.Str());
        return report + Verdict("totals consistent", TotalsConsistent(*ctrl.Root()));
    });
    if (!result.Refused.empty())
        GTEST_SKIP() << result.Refused;
    EXPECT_EQ(result.Output, "three unreadable yes\nmounts not entered yes\n2 threads alike yes\n"
                             "3 threads alike yes\n8 threads alike yes\ntotals consistent yes\n");
}

TEST_F(ParallelScan, RepeatedScansAreIdentical) {
    std::vector<std::string> tree;
    for (int i = 0; i < 400; ++i)
        tree.push_back("d" + std::to_string(i % 13) + "/e" + std::to_string(i % 7) + "/f" +
                       std::to_string(i) + ":" + std::to_string(i));
    WriteTree(Dir.Path(), tree);
    TDataCtrl ctrl;
    PrepareEngine(ctrl, 8);
    ctrl.ScanFolder(Dir.Str()); // moves the folders' access times once (relatime)
    ctrl.ScanFolder(Dir.Str());
    const std::string first = Snapshot(ctrl);
    TDataInfo* root = ctrl.Root();
    for (int i = 0; i < 10; ++i) {
        ctrl.ScanFolder(Dir.Str()); // the same engine: the old tree goes, the root stays
        ASSERT_EQ(Snapshot(ctrl), first) << "scan " << i;
    }
    EXPECT_EQ(ctrl.Root(), root);
    EXPECT_EQ(ctrl.EntryCount(), 1u + 400 + 13 + 13 * 7);
}

// ---- Cancelling ----------------------------------------------------------------------------

/// Records what the engine reported, when, and whether from the scanning caller's thread;
/// cancels once `cancel` (may be null) has become true.
class Canceller : public IScanObserver {
public:
    explicit Canceller(const std::atomic<bool>* cancel = nullptr) : FCancel(cancel) {}
    void ScanProgress(const TScanProgress& progress) override {
        Reports.push_back(Clock::now());
        Last = progress;
        ForeignThread = ForeignThread || std::this_thread::get_id() != FCaller;
    }
    bool ScanCancelRequested() override {
        ForeignThread = ForeignThread || std::this_thread::get_id() != FCaller;
        Cancelled = Cancelled || (FCancel && FCancel->load());
        return Cancelled;
    }
    std::vector<Clock::time_point> Reports;
    TScanProgress Last;
    bool ForeignThread = false;
    std::atomic<bool> Cancelled{false};

private:
    const std::atomic<bool>* FCancel;
    std::thread::id FCaller = std::this_thread::get_id();
};

class ParallelCancel : public testing::Test {
protected:
    // Big enough that reading it takes far longer than the first poll, 10 ms in.
    static void SetUpTestSuite() {
        Tree = std::make_unique<TempDir>();
        for (int d = 0; d < 240; ++d) {
            const fs::path folder = Tree->Path() / ("d" + std::to_string(d)) / "sub";
            fs::create_directories(folder);
            for (int f = 0; f < 100; ++f) {
                const fs::path file = folder.parent_path() / ("f" + std::to_string(f));
                close(open(file.c_str(), O_WRONLY | O_CREAT, 0644));
                fs::resize_file(file, std::uintmax_t(f + d));
            }
        }
        TDataCtrl full;
        PrepareEngine(full, 1);
        full.ScanFolder(Tree->Str());
        const std::size_t prefix = full.Root()->FullPath().size();
        for (TDataInfo* e = full.Root(); e; e = NextInPreOrder(e, full.Root()))
            Lines.emplace(e->FullPath(), EntryLine(*e, prefix));
        FullEntries = full.EntryCount();
    }
    static void TearDownTestSuite() { Tree.reset(); }

    // Files, and folders the scan did not cut short, are exactly as in the full scan.
    static void ExpectPartOfTheFullTree(const TDataCtrl& ctrl) {
        TDataInfo* root = ctrl.Root();
        const std::size_t prefix = root->FullPath().size();
        std::uint64_t entries = 0;
        for (TDataInfo* e = root->Children().begin(); e; e = NextInPreOrder(e, root)) {
            ++entries;
            const auto it = Lines.find(e->FullPath());
            ASSERT_NE(it, Lines.end()) << e->FullPath();
            if (!e->IsFolder()) {
                EXPECT_EQ(EntryLine(*e, prefix), it->second);
            }
            EXPECT_NE(e->SizeGroup(), TDataInfo::NoGroup) << e->FullPath();
            if (!e->IsFolder()) { // folders are grouped by size only
                EXPECT_NE(e->NameLengthGroup(), TDataInfo::NoGroup) << e->FullPath();
            }
        }
        EXPECT_EQ(ctrl.EntryCount(), entries + 1);
        EXPECT_TRUE(TotalsConsistent(*root));
        EXPECT_NE(root->SizeGroup(), TDataInfo::NoGroup);
    }

    static std::unique_ptr<TempDir> Tree;
    static std::map<std::string, std::string> Lines;
    static std::uint64_t FullEntries;
};
std::unique_ptr<TempDir> ParallelCancel::Tree;
std::map<std::string, std::string> ParallelCancel::Lines;
std::uint64_t ParallelCancel::FullEntries = 0;

// No clock decides the outcome: one thread is held at the start of its tenth folder until
// the cancel has been asked for, so the scan cannot have completed before it, on any machine
// and under any load.
TEST_F(ParallelCancel, StopsBeforeTheEndWithAConsistentPartOfTheTree) {
    for (int threads : {2, 4, 8}) {
        SCOPED_TRACE(std::to_string(threads) + " threads");
        TDataCtrl ctrl;
        PrepareEngine(ctrl, threads);
        std::atomic<int> started{0};
        std::atomic<bool> held{false};
        Canceller observer(&held);
        ctrl.SetReadHook([&](const TDataInfo&) {
            if (++started != 10)
                return;
            held = true;
            while (!observer.Cancelled)
                std::this_thread::yield();
        });
        ctrl.ScanFolder(Tree->Str(), &observer);
        ASSERT_TRUE(ctrl.WasCancelled());
        EXPECT_LT(ctrl.EntryCount(), FullEntries);
        ExpectPartOfTheFullTree(ctrl);
        ctrl.SetCurrentRoot(ctrl.Root()); // every entry has its groups: the sums work
        EXPECT_FALSE(observer.ForeignThread);
    }
}

TEST_F(ParallelCancel, ProgressComesFromTheCallerAtMostEvery50Ms) {
    TDataCtrl ctrl;
    PrepareEngine(ctrl, 4);
    Canceller observer;
    ctrl.ScanFolder(Tree->Str(), &observer);
    EXPECT_FALSE(ctrl.WasCancelled());
    EXPECT_FALSE(observer.ForeignThread);
    ASSERT_FALSE(observer.Reports.empty());
    // The last report is the final count; every one before it keeps the interval.
    for (std::size_t i = 1; i + 1 < observer.Reports.size(); ++i)
        EXPECT_GE(observer.Reports[i] - observer.Reports[i - 1], std::chrono::milliseconds(50));
    EXPECT_EQ(observer.Last.Entries + 1, FullEntries);
    EXPECT_EQ(observer.Last.Bytes, ctrl.Root()->Size());
}

} // namespace
