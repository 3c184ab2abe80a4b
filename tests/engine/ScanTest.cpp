// Scanning fixture trees: the entries, their texts and the folder totals.
#include "EngineTestUtil.h"
#include "FixtureTree.h"
#include "uBaseFunction.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace fs = std::filesystem;
using namespace quorvex;
using namespace quorvex::test;

namespace {

class ScanTest : public testing::Test {
protected:
    void Scan(const std::vector<std::string>& tree) {
        WriteTree(Dir.Path(), tree);
        Ctrl.LoadGroups(DefaultRanges());
        Ctrl.ScanFolder(Dir.Str());
    }
    TDataInfo* Find(const std::string& relative) {
        return Ctrl.Root()->FindByPath(Dir.Str() + "/" + relative);
    }

    TempDir Dir;
    TDataCtrl Ctrl;
};

TEST_F(ScanTest, EmptyFolderHasNoChildrenAndSizeZero) {
    Scan({});
    EXPECT_EQ(Ctrl.Root()->Children().Count(), 0u);
    EXPECT_EQ(Ctrl.Root()->FileSize(), "0");
    EXPECT_EQ(Ctrl.Root()->FullPath(), Dir.Str());
    EXPECT_EQ(Ctrl.Root()->FileName(), Dir.Str());
    EXPECT_EQ(Ctrl.EntryCount(), 1u);
    EXPECT_FALSE(Ctrl.WasCancelled());
}

TEST_F(ScanTest, FolderTotalsAddUpEverythingBelow) {
    Scan({"a.txt:100", "sub/b.txt:50", "sub/deeper/c:7", "sub/empty/", ".hidden:3"});
    EXPECT_EQ(DumpTree(*Ctrl.Root()), ".hidden 3\n"
                                      "a.txt 100\n"
                                      "sub/ 57\n"
                                      "sub/b.txt 50\n"
                                      "sub/deeper/ 7\n"
                                      "sub/deeper/c 7\n"
                                      "sub/empty/ 0\n");
    EXPECT_EQ(Ctrl.Root()->FileSize(), "160");
    EXPECT_TRUE(TotalsConsistent(*Ctrl.Root()));
    EXPECT_EQ(Ctrl.EntryCount(), 8u);
}

TEST_F(ScanTest, LinksAreFilesMarkedAsLinksAndNeverNotScanned) {
    Scan({"a.txt:10", "sub/", "to-file.txt -> a.txt", "to-folder -> sub", "dangling -> nowhere"});
    for (const char* link : {"to-file.txt", "to-folder", "dangling"}) {
        const TDataInfo* entry = Find(link);
        ASSERT_TRUE(entry) << link;
        EXPECT_TRUE(entry->IsLink() && !entry->IsFolder() && !entry->NotScanned()) << link;
    }
    EXPECT_FALSE(Find("a.txt")->IsLink());
    EXPECT_FALSE(Find("sub")->IsLink() || Find("sub")->NotScanned());
    EXPECT_FALSE(Ctrl.Root()->IsLink());
}

TEST_F(ScanTest, ChildrenKnowTheirRowAndParent) {
    Scan({"x:1", "y:2", "z/", "w:3"});
    const TDataList children = Ctrl.Root()->Children();
    ASSERT_EQ(children.Count(), 4u);
    for (std::uint32_t i = 0; i < children.Count(); ++i) {
        EXPECT_EQ(children.Items(i)->Row(), i);
        EXPECT_EQ(children.Items(i)->Parent(), Ctrl.Root());
    }
    EXPECT_THROW(children.Items(4), std::out_of_range);
}

TEST_F(ScanTest, HugeSparseFileKeepsItsExactSize) {
    Scan({});
    const fs::path big = Dir.Path() / "big.bin";
    std::ofstream(big).close();
    fs::resize_file(big, 5ull * 1073741824ull);
    Ctrl.ScanFolder(Dir.Str());
    EXPECT_EQ(Find("big.bin")->FileSize(), "5368709120");
    EXPECT_EQ(Ctrl.Root()->Size(), 5368709120ull);
}

TEST_F(ScanTest, ExtensionsFollowTheLastDotOfTheName) {
    Scan({"b.tar.gz:1", ".profile:1", "name.:1", "a.d/readme:1", "REPORT.TXT:1", "noext:1"});
    EXPECT_EQ(Find("b.tar.gz")->FileExt(), "gz");
    EXPECT_EQ(Find(".profile")->FileExt(), "profile");
    EXPECT_EQ(Find("name.")->FileExt(), "");
    EXPECT_EQ(Find("a.d/readme")->FileExt(), "");
    EXPECT_EQ(Find("a.d")->FileExt(), ""); // folders have none
    EXPECT_EQ(Find("REPORT.TXT")->FileExt(), "TXT");
    EXPECT_EQ(Find("noext")->FileExt(), "");
}

TEST_F(ScanTest, NameTextsCountCharactersAndKeepBytes) {
    Scan({"readme.txt:1", "\xC3\xA4\xC3\xB6.txt:1", "bad\xFF.txt:1", "line\nbreak \"q\":2"});
    EXPECT_EQ(Find("readme.txt")->NameLength(), "10");
    EXPECT_EQ(Find("readme.txt")->DosName(), "readme.txt");
    EXPECT_EQ(Find("\xC3\xA4\xC3\xB6.txt")->NameLength(), "6");
    EXPECT_EQ(Find("bad\xFF.txt")->NameLength(), "8");
    const TDataInfo* odd = Find("line\nbreak \"q\"");
    ASSERT_NE(odd, nullptr);
    EXPECT_EQ(odd->FullPath(), Dir.Str() + "/line\nbreak \"q\"");
    EXPECT_EQ(odd->FileSize(), "2");
    EXPECT_EQ(Ctrl.Root()->NameLength(), "");
}

TEST_F(ScanTest, TimesAreLocalTextsOfWholeSeconds) {
    Scan({"old:1"});
    SetTimes(Dir.Path() / "old", 1720000000); // 2024-07-03, summer time in the test zone
    Ctrl.ScanFolder(Dir.Str());
    const TDataInfo* old = Find("old");
    EXPECT_EQ(old->WriteSeconds(), 1720000000);
    EXPECT_EQ(old->WriteTime(), DateTimeText(1720000000));
    EXPECT_EQ(old->AccessTime(), DateTimeText(1720000000));
    EXPECT_FALSE(old->CreateTime().empty());
    EXPECT_EQ(Ctrl.Root()->CreateTime(), ""); // the scan root carries no times
}

TEST_F(ScanTest, FindByPathIsExact) {
    Scan({"one/two/three/file:1", "one/Two/"});
    TDataInfo* root = Ctrl.Root();
    EXPECT_EQ(root->FindByPath(Dir.Str()), root);
    ASSERT_NE(Find("one/two/three/file"), nullptr);
    EXPECT_EQ(Find("one/two/three/file")->FileName(), "file");
    EXPECT_EQ(Find("ONE/two"), nullptr);
    EXPECT_EQ(root->FindByPath(Dir.Str() + "/one/two/"), nullptr);
    EXPECT_EQ(root->FindByPath(Dir.Str() + "/one/tw"), nullptr);
    EXPECT_EQ(root->Children().FindByPath(Dir.Str() + "/one/Two"), Find("one/Two"));
}

TEST_F(ScanTest, RescanReusesTheRootAndReplacesTheTree) {
    Scan({"a:10"});
    TDataInfo* first = Ctrl.Root();
    TempDir other;
    WriteTree(other.Path(), {"b:20", "c/d:5"});
    Ctrl.ScanFolder(other.Str());
    EXPECT_EQ(Ctrl.Root(), first);
    EXPECT_EQ(Ctrl.Root()->FullPath(), other.Str());
    EXPECT_EQ(Ctrl.Root()->FileSize(), "25");
    EXPECT_EQ(DumpTree(*Ctrl.Root()), "b 20\nc/ 5\nc/d 5\n");
}

TEST_F(ScanTest, TrailingSlashOfTheRootIsNotDoubled) {
    Scan({"a:1"});
    Ctrl.ScanFolder(Dir.Str() + "/");
    EXPECT_EQ(Ctrl.Root()->Children().Items(0)->FullPath(), Dir.Str() + "/a");
}

TEST_F(ScanTest, UnopenableRootIsReportedAsAFailure) {
    TDataCtrl ctrl;
    ctrl.LoadGroups(DefaultRanges());
    EXPECT_THROW(ctrl.ScanFolder(Dir.Str() + "/missing"), std::system_error);
    EXPECT_EQ(ctrl.Root(), nullptr); // nothing scanned, not an empty root
}

} // namespace
