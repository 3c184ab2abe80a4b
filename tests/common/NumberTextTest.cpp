#include "TestSettings.h"
#include "uBaseFunction.h"

#include <cmath>
#include <gtest/gtest.h>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace quorvex {
namespace {

using test::EnglishSettings;
using test::GermanSettings;

struct TSizeCase {
    double Bytes;
    const char* English;
    const char* German;
};

void PrintTo(const TSizeCase& c, std::ostream* os) {
    *os << c.Bytes << " bytes";
}

class FormatSizeTest : public testing::TestWithParam<TSizeCase> {};

TEST_P(FormatSizeTest, ChoosesUnitBeforeRoundingAndGroupsDigits) {
    EXPECT_EQ(FormatSize(GetParam().Bytes, EnglishSettings()), GetParam().English);
    EXPECT_EQ(FormatSize(GetParam().Bytes, GermanSettings()), GetParam().German);
}

INSTANTIATE_TEST_SUITE_P(
    Boundaries, FormatSizeTest,
    testing::Values(TSizeCase{0, "0.00 B", "0,00 B"}, TSizeCase{1023, "1,023.00 B", "1.023,00 B"},
                    TSizeCase{1024, "1.00 KB", "1,00 KB"}, TSizeCase{1536, "1.50 KB", "1,50 KB"},
                    TSizeCase{1048575, "1,024.00 KB", "1.024,00 KB"},
                    TSizeCase{1048576, "1.00 MB", "1,00 MB"},
                    TSizeCase{1073741824, "1.00 GB", "1,00 GB"},
                    TSizeCase{1099511627776.0, "1,024.00 GB", "1.024,00 GB"},
                    // 1 PiB and 1 EiB: GB stays the largest unit, grouping keeps going.
                    TSizeCase{1125899906842624.0, "1,048,576.00 GB", "1.048.576,00 GB"},
                    TSizeCase{1152921504606846976.0, "1,073,741,824.00 GB", "1.073.741.824,00 GB"},
                    TSizeCase{1535, "1.50 KB", "1,50 KB"}, TSizeCase{1029, "1.00 KB", "1,00 KB"},
                    TSizeCase{1034, "1.01 KB", "1,01 KB"}));

// Exact halves round up, as people round. A double holds a half of a hundredth exactly only
// as an odd number of eighths, so these are the ties there are.
INSTANTIATE_TEST_SUITE_P(
    HalvesRoundUp, FormatSizeTest,
    testing::Values(TSizeCase{1152, "1.13 KB", "1,13 KB"}, TSizeCase{1664, "1.63 KB", "1,63 KB"},
                    TSizeCase{1408, "1.38 KB", "1,38 KB"}, TSizeCase{1920, "1.88 KB", "1,88 KB"},
                    TSizeCase{0.125, "0.13 B", "0,13 B"}, TSizeCase{0.375, "0.38 B", "0,38 B"},
                    TSizeCase{1023.625 * 1048576, "1,023.63 MB", "1.023,63 MB"},
                    TSizeCase{4096.875 * 1073741824, "4,096.88 GB", "4.096,88 GB"},
                    // Next to a tie, the nearest value wins as before.
                    TSizeCase{1151, "1.12 KB", "1,12 KB"}, TSizeCase{1153, "1.13 KB", "1,13 KB"}));

TEST(FormatSizeTest, MultiByteSeparators) {
    TRegionalSettings rs = GermanSettings();
    rs.ThousandSeparator = "\u202F"; // narrow no-break space, as some locales group
    rs.DecimalSeparator = "\u066B";
    EXPECT_EQ(FormatSize(1030000, rs), "1\u202F005\u066B86 KB");
}

struct TNumberTextCase {
    double Value;
    const char* English;
    const char* German;
};

void PrintTo(const TNumberTextCase& c, std::ostream* os) {
    *os << c.English;
}

class SizeNumberTextTest : public testing::TestWithParam<TNumberTextCase> {};

TEST_P(SizeNumberTextTest, WritesGeneralFormAndReadsBack) {
    const TNumberTextCase& c = GetParam();
    EXPECT_EQ(SizeNumberText(c.Value, EnglishSettings()), c.English);
    EXPECT_EQ(SizeNumberText(c.Value, GermanSettings()), c.German);
    // Fifteen significant digits: exact for whole numbers below 1e15, within 5e-15 above.
    const std::optional<double> back = ParseNumber(c.German, GermanSettings());
    ASSERT_TRUE(back.has_value());
    EXPECT_NEAR(*back, c.Value, std::fabs(c.Value) * 5e-15);
}

INSTANTIATE_TEST_SUITE_P(
    Values, SizeNumberTextTest,
    testing::Values(TNumberTextCase{0, "0", "0"}, TNumberTextCase{1536, "1536", "1536"},
                    TNumberTextCase{5368709120.0, "5368709120", "5368709120"},
                    TNumberTextCase{999999999999999.0, "999999999999999", "999999999999999"},
                    TNumberTextCase{1e15, "1E15", "1E15"},
                    TNumberTextCase{1234567890123456.0, "1.23456789012346E15",
                                    "1,23456789012346E15"},
                    TNumberTextCase{1.5, "1.5", "1,5"}, TNumberTextCase{-2.25, "-2.25", "-2,25"},
                    TNumberTextCase{0.0001, "0.0001", "0,0001"},
                    TNumberTextCase{0.00001, "1E-5", "1E-5"},
                    TNumberTextCase{1e300, "1E300", "1E300"},
                    // Rounding to 15 digits carries into a new exponent.
                    TNumberTextCase{999999999999999.9, "1E15", "1E15"}));

TEST(SizeNumberTextTest, EveryWholeNumberBelowTheLimitReadsBackExactly) {
    for (double v = 1; v < 1e15; v = v * 3 + 7) {
        const std::string text = SizeNumberText(v, GermanSettings());
        EXPECT_EQ(text.find_first_not_of("0123456789"), std::string::npos) << text;
        EXPECT_EQ(ParseNumber(text, GermanSettings()), v) << text;
    }
}

struct TParseCase {
    const char* Text;
    std::optional<double> English;
    std::optional<double> German;
};

void PrintTo(const TParseCase& c, std::ostream* os) {
    *os << '"' << c.Text << '"';
}

class ParseNumberTest : public testing::TestWithParam<TParseCase> {};

TEST_P(ParseNumberTest, FollowsTheRegionalDecimalSeparator) {
    const TParseCase& c = GetParam();
    EXPECT_EQ(ParseNumber(c.Text, EnglishSettings()), c.English) << '"' << c.Text << '"';
    EXPECT_EQ(ParseNumber(c.Text, GermanSettings()), c.German) << '"' << c.Text << '"';
    EXPECT_EQ(IsNumber(c.Text, GermanSettings()), c.German.has_value());
}

const std::optional<double> kNone;

INSTANTIATE_TEST_SUITE_P(
    Texts, ParseNumberTest,
    testing::Values(TParseCase{"1,5", kNone, 1.5}, TParseCase{"1.5", 1.5, kNone},
                    TParseCase{"", kNone, kNone}, TParseCase{"   ", kNone, kNone},
                    TParseCase{"  42\t", 42, 42}, TParseCase{"+7", 7, 7},
                    TParseCase{"-0", -0.0, -0.0}, TParseCase{"1E15", 1e15, 1e15},
                    TParseCase{"2e-3", 0.002, 0.002}, TParseCase{"2E+3", 2000, 2000},
                    TParseCase{"1,23456789012346E15", kNone, 1.23456789012346e15},
                    TParseCase{",5", kNone, 0.5}, TParseCase{"5,", kNone, 5},
                    TParseCase{",", kNone, kNone}, TParseCase{"1,000,000", kNone, kNone},
                    TParseCase{"1.000", 1, kNone}, TParseCase{"E5", kNone, kNone},
                    TParseCase{"5E", kNone, kNone}, TParseCase{"5E+", kNone, kNone},
                    TParseCase{"--5", kNone, kNone}, TParseCase{"5 5", kNone, kNone},
                    TParseCase{"0x10", kNone, kNone}, TParseCase{"inf", kNone, kNone},
                    TParseCase{"nan", kNone, kNone}, TParseCase{"abc", kNone, kNone},
                    TParseCase{"1E400", kNone, kNone}));

TEST(ParseNumberTest, ReadsMultiByteDecimalSeparator) {
    TRegionalSettings rs = EnglishSettings();
    rs.DecimalSeparator = "\u066B";
    EXPECT_EQ(ParseNumber("2\u066B5", rs), 2.5);
    EXPECT_FALSE(ParseNumber("2\xD9", rs)); // the separator cut short
}

TEST(SizeTextTest, EmptyStaysEmptyAndNonNumbersFail) {
    EXPECT_EQ(SizeText("", EnglishSettings()), "");
    EXPECT_EQ(SizeText("0", EnglishSettings()), "0.00 B");
    EXPECT_EQ(SizeText("1536", GermanSettings()), "1,50 KB");
    EXPECT_EQ(SizeText("1,23456789012346E15", GermanSettings()), "1.149.780,95 GB");
    EXPECT_THROW(SizeText("abc", EnglishSettings()), std::invalid_argument);
    EXPECT_THROW(SizeText(" ", EnglishSettings()), std::invalid_argument);
    EXPECT_THROW(SizeText("1.5", GermanSettings()), std::invalid_argument);
}

struct TCompareCase {
    const char* A;
    const char* B;
    int Expected;
};

void PrintTo(const TCompareCase& c, std::ostream* os) {
    *os << '"' << c.A << "\" vs \"" << c.B << '"';
}

class CompareNumberTextsTest : public testing::TestWithParam<TCompareCase> {};

TEST_P(CompareNumberTextsTest, NonNumbersCountAsZeroAndEqualIsNeverZero) {
    const TCompareCase& c = GetParam();
    EXPECT_EQ(CompareNumberTexts(c.A, c.B, EnglishSettings()), c.Expected) << c.A << " vs " << c.B;
}

INSTANTIATE_TEST_SUITE_P(Pairs, CompareNumberTextsTest,
                         testing::Values(TCompareCase{"10", "9", 1}, TCompareCase{"9", "10", -1},
                                         TCompareCase{"5", "5", -1}, TCompareCase{"", "3", -1},
                                         TCompareCase{"x", "-1", 1}, TCompareCase{"x", "0", -1},
                                         TCompareCase{"0", "x", -1},
                                         TCompareCase{"1E15", "999999999999999", 1},
                                         TCompareCase{"1.5", "1.25", 1},
                                         TCompareCase{"-2", "-10", 1}));

TEST(CompareNumberTextsTest, ReadsTheDecimalSeparatorOfTheSettings) {
    // Under German settings "1.5" is no number (0), "1,5" is 1.5.
    EXPECT_EQ(CompareNumberTexts("1.5", "1,5", GermanSettings()), -1);
    EXPECT_EQ(CompareNumberTexts("1,5", "1.5", GermanSettings()), 1);
}

TEST(CompareNumbersTest, OnlyGreaterGivesOne) {
    EXPECT_EQ(CompareNumbers(2, 1), 1);
    EXPECT_EQ(CompareNumbers(1, 2), -1);
    EXPECT_EQ(CompareNumbers(1, 1), -1);
    EXPECT_EQ(CompareNumbers(std::nan(""), 1), -1);
}

} // namespace
} // namespace quorvex
