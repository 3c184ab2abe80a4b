// Before anything acts on an entry, the item at its path must still be the one the scan
// saw: a vanished, re-created, retyped or rewritten item, or one reached through a folder
// swapped for a link, is reported as changed.
#include "EngineTestUtil.h"
#include "FixtureTree.h"
#include "uEntryCheck.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace fs = std::filesystem;
using namespace quorvex;
using namespace quorvex::test;

namespace {

class EntryCheck : public testing::TestWithParam<int> {
protected:
    void SetUp() override {
        Ctrl.LoadGroups(DefaultRanges());
        Ctrl.SetScanThreads(GetParam());
        WriteTree(Dir.Path(), {"a.txt:5@-86400", "b.txt:7@-86400", "c.txt:3@-86400", "dir/x:1",
                               "dir2/y:2", "link -> a.txt", "dangling -> nowhere"});
        Ctrl.ScanFolder(Dir.Str());
    }
    const TDataInfo& Entry(const std::string& relative) {
        const TDataInfo* entry = Ctrl.Root()->FindByPath(Dir.Str() + "/" + relative);
        EXPECT_NE(entry, nullptr) << relative;
        return *entry;
    }
    fs::path At(const std::string& relative) const { return Dir.Path() / relative; }
    // Puts a new file of the same size and write time at `relative`, one whose inode bits
    // differ from the scanned one's (a match, one time in eight, is what the bits miss).
    void ReplaceKeepingSizeAndTime(const std::string& relative) {
        const TDataInfo& old = Entry(relative);
        for (int attempt = 0; attempt < 64; ++attempt) {
            const fs::path spare = Spare.Path() / std::to_string(attempt);
            fs::copy_file(At(relative), spare);
            SetTimes(spare, old.WriteSeconds());
            struct stat st {};
            ASSERT_EQ(::lstat(spare.c_str(), &st), 0);
            if (InodeFingerprintOf(st.st_dev, st.st_ino) != old.InodeFingerprint()) {
                fs::rename(spare, At(relative));
                return;
            }
        }
        FAIL() << "no inode with other bits in 64 files";
    }
    TempDir Dir, Spare{Dir.Path().parent_path()};
    TDataCtrl Ctrl;
};

TEST_P(EntryCheck, EveryEntryOfAnUntouchedTreeIsUnchanged) {
    int checked = 0;
    for (TDataInfo* e = NextInPreOrder(Ctrl.Root(), Ctrl.Root()); e;
         e = NextInPreOrder(e, Ctrl.Root()), ++checked)
        EXPECT_EQ(ChangeSinceScan(*e), EEntryChange::Unchanged) << e->FullPath();
    EXPECT_EQ(checked, 9);
    // The root was given, not listed: nothing recorded to compare with.
    EXPECT_EQ(ChangeSinceScan(*Ctrl.Root()), EEntryChange::NoScanRecord);
}

TEST_P(EntryCheck, AnotherItemUnderTheSameNameIsNeverUnchanged) {
    fs::remove(At("a.txt"));
    fs::remove(At("c.txt"));
    fs::create_directory(At("c.txt"));
    fs::remove_all(At("dir"));
    fs::create_directory_symlink(At("dir2"), At("dir"));
    ReplaceKeepingSizeAndTime("b.txt");
    fs::remove(At("link"));
    fs::copy_file(At("b.txt"), At("link")); // a file where the link was
    EXPECT_EQ(ChangeSinceScan(Entry("link")), EEntryChange::OtherKind);
    EXPECT_EQ(ChangeSinceScan(Entry("a.txt")), EEntryChange::Vanished);
    EXPECT_EQ(ChangeSinceScan(Entry("b.txt")), EEntryChange::Replaced);
    EXPECT_EQ(ChangeSinceScan(Entry("c.txt")), EEntryChange::OtherKind);
    EXPECT_EQ(ChangeSinceScan(Entry("dir")), EEntryChange::OtherKind);
}

TEST_P(EntryCheck, ARewrittenFileIsModifiedAndItsFolderStaysTheSame) {
    WriteTree(Dir.Path(), {"b.txt:9"}); // the same inode, written anew
    SetTimes(At("c.txt"), Entry("c.txt").WriteSeconds() + 60);
    EXPECT_EQ(ChangeSinceScan(Entry("b.txt")), EEntryChange::Modified);
    EXPECT_EQ(ChangeSinceScan(Entry("c.txt")), EEntryChange::Modified);
    fs::remove(At("dir2/y"));
    EXPECT_EQ(ChangeSinceScan(Entry("dir2")), EEntryChange::Unchanged); // emptied, not replaced
}

TEST_P(EntryCheck, AFolderSwappedForALinkOnThePathIsCaught) {
    // The copy holds "y" with the same size and times; only the path through a link differs.
    const fs::path copy = Spare.Path() / "dir2";
    fs::copy(At("dir2"), copy, fs::copy_options::recursive);
    SetTimes(copy / "y", Entry("dir2/y").WriteSeconds());
    fs::rename(At("dir2"), Spare.Path() / "old");
    fs::create_directory_symlink(copy, At("dir2"));
    EXPECT_NE(ChangeSinceScan(Entry("dir2/y")), EEntryChange::Unchanged);
    EXPECT_EQ(ChangeSinceScan(Entry("dir2")), EEntryChange::OtherKind);
}

INSTANTIATE_TEST_SUITE_P(Threads, EntryCheck, testing::Values(1, 4));

} // namespace
