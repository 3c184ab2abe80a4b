#include "FixtureTree.h"
#include "ScanFileTestUtil.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace quorvex::test {
namespace {

namespace fs = std::filesystem;
using EEvent = TScanFileReader::EEvent;

bool Installed(const char* tool) {
    return std::system(("command -v " + std::string(tool) + " >/dev/null 2>&1").c_str()) == 0;
}

int Shell(const std::string& command) {
    return std::system((command + " 2>/dev/null").c_str());
}

// What a scan must find: every path below the root, whether it is a folder, and for the
// rest the size lstat gives.
struct TSeen {
    bool Folder;
    std::uint64_t Size;
    friend bool operator==(const TSeen&, const TSeen&) = default;
};

std::map<std::string, TSeen> OnDisk(const fs::path& root) {
    std::map<std::string, TSeen> seen;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        struct stat st {};
        ::lstat(entry.path().c_str(), &st);
        const bool folder = S_ISDIR(st.st_mode);
        seen[entry.path().lexically_relative(root).string()] = {
            folder, folder ? 0 : static_cast<std::uint64_t>(st.st_size)};
    }
    return seen;
}

std::map<std::string, TSeen> InScan(const std::map<std::string, TScanItem>& items) {
    std::map<std::string, TSeen> seen;
    for (const auto& [path, item] : items)
        if (!path.empty())
            seen[path] = {item.Folder, item.Folder ? 0 : item.ASize};
    return seen;
}

void MakeTree(const fs::path& root, bool rawBytes) {
    WriteTree(root, {"a.txt:5", "sub/b.bin:5000", "sub/deep/", "odd \"name\\:1", "link -> a.txt",
                     "new\nline\ttab:2"});
    fs::create_hard_link(root / "a.txt", root / "sub/hard");
    // gdu turns invalid UTF-8 into U+FFFD, so only the byte-exact tool gets such a name.
    if (rawBytes)
        std::ofstream(root / "raw \xFF\xFE\x01 bytes") << "xyz";
}

std::vector<TScanEvent> ToolScan(const TempDir& dir, const std::string& command) {
    const std::string out = dir.Str() + "/out.json";
    EXPECT_EQ(Shell(command + " '" + out + "' '" + dir.Str() + "/tree'"), 0) << command;
    TScanFileReader reader(out);
    auto events = ReadEvents(reader);
    EXPECT_EQ(events.front().Item.Name, dir.Str() + "/tree");
    return events;
}

TEST(ScanFileTools, ReadsTheTerminalAnalysersExports) {
    const bool ncdu = Installed("ncdu"), gdu = Installed("gdu");
    if (!ncdu && !gdu)
        GTEST_SKIP() << "neither ncdu nor gdu is installed";
    for (const bool rawBytes : {true, false}) {
        if (!(rawBytes ? ncdu : gdu))
            continue;
        TempDir dir;
        MakeTree(dir.Path() / "tree", rawBytes);
        const auto events = ToolScan(dir, rawBytes ? "ncdu -e -o" : "gdu -n -o");
        const auto items = ItemsByPath(events);
        EXPECT_EQ(InScan(items), OnDisk(dir.Path() / "tree")) << rawBytes;
        // Both tools mark the hard link they meet second, with its inode.
        EXPECT_TRUE(items.at("sub/hard").HardLinkFlag);
        struct stat st {};
        ::lstat((dir.Path() / "tree/a.txt").c_str(), &st);
        EXPECT_EQ(items.at("sub/hard").Ino, st.st_ino);
        EXPECT_TRUE(items.at("link").NotReg);
    }
}

// A stream of what a scan can hold that ncdu 1.18 accepts: it refuses negative times
// (mtime is unsigned there), so this one has none.
std::vector<TScanEvent> NcduFriendlyEvents() {
    std::string everyByte;
    for (int c = 1; c < 256; ++c)
        if (c != '/')
            everyByte += static_cast<char>(c);
    TScanItem root = Named("/some \"root\"", true);
    root.Dev = 9;
    root.ASize = 4096;
    TScanItem hostile = Named(everyByte);
    hostile.Dev = 9;
    hostile.ASize = 12345;
    hostile.DSize = 16384;
    hostile.HasMTime = hostile.HasCrTime = hostile.HasATime = true;
    hostile.MTime = 1700000000;
    hostile.CrTime = -100; // our own keys, which ncdu skips
    TScanItem other = Named("other fs", true);
    other.Dev = 10;
    other.Excluded = "otherfs";
    TScanItem link = Named("linked");
    link.Dev = 9;
    link.ASize = 7;
    link.HardLinkFlag = link.HasIno = true;
    link.Ino = 99;
    link.NLink = 2;
    TScanItem unreadable = Named("\xC3\xA9 unreadable", true);
    unreadable.Dev = 9;
    unreadable.ReadError = true;
    return {{EEvent::Folder, root},  {EEvent::File, hostile},      {EEvent::Folder, other},
            {EEvent::EndFolder, {}}, {EEvent::Folder, unreadable}, {EEvent::File, link},
            {EEvent::EndFolder, {}}, {EEvent::EndFolder, {}},      {EEvent::End, {}}};
}

TEST(ScanFileTools, NcduReadsOurFiles) {
    if (!Installed("ncdu"))
        GTEST_SKIP() << "ncdu is not installed";
    TempDir dir;
    const std::string ours = dir.Str() + "/ours.json", back = dir.Str() + "/back.json";
    const auto events = NcduFriendlyEvents();
    {
        TScanFileWriter writer(ours, {});
        WriteEvents(writer, events);
    }
    // ncdu reports a parse error on its terminal but still exits with 0, so the re-exported
    // file must also hold everything.
    ASSERT_EQ(Shell("ncdu -f '" + ours + "' -o '" + back + "'"), 0);
    TScanFileReader reader(back);
    const auto expected = ItemsByPath(events), actual = ItemsByPath(ReadEvents(reader));
    ASSERT_EQ(actual.size(), expected.size());
    for (const auto& [path, item] : expected) {
        ASSERT_EQ(actual.count(path), 1u) << path;
        const TScanItem& got = actual.at(path);
        EXPECT_EQ(got.Name, item.Name);
        EXPECT_EQ(got.ASize, item.ASize) << path;
        EXPECT_EQ(got.DSize, item.DSize) << path;
        EXPECT_EQ(got.Dev, item.Dev) << path;
        EXPECT_EQ(got.ReadError, item.ReadError) << path;
        EXPECT_EQ(got.NLink, item.NLink) << path;
    }
}

// gdu keeps no re-export of an imported file; its non-interactive listing of the root's
// items shows that it accepted the whole file, negative times included.
TEST(ScanFileTools, GduReadsOurFiles) {
    if (!Installed("gdu"))
        GTEST_SKIP() << "gdu is not installed";
    TempDir dir;
    const std::string ours = dir.Str() + "/ours.json", listing = dir.Str() + "/listing.txt";
    auto events = NcduFriendlyEvents();
    events[1].Item.MTime = -86400;
    {
        TScanFileWriter writer(ours, {});
        WriteEvents(writer, events);
    }
    ASSERT_EQ(Shell("gdu -n -p -f '" + ours + "' > '" + listing + "'"), 0);
    const std::string text = ReadFileText(listing);
    EXPECT_NE(text.find("/other fs"), std::string::npos) << text;
    EXPECT_NE(text.find("/\xC3\xA9 unreadable"), std::string::npos) << text;
}

} // namespace
} // namespace quorvex::test
