// A scan against a saved scan of the same folder: the base is scanned, saved and loaded back
// as the command line does, the folder edited on disk, then scanned again.
#include "FixtureTree.h"
#include "uDataCtrl.h"
#include "uScanCompare.h"

#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace quorvex;
using namespace quorvex::test;

namespace {

constexpr long long Then = 1700000000; // a fixed write time, so only edits change times

struct TExpected {
    EEntryChange Change;
    std::int64_t Growth;
};

class ScanCompare : public testing::Test {
protected:
    // Scans the folder as it is now and saves it as the base.
    void SaveBase() {
        TDataCtrl ctrl;
        ctrl.SetCountDiskUsage(DiskUsage);
        ctrl.ScanFolder(Dir.Str());
        ctrl.SaveScanFile(BaseFile());
    }
    const TScanCompare& Compare(std::size_t top = TScanCompare::DefaultTopCount) {
        Current.SetCountDiskUsage(DiskUsage);
        Current.ScanFolder(Dir.Str());
        Base.SetCountDiskUsage(DiskUsage);
        Base.LoadScanFile(BaseFile());
        Result.emplace(Current, Base, top);
        return *Result;
    }
    std::string BaseFile() const { return (Work.Path() / "base.json").string(); }
    std::string Rel(const TDataInfo& entry) const {
        const std::string path = entry.FullPath();
        return path == Dir.Str() ? "." : path.substr(Dir.Str().size() + 1);
    }
    // Every current entry's result by relative path.
    std::map<std::string, TEntryDelta> DeltasByPath() const {
        std::map<std::string, TEntryDelta> byPath;
        for (TDataInfo* e = Current.Root(); e; e = NextInPreOrder(e, Current.Root()))
            byPath.emplace(Rel(*e), Result->DeltaOf(*e));
        return byPath;
    }
    // The changes list as "kind path growth", removed paths relative to the base's root.
    std::vector<std::string> ChangeLines() const {
        static const char* const kinds[] = {"none", "added", "removed", "grown", "shrunk"};
        std::vector<std::string> lines;
        for (const TDataInfo* e : Result->Changes()) {
            const std::string path = e->FullPath().substr(Dir.Str().size() + 1);
            lines.push_back(std::string(kinds[int(Result->KindOf(*e))]) + " " + path + " " +
                            std::to_string(Result->GrowthOf(*e)));
        }
        return lines;
    }
    std::vector<std::string> GrowthLines() const {
        std::vector<std::string> lines;
        for (const TGrowthItem& item : Result->LargestGrowths())
            lines.push_back(Rel(*item.Entry) + " " + std::to_string(item.Growth));
        return lines;
    }
    std::vector<std::string> RemovedPaths() const {
        std::vector<std::string> paths;
        for (const TDataInfo* e : Result->RemovedTops())
            paths.push_back(e->FullPath().substr(Dir.Str().size() + 1));
        return paths;
    }
    void Write(const std::vector<std::string>& lines) {
        WriteTree(Dir.Path(), lines);
        for (const auto& entry : fs::recursive_directory_iterator(Dir.Path()))
            if (!entry.is_directory())
                SetTimes(entry.path(), Then);
    }
    void Resize(const std::string& rel, std::size_t bytes) {
        fs::resize_file(Dir.Path() / rel, bytes);
        SetTimes(Dir.Path() / rel, Then + 60);
    }

