#include "uBaseFunction.h"

#include <gtest/gtest.h>
#include <ostream>
#include <string>

namespace quorvex {
namespace {

struct TNameCase {
    std::string Name;
    std::size_t Expected;
    const char* What;
};

void PrintTo(const TNameCase& c, std::ostream* os) {
    *os << c.What;
}

class NameCharCountTest : public testing::TestWithParam<TNameCase> {};

TEST_P(NameCharCountTest, CountsCodePointsAndEveryInvalidByte) {
    EXPECT_EQ(NameCharCount(GetParam().Name), GetParam().Expected) << GetParam().What;
}

INSTANTIATE_TEST_SUITE_P(
    Names, NameCharCountTest,
    testing::Values(TNameCase{"", 0, "empty"}, TNameCase{"report.txt", 10, "ASCII"},
                    TNameCase{"Gr\xC3\xBC\xC3\x9F"
                              "e",
                              5, "two-byte letters"},
                    TNameCase{"\xE2\x82\xAC"
                              "5",
                              2, "three-byte euro sign"},
                    TNameCase{"\xF0\x9F\x98\x80", 1, "four-byte emoji"},
                    TNameCase{"\xF4\x8F\xBF\xBF", 1, "U+10FFFF, the last code point"},
                    TNameCase{"\xEF\xBF\xBF", 1, "U+FFFF noncharacter is still a code point"},
                    TNameCase{std::string("a\0b", 3), 3, "embedded NUL"},
                    TNameCase{"a\xFF"
                              "b",
                              3, "byte never used in UTF-8"},
                    TNameCase{"\x80\x80", 2, "lone continuation bytes"},
                    TNameCase{"\xC0\xAF", 2, "overlong slash"},
                    TNameCase{"\xE0\x80\xAF", 3, "overlong three-byte"},
                    TNameCase{"\xF0\x80\x80\xAF", 4, "overlong four-byte"},
                    TNameCase{"\xED\xA0\x80", 3, "UTF-16 surrogate"},
                    TNameCase{"\xF4\x90\x80\x80", 4, "above U+10FFFF"},
                    TNameCase{"\xE2\x82", 2, "truncated at the end"},
                    TNameCase{"\xE2\x82"
                              "A",
                              3, "truncated before ASCII"},
                    TNameCase{"\xE2\xE2\x82\xAC", 2, "broken lead then a valid sequence"},
                    TNameCase{"\xF0\x9F\x98", 3, "truncated four-byte"}));

} // namespace
} // namespace quorvex
