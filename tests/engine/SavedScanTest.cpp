// Scans saved to and loaded from scan files, and the files the terminal disk-usage tools
// write: what is loaded must be the tree a live scan of the same folder holds.
#include "EngineTestUtil.h"
#include "FixtureTree.h"
#include "uScanFileItem.h"

#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace quorvex;
using namespace quorvex::test;

namespace {

constexpr std::int64_t NowMs = 1765000000000;

void Prepare(TDataCtrl& ctrl, bool disk = false) {
    ctrl.SetClock([] { return NowMs; });
    ctrl.LoadGroups(DefaultRanges());
    ctrl.SetCountDiskUsage(disk);
}

int Shell(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str());
}

std::uint64_t FileCount(TDataCtrl& ctrl) {
    std::uint64_t files = 0;
    for (const TSumInfo& sum : ctrl.FileSizeSums())
        files += sum.EntryCount();
    return files;
}

std::string Quoted(const fs::path& path) {
    return "'" + path.string() + "'";
}

// Names no tool may mangle, and, unless `utf8Only`, bytes that are no UTF-8 at all.
std::vector<std::string> HostileNames(bool utf8Only) {
    std::vector<std::string> names = {"quote\"back\\slash",
                                      "line\nbreak\ttab",
                                      "-dash",
                                      " spaced ",
                                      "\xc3\xa9t\xc3\xa9 \xe2\x82\xac",
                                      "\x01\x1f"};
    if (!utf8Only) {
        names.push_back("bad\xff\xfe");
        for (const std::string& name : EveryByteNames())
            names.push_back(name);
    }
    return names;
}

class SavedScan : public testing::Test {
protected:
    void Write(bool utf8Only = false) {
        WriteTree(Dir.Path(),
                  {"a/b/c.txt:300", "a/d:7", "empty/", "sym -> a/d", "x.tar.gz:4096", "old:1"});
        SetTimes(Dir.Path() / "old", -86400 * 400); // before 1970
        for (const std::string& name : HostileNames(utf8Only))
            std::ofstream(Dir.Path() / "a" / name) << name;
        fs::create_hard_link(Dir.Path() / "a/d", Dir.Path() / "empty2link");
        const int fd = open((Dir.Path() / "sparse").c_str(), O_WRONLY | O_CREAT, 0644);
        ASSERT_EQ(ftruncate(fd, 1 << 28), 0);
        close(fd);
    }
    void Scan(TDataCtrl& ctrl, bool disk = false) {
        Prepare(ctrl, disk);
        ctrl.ScanFolder(Dir.Str());
        ctrl.SetCurrentRoot(ctrl.Root());
    }
    void Load(TDataCtrl& ctrl, const fs::path& file, bool disk = false) {
        Prepare(ctrl, disk);
        ASSERT_TRUE(ctrl.LoadScanFile(file.string()));
        ctrl.SetCurrentRoot(ctrl.Root());
    }
    // Folders' own blocks: what a writer that keeps none leaves out of the disk usage.
    static std::uint64_t OwnBlocks(const TDataCtrl& ctrl) {
        std::uint64_t own = 0;
        for (TDataInfo* e = ctrl.Root(); e; e = NextInPreOrder(e, ctrl.Root())) {
            if (!e->IsFolder())
                continue;
            own += ctrl.DiskSize(*e);
            for (const TDataInfo& child : e->Children())
                own -= ctrl.DiskSize(child);
        }
        return own;
    }

    TempDir Dir, Files;
};

TEST_F(SavedScan, SavedAndLoadedAgainIsTheSameTreeInBothCounts) {
    Write();
    for (const bool disk : {false, true}) {
        for (const char* name : {"scan.json", "scan.json.zst"}) {
            TDataCtrl live, loaded;
            fs::create_directories(Dir.Path() / "gone/x");
            live.SetReadHook([](const TDataInfo& folder) {
                if (folder.FileName() == "gone") // a folder not read, with its reason
                    fs::remove_all(folder.FullPath());
            });
            Scan(live, disk);
            ASSERT_EQ(live.Problems().size(), 1u);
            ASSERT_TRUE(live.SaveScanFile((Files.Path() / name).string()));
            Load(loaded, Files.Path() / name, disk);
            EXPECT_EQ(TreeFacts(loaded), TreeFacts(live)) << name;
            EXPECT_TRUE(loaded.IsLoaded());
            EXPECT_FALSE(live.IsLoaded());
            // Times, owners and links survive as well.
            const TDataInfo* a = live.Root()->FindByPath(Dir.Str() + "/a/d");
            const TDataInfo* b = loaded.Root()->FindByPath(Dir.Str() + "/a/d");
            ASSERT_TRUE(b);
            EXPECT_EQ(b->CreateTime(), a->CreateTime());
            EXPECT_EQ(b->AccessTime(), a->AccessTime());
            EXPECT_EQ(b->WriteTime(), a->WriteTime());
            EXPECT_EQ(*loaded.Owner(*b), *live.Owner(*a));
            EXPECT_EQ(loaded.HardLink(*b)->Ino, live.HardLink(*a)->Ino);
            EXPECT_TRUE(loaded.Root()->FindByPath(Dir.Str() + "/sym")->IsLink());
            EXPECT_EQ(loaded.Root()->FindByPath(Dir.Str() + "/old")->WriteSeconds(), -86400 * 400);
        }
    }
}

