// Classification against the range lists and the sums over the current folder.
#include "EngineTestUtil.h"
#include "FixtureTree.h"

#include <gtest/gtest.h>

using namespace quorvex;
using namespace quorvex::test;

namespace {

constexpr std::int64_t Now = 1765000000; // a fixed "now", in seconds
constexpr std::int64_t Day = 86400;

class Grouping : public testing::Test {
protected:
    void SetUp() override {
        Ctrl.SetClock([] { return Now * 1000; });
    }
    void Scan(const std::vector<std::string>& tree, const TGroupRanges& ranges) {
        WriteTree(Dir.Path(), tree);
        Ctrl.LoadGroups(ranges);
        Ctrl.ScanFolder(Dir.Str());
    }
    TDataInfo* Find(const std::string& relative) {
        return Ctrl.Root()->FindByPath(Dir.Str() + "/" + relative);
    }
    void Age(const std::string& relative, std::int64_t secondsAgo) {
        SetTimes(Dir.Path() / relative, Now - secondsAgo);
    }
    static std::string Counts(const TSumList& sums) {
        std::string text;
        for (const TSumInfo& s : sums)
            text += s.GroupCaption() + "=" + std::to_string(s.EntryCount()) + "/" +
                    std::to_string(s.TotalSize()) + " ";
        return text;
    }
    TempDir Dir;
    TDataCtrl Ctrl;
};

TGroupRanges SizeRanges() {
    TGroupRanges r;
    r.Size = {{"small", 10000}, {"medium", 100000}};
    r.Age = {{"day", 1}, {"three", 3}};
    r.Length = {{"short", 5}};
    r.AboveLast = "above";
    return r;
}

TEST_F(Grouping, SizeEqualToABoundStaysInItsGroup) {
    Scan({"a:10000", "b:10001", "c:100001", "d:0"}, SizeRanges());
    EXPECT_EQ(Find("a")->SizeGroup(), 0);
    EXPECT_EQ(Find("b")->SizeGroup(), 1);
    EXPECT_EQ(Find("c")->SizeGroup(), 2);
    EXPECT_EQ(Find("d")->SizeGroup(), 0);
    EXPECT_EQ(Ctrl.Root()->SizeGroup(), 2); // a folder is grouped by its total
    EXPECT_EQ(Ctrl.FileSizeSums().Count(), 3u);
    EXPECT_EQ(Ctrl.FileSizeSums().Items(2).GroupCaption(), "above");
    EXPECT_EQ(Ctrl.FileSizeSums().Items(2).GroupIndex(), 2);
}

TEST_F(Grouping, AgeEqualToABoundFallsIntoTheNextGroup) {
    Scan({"half:1", "one:1", "five:1", "future:1"}, SizeRanges());
    Age("half", Day / 2);
    Age("one", Day);
    Age("five", 5 * Day);
    Age("future", -Day);
    Ctrl.ScanFolder(Dir.Str());
    EXPECT_EQ(Find("half")->WriteGroup(), 0);
    EXPECT_EQ(Find("one")->WriteGroup(), 1);
    EXPECT_EQ(Find("one")->AccessGroup(), 1);
    EXPECT_EQ(Find("five")->WriteGroup(), 2);
    EXPECT_EQ(Find("future")->WriteGroup(), 0);
    EXPECT_EQ(Ctrl.Root()->WriteGroup(), TDataInfo::NoGroup); // folders: by size only
}

TEST_F(Grouping, NameLengthCountsCharacters) {
    Scan({"abcde:1", "abcdef:1", "\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4:1"}, SizeRanges());
    EXPECT_EQ(Find("abcde")->NameLengthGroup(), 0);
    EXPECT_EQ(Find("abcdef")->NameLengthGroup(), 1);
    EXPECT_EQ(Find("\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4")->NameLengthGroup(), 0);
    EXPECT_EQ(Ctrl.Root()->NameLengthGroup(), TDataInfo::NoGroup); // folders: by size only
}

TEST_F(Grouping, EmptyRangeListsPutEverythingIntoTheOverflowGroup) {
    TGroupRanges none;
    none.AboveLast = "all";
    Scan({"a:5", "b/c:99999999"}, none);
    Ctrl.SetCurrentRoot(Ctrl.Root());
    EXPECT_EQ(Counts(Ctrl.FileSizeSums()), "all=2/100000004 ");
    EXPECT_EQ(Counts(Ctrl.CreateTimeSums()), "all=2/100000004 ");
    EXPECT_EQ(Find("b/c")->SizeGroup(), 0);
}

TEST_F(Grouping, FoldersCountInFolderSumsFilesInTheOthers) {
    Scan({"A/ten:10", "A/B/five:5"}, SizeRanges());
    Ctrl.SetCurrentRoot(Ctrl.Root());
    EXPECT_EQ(Counts(Ctrl.FolderSizeSums()), "small=2/20 medium=0/0 above=0/0 ");
    EXPECT_EQ(Counts(Ctrl.FileSizeSums()), "small=2/15 medium=0/0 above=0/0 ");
    EXPECT_EQ(Counts(Ctrl.NameLengthSums()), "short=2/15 above=0/0 ");
    EXPECT_EQ(Ctrl.FileTypeSums().Count(), 1u);

    Ctrl.SetCurrentRoot(Find("A/B"));
    EXPECT_EQ(Ctrl.CurrentRoot(), Find("A/B"));
    EXPECT_EQ(Counts(Ctrl.FolderSizeSums()), "small=0/0 medium=0/0 above=0/0 ");
    EXPECT_EQ(Counts(Ctrl.FileSizeSums()), "small=1/5 medium=0/0 above=0/0 ");

    Ctrl.SetCurrentRoot(nullptr); // nothing changes
    EXPECT_EQ(Ctrl.CurrentRoot(), Find("A/B"));
    EXPECT_EQ(Counts(Ctrl.FileSizeSums()), "small=1/5 medium=0/0 above=0/0 ");
}

TEST_F(Grouping, FolderWithoutDescendantsGivesZeroSums) {
    Scan({"empty/", "x.txt:3"}, SizeRanges());
    Ctrl.SetCurrentRoot(Find("empty"));
    EXPECT_EQ(Counts(Ctrl.FileSizeSums()), "small=0/0 medium=0/0 above=0/0 ");
    EXPECT_EQ(Ctrl.FileTypeSums().Count(), 0u);
}

TEST_F(Grouping, TypeSumsAreCaseSensitiveInFirstMetOrder) {
    Scan({"d/a.TXT:1", "d/b.txt:2", "d/c.txt:4", "d/none:8", "d/.cfg:16", "d/x.:32"}, SizeRanges());
    Ctrl.SetCurrentRoot(Ctrl.Root());
    TSumList& types = Ctrl.FileTypeSums();
    ASSERT_EQ(types.Count(), 4u);
    EXPECT_EQ(types.FindByCaption("TXT")->TotalSize(), 1u);
    EXPECT_EQ(types.FindByCaption("txt")->TotalSize(), 6u);
    EXPECT_EQ(types.FindByCaption("txt")->EntryCount(), 2u);
    EXPECT_EQ(types.FindByCaption("")->TotalSize(), 40u); // no extension, and "x."
    EXPECT_EQ(types.FindByCaption("cfg")->TotalSize(), 16u);
    EXPECT_EQ(types.FindByCaption("Cfg"), nullptr);
    for (std::size_t i = 0; i < types.Count(); ++i)
        EXPECT_EQ(types.Items(i).GroupIndex(), std::int32_t(i));
}

TEST_F(Grouping, ReclassifyFollowsNewRangesAndTheClock) {
    Scan({"f:50000"}, SizeRanges());
    Age("f", 2 * Day);
    Ctrl.ScanFolder(Dir.Str());
    EXPECT_EQ(Find("f")->SizeGroup(), 1);
    EXPECT_EQ(Find("f")->WriteGroup(), 1);

    TGroupRanges wider = SizeRanges();
    wider.Size = {{"all", 1000000}};
    Ctrl.LoadGroups(wider);
    Ctrl.SetClock([] { return (Now + 10 * Day) * 1000; });
    Ctrl.ReclassifyAll();
    EXPECT_EQ(Find("f")->SizeGroup(), 0);
    EXPECT_EQ(Find("f")->WriteGroup(), 2);
    Ctrl.SetCurrentRoot(Ctrl.Root());
    EXPECT_EQ(Counts(Ctrl.FileSizeSums()), "all=1/50000 above=0/0 ");
}

TEST_F(Grouping, SummingWithoutLoadedGroupsFailsInsteadOfCorrupting) {
    Scan({"a:1"}, SizeRanges());
    Ctrl.ClearGroups();
    EXPECT_THROW(Ctrl.SetCurrentRoot(Ctrl.Root()), std::out_of_range);
}

// All or nothing: a refused list, wherever it stands, leaves every previous group in force.
TEST_F(Grouping, RangeListsLongerThanTheStoredGroupsAreRefused) {
    Scan({"f:50000"}, SizeRanges());
    Ctrl.SetCurrentRoot(Ctrl.Root());
    const std::string ages = Counts(Ctrl.CreateTimeSums());
    for (std::vector<TRangeItem> TGroupRanges::*list :
         {&TGroupRanges::Age, &TGroupRanges::Size, &TGroupRanges::Length}) {
        TGroupRanges many = SizeRanges();
        many.Age = {{"week", 7}};
        (many.*list).clear();
        for (int i = 0; i < 255; ++i)
            (many.*list).push_back({"g" + std::to_string(i), i});
        EXPECT_THROW(Ctrl.LoadGroups(many), std::length_error);
        EXPECT_EQ(Ctrl.AgeThresholds(), (std::vector<double>{1, 3}));
        EXPECT_EQ(Ctrl.SizeThresholds(), (std::vector<double>{10000, 100000}));
        EXPECT_EQ(Ctrl.LengthThresholds(), (std::vector<double>{5}));
        Ctrl.SetCurrentRoot(Ctrl.Root());
        EXPECT_EQ(Counts(Ctrl.FileSizeSums()), "small=0/0 medium=1/50000 above=0/0 ");
        EXPECT_EQ(Counts(Ctrl.CreateTimeSums()), ages);
    }
    TGroupRanges most = SizeRanges();
    most.Size.clear();
    for (int i = 0; i < 254; ++i)
        most.Size.push_back({"g" + std::to_string(i), i});
    Ctrl.LoadGroups(most);
    EXPECT_EQ(Ctrl.FileSizeSums().Count(), TDataCtrl::MaxGroups);
}

TEST(SumList, FindByCaptionIsExact) {
    TSumList list;
    list.Add("TXT", 0);
    list.Add("", 1);
    EXPECT_EQ(list.FindByCaption("txt"), nullptr);
    EXPECT_EQ(list.FindByCaption("")->GroupIndex(), 1);
    EXPECT_THROW(list.Items(2), std::out_of_range);
}

} // namespace