    TempDir Work, Dir;
    bool DiskUsage = false;
    TDataCtrl Current, Base;
    std::optional<TScanCompare> Result;
};

TEST_F(ScanCompare, EveryKindOfEditIsCountedOnce) {
    Write({"keep.txt:10", "grow.txt:100", "shrink.txt:500", "gone.txt:7", "old/a:1", "old/b/c:2",
           "rename-me:30", "swap:5", "touch.txt:8"});
    SaveBase();
    Resize("grow.txt", 1100);
    Resize("shrink.txt", 200);
    fs::remove(Dir.Path() / "gone.txt");
    fs::remove_all(Dir.Path() / "old");
    fs::rename(Dir.Path() / "rename-me", Dir.Path() / "renamed");
    fs::remove(Dir.Path() / "swap");
    WriteTree(Dir.Path(), {"swap/in:40", "new/x:2000", "new/y:3000", "add.txt:50"});
    SetTimes(Dir.Path() / "touch.txt", Then + 3600);

    const TScanCompare& c = Compare();
    // Added: renamed, swap/ and swap/in, new/ with x and y, add.txt. Removed: gone.txt, old/
    // with a, b/ and c, rename-me, the file swap. Changed: the root, grow, shrink, touch.
    EXPECT_EQ(c.AddedCount(), 7u);
    EXPECT_EQ(c.RemovedCount(), 7u);
    EXPECT_EQ(c.ChangedCount(), 4u);
    EXPECT_EQ(c.TotalChange(), 1000 - 300 - 7 - 3 - 5 + 40 + 5000 + 50);
    EXPECT_EQ(RemovedPaths(), (std::vector<std::string>{"gone.txt", "old", "rename-me", "swap"}));

    const auto d = DeltasByPath();
    const std::map<std::string, TExpected> expected = {
        {".", {EEntryChange::Changed, c.TotalChange()}},
        {"add.txt", {EEntryChange::Added, 50}},
        {"grow.txt", {EEntryChange::Changed, 1000}},
        {"keep.txt", {EEntryChange::Same, 0}},
        {"new", {EEntryChange::Added, 5000}},
        {"new/x", {EEntryChange::Added, 2000}},
        {"new/y", {EEntryChange::Added, 3000}},
        {"renamed", {EEntryChange::Added, 30}},
        {"shrink.txt", {EEntryChange::Changed, -300}},
        {"swap", {EEntryChange::Added, 40}},
        {"swap/in", {EEntryChange::Added, 40}},
        {"touch.txt", {EEntryChange::Changed, 0}}};
    ASSERT_EQ(d.size(), expected.size());
    for (const auto& [path, want] : expected) {
        EXPECT_EQ(d.at(path).Change(), want.Change) << path;
        EXPECT_EQ(d.at(path).Growth(), want.Growth) << path;
    }
    // New folders count once with their content; a folder that was there never.
    EXPECT_EQ(GrowthLines(), (std::vector<std::string>{"new 5000", "grow.txt 1000", "add.txt 50",
                                                       "swap 40", "renamed 30"}));

    // The changes list names each edit once: a new or removed folder as one item.
    EXPECT_EQ(ChangeLines(),
              (std::vector<std::string>{"added add.txt 50", "grown grow.txt 1000", "added new 5000",
                                        "added renamed 30", "shrunk shrink.txt -300",
                                        "added swap 40", "removed gone.txt -7", "removed old -3",
                                        "removed rename-me -30", "removed swap -5"}));
    EXPECT_EQ(c.Total(EChangeKind::Added).Count, 4u);
    EXPECT_EQ(c.Total(EChangeKind::Added).Bytes, 5120);
    EXPECT_EQ(c.Total(EChangeKind::Removed).Bytes, -45);
    EXPECT_EQ(c.Total(EChangeKind::Grown).Bytes, 1000);
    EXPECT_EQ(c.Total(EChangeKind::Shrunk).Count, 1u);
    // Ghost rows hang below the current folder their base parent matches.
    const auto ghosts = c.RemovedIn(*Current.Root());
    ASSERT_EQ(ghosts.size(), 4u);
    EXPECT_EQ(ghosts[3]->Name(), "swap");
    EXPECT_EQ(c.GhostParent(*ghosts[3]), Current.Root());
    EXPECT_EQ(c.GhostParent(*Current.Root()), nullptr);
    EXPECT_EQ(c.KindOf(*Current.Root()->FindByPath(Dir.Str() + "/new/x")), EChangeKind::None);
}

TEST_F(ScanCompare, AnUnchangedFolderShowsNoChange) {
    Write({"a/b/c.txt:300", "a/d:7", "empty/", "sym -> a/d", "x:0"});
    SaveBase();
    const TScanCompare& c = Compare();
    EXPECT_EQ(c.TotalChange(), 0);
    EXPECT_EQ(c.AddedCount() + c.RemovedCount() + c.ChangedCount(), 0u);
    EXPECT_TRUE(c.LargestGrowths().empty());
    EXPECT_TRUE(c.RemovedTops().empty());
    EXPECT_TRUE(c.Changes().empty());
}

TEST_F(ScanCompare, AFolderReplacedByAFileIsRemovedAndAdded) {
    Write({"dir/one:1", "dir/two:2", "other:4"});
    SaveBase();
    fs::remove_all(Dir.Path() / "dir");
    Write({"dir:9"});
    const TScanCompare& c = Compare();
    EXPECT_EQ(c.RemovedCount(), 3u);
    EXPECT_EQ(c.AddedCount(), 1u);
    EXPECT_EQ(c.ChangedCount(), 1u); // the root
    EXPECT_EQ(c.TotalChange(), 9 - 3);
    EXPECT_EQ(GrowthLines(), std::vector<std::string>{"dir 9"});
}

// Both sides order children with NameLess: the kernel's listing sorted by the scan, the
// file's by the loader. A name matched wrongly would show as one added and one removed.
TEST_F(ScanCompare, HostileNamesMatchByTheirBytes) {
    std::vector<std::string> names = {
        "A", "a", "B", "b", "bad\xff\xfe", "\xc3\xa9t\xc3\xa9", "line\nbreak", " spaced ", "-dash"};
    const std::string high = EveryByteNames().back();
    for (const std::string& name : EveryByteNames())
        names.push_back(name);
    for (const std::string& name : names)
        std::ofstream(Dir.Path() / name) << name;
    SaveBase();
    std::ofstream(Dir.Path() / high, std::ios::app) << "12345";
    fs::remove(Dir.Path() / "b");
    std::ofstream(Dir.Path() / "new\x80") << "xy";

    const TScanCompare& c = Compare(1);
    EXPECT_EQ(c.AddedCount(), 1u);
    EXPECT_EQ(c.RemovedCount(), 1u);
    EXPECT_EQ(c.ChangedCount(), 2u); // the root and the grown file
    EXPECT_EQ(c.TotalChange(), 5 + 2 - 1);
    ASSERT_EQ(c.RemovedTops().size(), 1u);
    EXPECT_EQ(c.RemovedTops()[0]->Name(), "b");
    ASSERT_EQ(c.LargestGrowths().size(), 1u);
    EXPECT_EQ(c.LargestGrowths()[0].Entry->Name(), high);
}

// Opens (and makes, when missing) a chain of `depth` folders "d" by descriptor: its full path
// is longer than PATH_MAX. Puts a file of `bytes` bytes into the deepest one.
void ChainWithFile(const fs::path& top, int depth, const char* name, std::size_t bytes) {
    int fd = open(top.c_str(), O_RDONLY | O_DIRECTORY);
    for (int i = 0; i < depth && fd >= 0; ++i) {
        mkdirat(fd, "d", 0755);
        const int next = openat(fd, "d", O_RDONLY | O_DIRECTORY);
        close(fd);
        fd = next;
    }
    ASSERT_GE(fd, 0);
    const int file = openat(fd, name, O_WRONLY | O_CREAT, 0644);
    ASSERT_EQ(write(file, std::string(bytes, 'x').data(), bytes), ssize_t(bytes));
    close(file);
    close(fd);
}

TEST_F(ScanCompare, ADeepChainIsMatchedWithoutRecursion) {
    constexpr int depth = 1500;
    ChainWithFile(Dir.Path(), depth, "f", 1);
    SaveBase();
    ChainWithFile(Dir.Path(), depth, "g", 5);
    const TScanCompare& c = Compare();
    EXPECT_EQ(c.AddedCount(), 1u);
    EXPECT_EQ(c.RemovedCount(), 0u);
    EXPECT_EQ(c.ChangedCount(), depth + 1u); // every folder of the chain and the root
    const TDataInfo* deepest = Current.Root();
    while (deepest->Children().Count() == 1)
        deepest = deepest->Children().begin();
    ASSERT_EQ(deepest->Children().Count(), 2u);
    EXPECT_EQ(c.DeltaOf(deepest->Children().begin()[1]).Change(), EEntryChange::Added); // g
    EXPECT_EQ(c.DeltaOf(deepest->Children().begin()[0]).Change(), EEntryChange::Same);  // f
    EXPECT_EQ(c.DeltaOf(*deepest).Growth(), 5);
    ASSERT_EQ(c.LargestGrowths().size(), 1u);
    EXPECT_EQ(c.LargestGrowths()[0].Entry->Name(), "g");
}

TEST_F(ScanCompare, LargestGrowthsAreCutAtTheCountLargestFirst) {
    std::vector<std::string> lines;
    for (int i = 1; i <= 6; ++i)
        lines.push_back("f" + std::to_string(i) + ":1");
    Write(lines);
    SaveBase();
    // Growths 100, 300, 300, 50 and a new file of 300: ties keep the tree's order.
    Resize("f1", 101);
    Resize("f2", 301);
    Resize("f4", 301);
    Resize("f5", 51);
    Write({"f3b:300"});
    Compare(3);
    EXPECT_EQ(GrowthLines(), (std::vector<std::string>{"f2 300", "f3b 300", "f4 300"}));
}

TEST_F(ScanCompare, DiskUsageComparesCountedSizes) {
    DiskUsage = true;
    Write({"small:1"});
    SaveBase();
    Write({"big:100000"});
    const TScanCompare& c = Compare();
    const TDataInfo* big = Current.Root()->FindByPath(Dir.Str() + "/big");
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(c.TotalChange(), std::int64_t(Current.DiskSize(*big)));
    ASSERT_EQ(c.LargestGrowths().size(), 1u);
    EXPECT_EQ(c.LargestGrowths()[0].Growth, std::int64_t(Current.DiskSize(*big)));
}

TEST_F(ScanCompare, BasesThatCannotBeComparedAreRefused) {
    Write({"a:1", "sub/b:2"});
    SaveBase();
    Current.ScanFolder(Dir.Str() + "/sub");
    Base.LoadScanFile(BaseFile());
    try {
        TScanCompare c(Current, Base);
        ADD_FAILURE() << "another folder's base was compared";
    } catch (const ECompareError& e) {
        EXPECT_NE(std::string(e.what()).find("'" + Dir.Str() + "'"), std::string::npos);
        EXPECT_NE(std::string(e.what()).find("'" + Dir.Str() + "/sub'"), std::string::npos);
    }
    Current.ScanFolder(Dir.Str());
    Base.SetCountDiskUsage(true);
    EXPECT_THROW(TScanCompare(Current, Base), ECompareError);
    TDataCtrl empty;
    EXPECT_THROW(TScanCompare(Current, empty), ECompareError);
}

TEST(EntryDelta, KeepsGrowthAndChangeTogetherUpToItsBound) {
    for (const EEntryChange change :
         {EEntryChange::Same, EEntryChange::Changed, EEntryChange::Added})
        for (const std::int64_t growth : {std::int64_t(0), std::int64_t(-1), std::int64_t(1),
                                          TEntryDelta::MaxGrowth, -TEntryDelta::MaxGrowth}) {
            const TEntryDelta delta(growth, change);
            EXPECT_EQ(delta.Growth(), growth);
            EXPECT_EQ(delta.Change(), change);
        }
    EXPECT_EQ(TEntryDelta(INT64_MAX, EEntryChange::Added).Growth(), TEntryDelta::MaxGrowth);
    EXPECT_EQ(TEntryDelta(INT64_MIN, EEntryChange::Changed).Growth(), -TEntryDelta::MaxGrowth);
    EXPECT_EQ(TEntryDelta(INT64_MIN, EEntryChange::Changed).Change(), EEntryChange::Changed);
}

TEST(SizeDifference, IsHeldToTheSignedRange) {
    EXPECT_EQ(SizeDifference(5, 3), 2);
    EXPECT_EQ(SizeDifference(3, 5), -2);
    EXPECT_EQ(SizeDifference(UINT64_MAX, 0), INT64_MAX);
    EXPECT_EQ(SizeDifference(0, UINT64_MAX), INT64_MIN);
    EXPECT_EQ(SizeDifference(0, std::uint64_t(INT64_MAX) + 1), INT64_MIN);
}

} // namespace