TEST_F(SavedScan, FoldersNestedDeeperThanAnyStackLoad) {
    int fd = open(Dir.Path().c_str(), O_RDONLY | O_DIRECTORY);
    for (int i = 0; i < 1500 && fd >= 0; ++i) {
        mkdirat(fd, "d", 0755);
        const int next = openat(fd, "d", O_RDONLY | O_DIRECTORY);
        close(fd);
        fd = next;
    }
    ASSERT_GE(fd, 0);
    close(openat(fd, "leaf", O_WRONLY | O_CREAT, 0644));
    close(fd);
    TDataCtrl live, loaded;
    Scan(live);
    ASSERT_TRUE(live.SaveScanFile((Files.Path() / "deep.json").string()));
    Load(loaded, Files.Path() / "deep.json");
    EXPECT_EQ(TreeFacts(loaded), TreeFacts(live));
    EXPECT_EQ(loaded.EntryCount(), 1502u);
}

// ---- The terminal tools' own files ------------------------------------------------------

TEST_F(SavedScan, TheFirstToolReadsOurFileAndWritesOneThatLoadsAsTheLiveScan) {
    Write();
    TDataCtrl live;
    Scan(live, true);
    const fs::path ours = Files.Path() / "ours.json", again = Files.Path() / "again.json";
    ASSERT_TRUE(live.SaveScanFile(ours.string()));
    ASSERT_EQ(Shell("ncdu -f " + Quoted(ours) + " -o " + Quoted(again)), 0);
    TDataCtrl loaded;
    Load(loaded, again, true);
    EXPECT_EQ(DumpTree(*loaded.Root()), DumpTree(*live.Root()));
    EXPECT_EQ(loaded.EntryCount(), live.EntryCount());
}

TEST_F(SavedScan, FilesOfBothToolsLoadWithTheLiveTotalsCountsAndNames) {
    Write(true); // one of them writes names as UTF-8 only
    const fs::path first = Files.Path() / "first.json", second = Files.Path() / "second.json";
    ASSERT_EQ(Shell("ncdu -e -o " + Quoted(first) + " " + Quoted(Dir.Path())), 0);
    ASSERT_EQ(Shell("gdu -n -o " + Quoted(second) + " " + Quoted(Dir.Path())), 0);
    for (const bool disk : {false, true}) {
        TDataCtrl live, fromFirst, fromSecond;
        Scan(live, disk);
        Load(fromFirst, first, disk);
        Load(fromSecond, second, disk);
        EXPECT_EQ(DumpTree(*fromFirst.Root()), DumpTree(*live.Root())) << disk;
        EXPECT_EQ(fromFirst.EntryCount(), live.EntryCount());
        EXPECT_EQ(fromSecond.EntryCount(), live.EntryCount());
        EXPECT_EQ(fromSecond.ApparentSize(*fromSecond.Root()), live.ApparentSize(*live.Root()));
        // The second tool keeps no folder's own blocks, and marks all links but the first.
        EXPECT_EQ(fromSecond.DiskSize(*fromSecond.Root()),
                  live.DiskSize(*live.Root()) - OwnBlocks(live));
        EXPECT_EQ(fromFirst.DiskSize(*fromFirst.Root()), live.DiskSize(*live.Root()));
        for (const TDataCtrl* ctrl : {&fromFirst, &fromSecond}) // each writes 1969 its own way
            EXPECT_EQ(ctrl->Root()->FindByPath(Dir.Str() + "/old")->WriteSeconds(), -86400 * 400);
    }
}

