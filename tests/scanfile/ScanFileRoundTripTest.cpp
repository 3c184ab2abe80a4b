#include "FixtureTree.h"
#include "ScanFileTestUtil.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <limits>
#include <system_error>
#include <unistd.h>

namespace quorvex::test {
namespace {

using EEvent = TScanFileReader::EEvent;
constexpr std::uint64_t Max64 = std::numeric_limits<std::uint64_t>::max();
constexpr std::uint32_t Max32 = std::numeric_limits<std::uint32_t>::max();

TScanFileHeader TestHeader() {
    TScanFileHeader header;
    header.ProgName = "quorvex";
    header.ProgVer = "0.1 \"beta\"";
    header.Timestamp = -5;
    return header;
}

// Everything the format can carry, in items whose fields the reader gives back as written:
// names with every byte but '/', sizes and ids at their limits, times before 1970, hard
// links with and without a count, and folders on other devices.
std::vector<TScanEvent> VariedEvents() {
    std::vector<TScanEvent> events;
    TScanItem root = Named("/mnt/a \"b\"\\c/", true);
    root.Dev = 64769;
    root.ASize = 4096;
    events.push_back({EEvent::Folder, root});

    std::string everyByte;
    for (int c = 1; c < 256; ++c) {
        if (c == '/')
            continue;
        everyByte += static_cast<char>(c);
        TScanItem single = Named(std::string("b") + static_cast<char>(c));
        single.Dev = root.Dev;
        single.ASize = static_cast<std::uint64_t>(c);
        events.push_back({EEvent::File, single});
    }
    TScanItem hostile = Named(everyByte + "\xC0\xAF\xED\xA0\x80\xFF\xFE\n\t\"\\");
    hostile.Dev = root.Dev;
    hostile.ASize = hostile.DSize = Max64;
    hostile.HasUid = hostile.HasGid = hostile.HasMode = true;
    hostile.Uid = hostile.Gid = hostile.Mode = Max32;
    hostile.HasMTime = hostile.HasCrTime = hostile.HasATime = true;
    hostile.MTime = std::numeric_limits<std::int64_t>::min();
    hostile.CrTime = -1;
    hostile.ATime = std::numeric_limits<std::int64_t>::max();
    events.push_back({EEvent::File, hostile});

    TScanItem other = Named("other", true); // another file system mounted below
    other.Dev = 7;
    other.ReadError = true;
    events.push_back({EEvent::Folder, other});
    TScanItem link = Named("link");
    link.Dev = 7;
    link.HardLinkFlag = link.HasIno = true;
    link.Ino = Max64;
    link.NLink = 3;
    events.push_back({EEvent::File, link});
    TScanItem back = Named("back on root device");
    back.Dev = root.Dev;
    back.HardLinkFlag = back.HasIno = true; // a count is optional
    back.Ino = 12;
    back.NotReg = true;
    events.push_back({EEvent::File, back});
    events.push_back({EEvent::EndFolder, {}});

    TScanItem skipped = Named("proc", true);
    skipped.Dev = root.Dev;
    skipped.Excluded = "kernfs \"odd\"\n";
    events.push_back({EEvent::Folder, skipped});
    events.push_back({EEvent::EndFolder, {}});
    events.push_back({EEvent::EndFolder, {}});
    events.push_back({EEvent::End, {}});
    return events;
}

std::string WriteText(const std::vector<TScanEvent>& events) {
    std::string text;
    auto writer = TScanFileWriter::ToText(TestHeader(), &text);
    WriteEvents(*writer, events);
    return text;
}

TEST(ScanFileRoundTrip, WriterOutputReadsBackItemForItem) {
    const std::vector<TScanEvent> events = VariedEvents();
    auto reader = TScanFileReader::FromText(WriteText(events));
    EXPECT_EQ(reader->Header(), TestHeader());
    EXPECT_EQ(ReadEvents(*reader), events);
}

TEST(ScanFileRoundTrip, ReadsBackInChunksOfAnySize) {
    const std::vector<TScanEvent> events = VariedEvents();
    const std::string text = WriteText(events);
    for (const std::size_t size : {1, 7}) {
        auto plain = TScanFileReader::FromSource(Chunked(text, size));
        EXPECT_EQ(ReadEvents(*plain), events) << size;
        auto zstd = TScanFileReader::FromSource(Chunked(Compressed(text), size));
        EXPECT_EQ(ReadEvents(*zstd), events) << size;
    }
}

TEST(ScanFileRoundTrip, WriterBytesFollowTheToolsLayout) {
    TScanItem root = Named("/r", true);
    root.Dev = 5;
    TScanItem file = Named("a\x01\"\x7F\xFF");
    file.Dev = 5;
    file.ASize = 3;
    file.HasMTime = true;
    file.MTime = -2;
    file.HasCrTime = true;
    TScanItem sub = Named("s", true);
    sub.Dev = 6;
    sub.NLink = 2;
    sub.Ino = 9;
    sub.Excluded = "otherfs";
    TScanFileHeader header;
    header.ProgName = "q";
    header.ProgVer = "1";
    header.Timestamp = 7;
    std::string text;
    auto writer = TScanFileWriter::ToText(header, &text);
    WriteEvents(*writer, {{EEvent::Folder, root},
                          {EEvent::File, file},
                          {EEvent::Folder, sub},
                          {EEvent::EndFolder, {}},
                          {EEvent::EndFolder, {}},
                          {EEvent::End, {}}});
    EXPECT_EQ(text, "[1,2,{\"progname\":\"q\",\"progver\":\"1\",\"timestamp\":7},\n"
                    "[{\"name\":\"/r\",\"dev\":5},\n"
                    "{\"name\":\"a\\u0001\\\"\\u007f\xFF\",\"asize\":3,\"quorvex_mtime\":-2,"
                    "\"quorvex_crtime\":0},\n"
                    "[{\"name\":\"s\",\"dev\":6,\"ino\":9,\"hlnkc\":true,\"nlink\":2,"
                    "\"excluded\":\"otherfs\"}]]]\n");
}

TEST(ScanFileRoundTrip, WriterRefusesCallsOutOfOrderAndUnreadableNames) {
    std::string text;
    auto writer = TScanFileWriter::ToText({}, &text);
    EXPECT_THROW(writer->File(Named("a")), std::logic_error);
    EXPECT_THROW(writer->CloseFolder(), std::logic_error);
    EXPECT_THROW(writer->Finish(), std::logic_error);
    EXPECT_THROW(writer->OpenFolder(Named("", true)), std::invalid_argument);
    writer->OpenFolder(Named("/root/may/have/slashes", true));
    for (const char* bad : {"", "a/b", ".", ".."})
        EXPECT_THROW(writer->File(Named(bad)), std::invalid_argument) << bad;
    EXPECT_THROW(writer->File(Named(std::string("a\0b", 3))), std::invalid_argument);
    writer->CloseFolder();
    EXPECT_THROW(writer->OpenFolder(Named("second root", true)), std::logic_error);
    writer->Finish();
    EXPECT_THROW(writer->Finish(), std::logic_error);
    EXPECT_TRUE(text.ends_with("]]\n"));
}

// Enough items that tokens straddle the reader's 1 MiB chunks, in a real file.
std::vector<TScanEvent> ManyEvents() {
    std::vector<TScanEvent> events = VariedEvents();
    events.pop_back();
    events.pop_back();
    for (int i = 0; i < 30000; ++i) {
        TScanItem item = Named("file \\\"" + std::to_string(i) + std::string(i % 50, 'x'));
        item.Dev = events.front().Item.Dev;
        item.ASize = static_cast<std::uint64_t>(i) * 1000003;
        item.HasMTime = true;
        item.MTime = -i;
        events.push_back({EEvent::File, item});
    }
    events.push_back({EEvent::EndFolder, {}});
    events.push_back({EEvent::End, {}});
    return events;
}

void WriteFile(const std::string& path, const std::vector<TScanEvent>& events) {
    TScanFileWriter writer(path, TestHeader());
    WriteEvents(writer, events);
}

TEST(ScanFileRoundTrip, PlainAndZstdFilesReadBack) {
    TempDir dir;
    const std::vector<TScanEvent> events = ManyEvents();
    for (const std::string name : {"scan.json", "scan.json.zst"}) {
        const std::string path = dir.Str() + "/" + name;
        WriteFile(path, events);
        TScanFileReader reader(path);
        EXPECT_EQ(reader.Header(), TestHeader()) << name;
        EXPECT_TRUE(ReadEvents(reader) == events) << name;
    }
    const std::string zstd = ReadFileText(dir.Str() + "/scan.json.zst");
    EXPECT_EQ(zstd.substr(0, 4), "\x28\xB5\x2F\xFD");
    EXPECT_LT(zstd.size(), std::filesystem::file_size(dir.Path() / "scan.json") / 4);
    // The zstd tool itself decodes it to the plain file's bytes.
    if (std::system("zstd --version >/dev/null 2>&1") == 0) {
        const std::string cmd =
            "zstd -q -d -c '" + dir.Str() + "/scan.json.zst' > '" + dir.Str() + "/decoded.json'";
        ASSERT_EQ(std::system(cmd.c_str()), 0);
        EXPECT_TRUE(ReadFileText(dir.Str() + "/decoded.json") ==
                    ReadFileText(dir.Str() + "/scan.json"));
    }
}

TEST(ScanFileRoundTrip, UnfinishedWriterLeavesTheOldFile) {
    TempDir dir;
    const std::vector<TScanEvent> events = ManyEvents();
    for (const std::string name : {"old.json", "old.json.zst"}) {
        const std::string path = dir.Str() + "/" + name;
        std::ofstream(path) << "old content";
        {
            TScanFileWriter writer(path, TestHeader());
            // Past the first flush, so bytes have reached the sibling file.
            WriteEvents(writer, {events.begin(), events.end() - 2});
        }
        EXPECT_EQ(ReadFileText(path), "old content") << name;
        {
            TScanFileWriter writer(path, TestHeader());
            writer.OpenFolder(Named("/r", true));
            EXPECT_THROW(writer.File(Named("a/b")), std::invalid_argument);
        }
        EXPECT_EQ(ReadFileText(path), "old content") << name;
    }
    // No sibling file stays behind.
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        ++count;
    EXPECT_EQ(count, 2u);
}

// Points descriptor `fd` (standard input or output) at a file while it lives.
class TRedirect {
public:
    TRedirect(int fd, const std::string& path, int flags) : FFd(fd), FSaved(::dup(fd)) {
        const int file = ::open(path.c_str(), flags, 0644);
        if (FSaved < 0 || file < 0 || ::dup2(file, fd) < 0)
            throw std::system_error(errno, std::generic_category(), "redirect");
        ::close(file);
    }
    ~TRedirect() {
        ::dup2(FSaved, FFd);
        ::close(FSaved);
    }

private:
    int FFd, FSaved;
};

TEST(ScanFileRoundTrip, DashIsStandardOutputAndInput) {
    TempDir dir;
    const std::string path = dir.Str() + "/piped.json";
    const std::vector<TScanEvent> events = VariedEvents();
    std::fflush(stdout);
    {
        TRedirect out(STDOUT_FILENO, path, O_WRONLY | O_CREAT | O_TRUNC);
        TScanFileWriter writer("-", TestHeader());
        WriteEvents(writer, events);
    }
    EXPECT_EQ(ReadFileText(path), WriteText(events));
    TRedirect in(STDIN_FILENO, path, O_RDONLY);
    TScanFileReader reader("-");
    EXPECT_EQ(ReadEvents(reader), events);
}

} // namespace
} // namespace quorvex::test
