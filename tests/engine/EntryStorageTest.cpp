// The compact entry storage: blocks, distances and packed times must give back exactly what
// was stored, across chunk boundaries, for big folders and at the limits.
#include "EngineTestUtil.h"
#include "FixtureTree.h"

#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <memory>
#include <new>
#include <set>
#include <stdexcept>
#include <sys/stat.h>

namespace fs = std::filesystem;
using namespace quorvex;
using namespace quorvex::test;

namespace {

// ---- Region and arena ----------------------------------------------------------------------

TEST(EntryArena, BlocksKeepCountsAndNamesAndAFullRegionRefuses) {
    TEntryRegion region(8u << 20);
    TEntryArena arena(region);
    char* names = nullptr;
    TDataInfo* first = arena.AllocateBlock(3, 4, &names);
    std::memcpy(names, "abc", 4);
    // A block too big for the rest of a chunk is taken on its own, between two small ones.
    TDataInfo* big = arena.AllocateBlock(7000, 10, &names);
    TDataInfo* next = arena.AllocateBlock(1, 1, &names);
    EXPECT_EQ(TEntryArena::BlockCount(first), 3u);
    EXPECT_EQ(TEntryArena::BlockCount(big), 7000u);
    EXPECT_EQ(TEntryArena::BlockCount(next), 1u);
    for (TDataInfo* e = big; e != big + 7000; ++e)
        EXPECT_EQ(e->Name(), "");

    // 8.36 MB of entries no longer fit beside the first chunk.
    EXPECT_THROW(arena.AllocateBlock(209000, 0, &names), std::bad_alloc);
    // Names are found by 32-bit distances: a block past 2 GiB is refused before any memory.
    EXPECT_THROW(arena.AllocateBlock(std::size_t(1) << 26, 0, &names), std::length_error);
    EXPECT_THROW(arena.AllocateBlock(2, std::size_t(1) << 31, &names), std::length_error);
    region.Clear();
    arena.Reset();
    // Cleared, the region starts again where it started.
    EXPECT_EQ(arena.AllocateBlock(3, 4, &names), first);
}

// ---- Scanned trees ---------------------------------------------------------------------------

class EntryStorage : public testing::Test {
protected:
    void Scan(int threads) {
        Ctrl.LoadGroups(DefaultRanges());
        Ctrl.SetScanThreads(threads);
        Ctrl.ScanFolder(Dir.Str());
    }
    /// Every entry's path is found again from the root, and parent, row and name agree.
    void ExpectLinksHold() {
        std::size_t entries = 0;
        TDataInfo* root = Ctrl.Root();
        for (TDataInfo* e = root; e; e = NextInPreOrder(e, root), ++entries) {
            ASSERT_EQ(root->FindByPath(e->FullPath()), e) << e->FullPath();
            std::uint32_t row = 0;
            for (TDataInfo& child : e->Children()) {
                ASSERT_EQ(child.Parent(), e);
                ASSERT_EQ(child.Row(), row++);
            }
        }
        EXPECT_EQ(entries, Ctrl.EntryCount());
    }

    TempDir Dir;
    TDataCtrl Ctrl;
};

TEST_F(EntryStorage, ManyChunksAndABigFolderKeepEveryLink) {
    std::vector<std::string> tree;
    // Long names fill chunks quickly; 3000 of them make a block of its own.
    const std::string pad(120, 'n');
    for (int i = 0; i < 3000; ++i)
        tree.push_back("big/" + pad + std::to_string(i) + ":1");
    for (int i = 0; i < 600; ++i)
        tree.push_back("small" + std::to_string(i % 97) + "/" + pad + std::to_string(i) + ":2");
    WriteTree(Dir.Path(), tree);
    for (int threads : {1, 2, 5}) {
        Scan(threads);
        SCOPED_TRACE(threads);
        ExpectLinksHold();
        EXPECT_EQ(Ctrl.Root()->Size(), 3000u + 2 * 600u);
        const TDataInfo* big = Ctrl.Root()->FindByPath(Dir.Str() + "/big");
        ASSERT_NE(big, nullptr);
        EXPECT_EQ(big->Children().Count(), 3000u);
        std::set<std::string> names;
        for (const TDataInfo& child : big->Children())
            names.insert(child.FileName());
        EXPECT_EQ(names.size(), 3000u);
        EXPECT_EQ(*names.begin(), pad + "0");
    }
}

TEST_F(EntryStorage, RootNameIsThePathAsGiven) {
    WriteTree(Dir.Path(), {"a:1"});
    Ctrl.ScanFolder(Dir.Str() + "/");
    EXPECT_EQ(Ctrl.Root()->Name(), Dir.Str() + "/");
    EXPECT_TRUE(Ctrl.Root()->IsScanRoot());
    EXPECT_EQ(Ctrl.Root()->Parent(), nullptr);
    EXPECT_EQ(Ctrl.Root()->Row(), 0u);
}

// Times are packed into 37 bits each; tmpfs keeps any 64-bit time, so the limits are
// reachable there.
TEST_F(EntryStorage, TimesRoundTripIndependentlyAndClampAtTheLimits) {
    const fs::path shm = "/dev/shm";
    struct TCase {
        long long Access, Write, ExpectedAccess, ExpectedWrite;
    };
    constexpr long long limit = 1LL << 36;
    const TCase cases[] = {
        {-1, 0, -1, 0},                                                         // around 1970
        {(1LL << 32) + 7, -(1LL << 32) - 9, (1LL << 32) + 7, -(1LL << 32) - 9}, // beyond 32 bits
        {limit - 1, -limit, limit - 1, -limit},           // the last representable
        {limit + 50, -limit - 50, limit - 1, -limit},     // clamped
        {1765000000, 4102444800, 1765000000, 4102444800}, // 2025 and 2100
    };
    std::unique_ptr<TempDir> made;
    try {
        made = std::make_unique<TempDir>(shm);
    } catch (const std::system_error&) {
        GTEST_SKIP() << "no /dev/shm";
    }
    const TempDir& dir = *made;
    int n = 0;
    for (const TCase& c : cases) {
        const fs::path file = dir.Path() / ("f" + std::to_string(n++));
        WriteTree(dir.Path(), {file.filename().string() + ":1"});
        const timespec times[2] = {{c.Access, 0}, {c.Write, 0}};
        struct stat st {};
        if (utimensat(AT_FDCWD, file.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0 ||
            lstat(file.c_str(), &st) != 0 || st.st_atime != c.Access || st.st_mtime != c.Write)
            GTEST_SKIP() << "this file system does not keep such times";
    }
    Ctrl.ScanFolder(dir.Path().string());
    n = 0;
    for (const TCase& c : cases) {
        const TDataInfo* e =
            Ctrl.Root()->FindByPath(dir.Path().string() + "/f" + std::to_string(n++));
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->AccessSeconds(), c.ExpectedAccess) << c.Access;
        EXPECT_EQ(e->WriteSeconds(), c.ExpectedWrite) << c.Write;
    }
}

} // namespace