// Neither tool keeps creation or access times: those ages are "Unknown" while such a file
// is shown, and the group leaves with it.
TEST_F(SavedScan, MissingTimesFallIntoAnUnknownGroupThatLeavesWithTheFile) {
    Write();
    const fs::path first = Files.Path() / "first.json";
    ASSERT_EQ(Shell("ncdu -e -o " + Quoted(first) + " " + Quoted(Dir.Path())), 0);
    TDataCtrl ctrl;
    Load(ctrl, first);
    for (TSumList* list : {&ctrl.CreateTimeSums(), &ctrl.AccessTimeSums()}) {
        ASSERT_EQ(list->Items(list->Count() - 1).GroupCaption(), "Unknown");
        EXPECT_EQ(list->Items(list->Count() - 1).EntryCount(), FileCount(ctrl));
    }
    const TSumList& written = ctrl.WriteTimeSums();
    EXPECT_EQ(written.Items(written.Count() - 1).EntryCount(), 0u); // write times are known
    ctrl.LoadGroups(DefaultRanges()); // new options keep the group while the file is shown
    EXPECT_EQ(ctrl.AccessTimeSums().Count(), DefaultRanges().Age.size() + 2);
    Scan(ctrl);
    EXPECT_EQ(ctrl.AccessTimeSums().Count(), DefaultRanges().Age.size() + 1);
    EXPECT_FALSE(ctrl.IsLoaded());
}

// ---- Refused files -------------------------------------------------------------------------

TEST_F(SavedScan, ABadFileIsRefusedWithItsPlaceAndLeavesNothingLoaded) {
    Write();
    TDataCtrl ctrl;
    Scan(ctrl);
    const fs::path good = Files.Path() / "good.json";
    ASSERT_TRUE(ctrl.SaveScanFile(good.string()));
    std::ifstream in(good);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string head = "[1,2,{\"progname\":\"x\"},\n[{\"name\":\"/r\"},\n";
    const std::vector<std::string> bad = {
        text.substr(0, text.size() / 2),
        "this is no scan file",
        "[2,0,{\"progname\":\"x\"},[{\"name\":\"/r\"}]]",
        head + "{\"name\":\"f\",\"asize\":-5}]]",
        head + "{\"name\":\"f\",\"asize\":18446744073709551616}]]",
        head + "{\"name\":\"a/b\"}]]",
        head + "{\"name\":\"..\"}]]",
        head + "{\"name\":\".\"}]]",
        head + "[{\"name\":\"\"}]]]",
    };
    for (const std::string& content : bad) {
        Load(ctrl, good);
        const fs::path file = Files.Path() / "bad.json";
        std::ofstream(file, std::ios::trunc) << content;
        try {
            ctrl.LoadScanFile(file.string());
            ADD_FAILURE() << "accepted: " << content.substr(0, 80);
        } catch (const TScanFileError& e) {
            EXPECT_NE(std::string(e.what()).find(" at byte "), std::string::npos);
            EXPECT_LE(e.Offset(), content.size());
        }
        EXPECT_EQ(ctrl.Root(), nullptr);
        EXPECT_EQ(ctrl.EntryCount(), 0u);
        EXPECT_FALSE(ctrl.IsLoaded());
        EXPECT_TRUE(ctrl.Problems().empty());
    }
}

class CancelAtOnce : public IScanObserver {
public:
    void ScanProgress(const TScanProgress&) override {}
    bool ScanCancelRequested() override { return true; }
};

TEST_F(SavedScan, ACancelledLoadLeavesNothingAndACancelledSaveKeepsTheOldFile) {
    std::string text = "[1,2,{},\n[{\"name\":\"/big\"}";
    for (int i = 0; i < 40000; ++i)
        text += ",\n{\"name\":\"f" + std::to_string(i) + "\",\"asize\":1}";
    text += "]]\n";
    const fs::path file = Files.Path() / "big.json";
    std::ofstream(file) << text;
    TDataCtrl ctrl;
    Prepare(ctrl);
    CancelAtOnce cancel;
    EXPECT_FALSE(ctrl.LoadScanFile(file.string(), &cancel));
    EXPECT_EQ(ctrl.Root(), nullptr);
    ASSERT_TRUE(ctrl.LoadScanFile(file.string()));
    EXPECT_EQ(ctrl.EntryCount(), 40001u);
    EXPECT_EQ(ctrl.Root()->Size(), 40000u);
    const fs::path target = Files.Path() / "old.json";
    std::ofstream(target) << "old";
    EXPECT_FALSE(ctrl.SaveScanFile(target.string(), &cancel));
    std::ifstream in(target);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(Files.Path()), fs::directory_iterator()), 2);
}

} // namespace
