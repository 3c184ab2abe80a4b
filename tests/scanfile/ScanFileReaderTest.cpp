#include "ScanFileTestUtil.h"

#include <gtest/gtest.h>

namespace quorvex::test {
namespace {

using EEvent = TScanFileReader::EEvent;

std::string Scan(const std::string& rootItems) {
    return HeaderText + "[{\"name\":\"/r\"}" + rootItems + "]]";
}

std::vector<TScanEvent> ReadText(std::string text) {
    auto reader = TScanFileReader::FromText(std::move(text));
    return ReadEvents(*reader);
}

// Every escape form, surrogate pairs, lone surrogates and raw bytes.
const std::string EscapeText =
    Scan(",{\"name\":\"\\u00e9\\u20AC\\ud83d\\ude00 \\\"\\\\\\b\\f\\n\\r\\t\\u0001\"},"
         "{\"name\":\"lone \\ud800 \\udc00 \\ud800\\ud83d\\ude00\"},"
         "{\"name\":\"raw \xFF\xC0 bytes\",\"excluded\":\"\\u0000\\/any\"}");

TEST(ScanFileReader, DecodesEscapesAndSurrogatePairs) {
    const auto events = ReadText(EscapeText);
    ASSERT_EQ(events.size(), 6u);
    EXPECT_EQ(events[1].Item.Name, "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80 \"\\\b\f\n\r\t\x01");
    // Lone surrogates keep their 3-byte form, a high one before a pair included.
    EXPECT_EQ(events[2].Item.Name, "lone \xED\xA0\x80 \xED\xB0\x80 \xED\xA0\x80\xF0\x9F\x98\x80");
    EXPECT_EQ(events[3].Item.Name, "raw \xFF\xC0 bytes");
    EXPECT_EQ(events[3].Item.Excluded, std::string("\0/any", 5));
}

TEST(ScanFileReader, ChunkBoundariesChangeNothing) {
    const auto whole = ReadText(EscapeText);
    for (const std::size_t size : {1, 2, 5}) {
        auto plain = TScanFileReader::FromSource(Chunked(EscapeText, size));
        EXPECT_EQ(ReadEvents(*plain), whole) << size;
        auto zstd = TScanFileReader::FromSource(Chunked(Compressed(EscapeText), size));
        EXPECT_EQ(ReadEvents(*zstd), whole) << size;
    }
}

TEST(ScanFileReader, ReadsTheFieldsAndInheritsTheDevice) {
    const auto events = ReadText(
        HeaderText + " [ {\"name\":\"/r\",\"dev\":3,\"asize\":1} ,\n"
                     "[{\"name\":\"mnt\",\"dev\":4,\"read_error\":false,\"excluded\":\"otherfs\"},"
                     "{\"name\":\"f\",\"asize\":0,\"dsize\":18446744073709551615,\"ino\":-0,"
                     "\"nlink\":2,\"hlnkc\":true,\"uid\":4294967295,\"gid\":1,\"mode\":33188,"
                     "\"mtime\":-9223372036854775808,\"quorvex_crtime\":-1,"
                     "\"quorvex_atime\":9223372036854775807,\"notreg\":true}],"
                     "{\"name\":\"g\",\"read_error\":true}\n]\n]\n\t ");
    ASSERT_EQ(events.size(), 7u);
    EXPECT_EQ(events[1].Item.Dev, 4u);
    EXPECT_EQ(events[1].Item.Excluded, "otherfs");
    EXPECT_TRUE(events[1].Item.Folder);
    TScanItem f = Named("f");
    f.Dev = 4;
    f.DSize = 18446744073709551615u;
    f.HasIno = true;
    f.NLink = 2;
    f.HardLinkFlag = f.NotReg = true;
    f.HasUid = f.HasGid = f.HasMode = f.HasMTime = f.HasCrTime = f.HasATime = true;
    f.Uid = 4294967295u;
    f.Gid = 1;
    f.Mode = 33188;
    f.MTime = std::numeric_limits<std::int64_t>::min();
    f.CrTime = -1;
    f.ATime = std::numeric_limits<std::int64_t>::max();
    EXPECT_EQ(events[2].Item, f);
    EXPECT_EQ(events[3].Kind, EEvent::EndFolder);
    EXPECT_EQ(events[4].Item.Dev, 3u); // back in the root
    EXPECT_TRUE(events[4].Item.ReadError);
}

TEST(ScanFileReader, SkipsUnknownKeysAndReportsOffsets) {
    const std::string text =
        "[1,99,{\"timestamp\":-3,\"extra\":{\"a\":[1,{\"b\":null}],\"c\":\"]}\"},"
        "\"progname\":\"x\"},\n"
        "[{\"future\":[[[{}]],-1.5e+3,true,false],\"name\":\"/r\"},"
        "{\"name\":\"a\",\"x\":{}}]]";
    auto reader = TScanFileReader::FromText(text);
    EXPECT_EQ(reader->Header().Minor, 99u);
    EXPECT_EQ(reader->Header().Timestamp, -3);
    EXPECT_EQ(reader->Header().ProgName, "x");
    EXPECT_EQ(reader->Next(), EEvent::Folder);
    EXPECT_EQ(reader->Offset(), text.find("{\"future\""));
    EXPECT_EQ(reader->Next(), EEvent::File);
    EXPECT_EQ(reader->Item().Name, "a");
    EXPECT_EQ(reader->Offset(), text.find("{\"name\":\"a\""));
    EXPECT_EQ(reader->Next(), EEvent::EndFolder);
    EXPECT_EQ(reader->Next(), EEvent::End);
    EXPECT_EQ(reader->Next(), EEvent::End);
}

TEST(ScanFileReader, MillionLevelsDeepNeedNoMachineStack) {
    constexpr int Depth = 1000000;
    std::string text = HeaderText + "[{\"name\":\"/r\",\"deep\":";
    text.append(Depth, '[');
    text.append(Depth, ']');
    text += "}";
    for (int i = 0; i < Depth; ++i)
        text += ",[{\"name\":\"d\"}";
    text.append(Depth + 1, ']');
    text += "]";
    auto reader = TScanFileReader::FromText(std::move(text));
    int depth = 0, maxDepth = 0;
    for (EEvent e = reader->Next(); e != EEvent::End; e = reader->Next()) {
        depth += e == EEvent::Folder ? 1 : e == EEvent::EndFolder ? -1 : 0;
        maxDepth = std::max(maxDepth, depth);
    }
    EXPECT_EQ(depth, 0);
    EXPECT_EQ(maxDepth, Depth + 1);
}

// A refused text; `at` is the text whose last occurrence the error offset must point to
// ("" = the end of the text).
struct TRefusal {
    std::string Text;
    std::string At;
    const char* What;
};

void PrintTo(const TRefusal& r, std::ostream* os) {
    *os << r.What;
}

class ScanFileRefusal : public testing::TestWithParam<TRefusal> {};

TEST_P(ScanFileRefusal, ThrowsWithTheOffsetOfTheFault) {
    const TRefusal& r = GetParam();
    const std::size_t expected = r.At.empty() ? r.Text.size() : r.Text.rfind(r.At);
    ASSERT_NE(expected, std::string::npos) << "bad test case";
    // Whole, and split where every token crosses a chunk boundary.
    for (const std::size_t chunk : {r.Text.size() + 1, std::size_t{1}, std::size_t{3}}) {
        try {
            auto reader = TScanFileReader::FromSource(Chunked(r.Text, chunk));
            while (reader->Next() != EEvent::End) {
            }
            ADD_FAILURE() << "accepted in chunks of " << chunk;
        } catch (const TScanFileError& e) {
            EXPECT_EQ(e.Offset(), expected) << e.what() << ", chunks of " << chunk;
            EXPECT_TRUE(std::string(e.what()).ends_with(" at byte " + std::to_string(expected)));
        }
    }
}

const std::string H = HeaderText;
const std::string Root = "[{\"name\":\"/r\"}";

INSTANTIATE_TEST_SUITE_P(
    Texts, ScanFileRefusal,
    testing::Values(
        TRefusal{"hello", "hello", "not JSON"}, TRefusal{"", "", "empty"},
        TRefusal{"  \n", "", "only white space"},
        TRefusal{H + Root + ",{\"name\":\"a\",\"asi", "", "cut inside a key"},
        TRefusal{H + Root + "]", "", "cut before the closing bracket"},
        TRefusal{H + Root + ",{\"name\":\"abc", "", "cut inside a string"},
        TRefusal{"[2,0,{},[{\"name\":\"/r\"}]]", "2,0", "major version 2"},
        TRefusal{"[1.0,2,{},[{\"name\":\"/r\"}]]", "1.0", "major version not an integer"},
        TRefusal{"[1,-2,{},[{\"name\":\"/r\"}]]", "-2", "negative minor version"},
        TRefusal{"[1,2,[{\"name\":\"/r\"}]]", "[{", "metadata missing"},
        TRefusal{"[1,2,{\"progname\":5},[{\"name\":\"/r\"}]]", "5}", "progname not a string"},
        TRefusal{"[1,2,{\"timestamp\":1.5},[{\"name\":\"/r\"}]]", "1.5", "timestamp not integer"},
        TRefusal{"[1,2,{}]", "]", "no root folder"},
        TRefusal{H + Root + ",[[{\"name\":\"a\"}]]]", "[{\"name\":\"a\"", "folder without info"},
        TRefusal{H + Root + ",[]]]", "]]]", "empty folder array"},
        TRefusal{H + Root + ",{\"asize\":1}]]", "{\"asize\"", "item without a name"},
        TRefusal{H + "[{\"asize\":1}]]", "{\"asize\"", "root without a name"},
        TRefusal{H + Root + ",{\"name\":\"a\",\"asize\":-1}]]", "-1", "negative size"},
        TRefusal{H + Root + ",{\"name\":\"a\",\"dsize\":18446744073709551616}]]", "1844",
                 "size beyond 2^64-1"},
        TRefusal{H + Root + ",{\"name\":\"a\",\"uid\":4294967296}]]", "4294967296",
                 "uid beyond 2^32-1"},
        TRefusal{H + Root + ",{\"name\":\"a\",\"mode\":-1}]]", "-1", "negative mode"},
        TRefusal{H + Root + ",{\"name\":\"a\",\"asize\":1.5}]]", "1.5", "fractional size"},
        TRefusal{H + Root + ",{\"name\":\"a\",\"ino\":1e3}]]", "1e3", "size with exponent"},
        TRefusal{H + Root + ",{\"name\":\"a\",\"nlink\":\"2\"}]]", "\"2\"", "nlink as a string"},
        TRefusal{H + Root + ",{\"name\":\"a\",\"mtime\":18446744073709551616}]]", "18446",
                 "time beyond 2^64-1"},
        TRefusal{H + Root + ",{\"name\":\"a\",\"mtime\":-9223372036854775809}]]", "-9223",
                 "time below -2^63"},
        TRefusal{H + Root + ",{\"name\":\"a\",\"notreg\":1}]]", "1}", "flag not a boolean"},
        TRefusal{H + Root + ",{\"name\":\"a\",\"excluded\":true}]]", "true", "reason not text"},
        TRefusal{H + Root + ",{\"name\":\"a/b\"}]]", "\"a/b\"", "name with a slash"},
        TRefusal{H + Root + ",{\"name\":\".\"}]]", "\".\"", "name ."},
        TRefusal{H + Root + ",{\"name\":\"..\"}]]", "\"..\"", "name .."},
        TRefusal{H + Root + ",{\"name\":\"\"}]]", "\"\"", "empty name"},
        TRefusal{H + "[{\"name\":\"\"}]]", "\"\"", "empty root name"},
        TRefusal{H + Root + ",{\"name\":\"a\\u0000b\"}]]", "\"a\\u", "name with NUL"},
        TRefusal{H + "[{\"name\":\"/\\u0000\"}]]", "\"/\\u", "root name with NUL"},
        TRefusal{H + Root + ",{\"name\":\"a\\qb\"}]]", "\\q", "unknown escape"},
        TRefusal{H + Root + ",{\"name\":\"a\\u12G4\"}]]", "G4", "bad hex digit"},
        TRefusal{H + Root + ",{\"name\":\"a\tb\"}]]", "\tb", "raw control byte"},
        TRefusal{H + Root + ",{\"name\":\"a\" \"b\":1}]]", "\"b\"", "missing comma"},
        TRefusal{H + Root + ",{\"name\":\"a\",\"x\":[1,]}]]", "]}", "bad unknown value"},
        TRefusal{H + Root + ",{\"name\":\"a\",\"x\":tru}]]", "}]]", "bad literal"},
        TRefusal{H + Root + ",{\"name\":\"a\",\"asize\":01}]]", "1}", "leading zero"},
        TRefusal{H + Root + ",{\"name\":\"a\",\"x\":-}]]", "}]]", "minus without digits"},
        TRefusal{H + Root + ",{\"name\":\"a\",\"x\":1.e5}]]", "e5", "fraction without digits"},
        TRefusal{H + Root + ",5]]", "5]]", "number as an item"},
        TRefusal{H + Root + "]],", ",", "comma after the end"},
        TRefusal{H + Root + "]] x", "x", "trailing garbage"},
        TRefusal{H + Root + "],{}]", ",{}", "second root"}));

TEST(ScanFileReader, ZstdTextsReadAndBrokenOnesAreRefused) {
    const std::string text = Scan(",{\"name\":\"a\",\"asize\":5}");
    const std::string zstd = Compressed(text);
    EXPECT_EQ(ReadText(zstd), ReadText(text));
    EXPECT_EQ(ReadText(zstd + Compressed("")), ReadText(text)); // an empty second frame
    EXPECT_THROW(ReadText(zstd.substr(0, zstd.size() - 3)), TScanFileError);
    EXPECT_THROW(ReadText(zstd + "junk"), TScanFileError);
    EXPECT_THROW(ReadText(Compressed(text + "x")), TScanFileError);
}

TEST(ScanFileReader, MissingFileThrowsSystemError) {
    EXPECT_THROW(TScanFileReader("/nonexistent/scan.json"), std::system_error);
}

} // namespace
} // namespace quorvex::test
