#include "TestSettings.h"
#include "uBaseFunction.h"

#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>
#include <ostream>
#include <string>

namespace quorvex {
namespace {

using test::EnglishSettings;
using test::GermanSettings;
using test::TwelveHourSettings;

// Moments below are in Europe/Berlin, which the test runner sets; a direct run gets it too.
class BerlinTime : public testing::Environment {
public:
    void SetUp() override {
        setenv("TZ", "Europe/Berlin", 1);
        tzset();
    }
};
const auto* const kBerlin = testing::AddGlobalTestEnvironment(new BerlinTime);

constexpr std::int64_t kJulyNoonUtc = 1784116800;    // 2026-07-15 12:00:00 UTC
constexpr std::int64_t kJanuaryNoonUtc = 1768478400; // 2026-01-15 12:00:00 UTC
constexpr std::int64_t kAfternoon = 1796821509;      // 2026-12-09 14:05:09 local
constexpr std::int64_t kMidnight = 1796770800;       // 2026-12-09 00:00:00 local
constexpr std::int64_t kAfterMidnight = 1796772600;  // 2026-12-09 00:30:00 local
constexpr std::int64_t kHalfPastNoon = 1796815800;   // 2026-12-09 12:30:00 local
constexpr std::int64_t kSpringForward = 1774746000;  // 2026-03-29 03:00:00 CEST
constexpr std::int64_t kRepeatedSummer = 1792888200; // 2026-10-25 02:30:00 CEST
constexpr std::int64_t kRepeatedWinter = 1792891800; // 2026-10-25 02:30:00 CET
constexpr std::int64_t kMillenniumEve = 946681199;   // 1999-12-31 23:59:59 local

TEST(DateTimeTextTest, FollowsTheZoneRulesOfTheMomentItself) {
    const TRegionalSettings iso{".", ",", "%Y-%m-%d", "%H:%M:%S"};
    EXPECT_EQ(DateTimeText(kJulyNoonUtc, iso), "2026-07-15 14:00:00");
    EXPECT_EQ(DateTimeText(kJanuaryNoonUtc, iso), "2026-01-15 13:00:00");
    EXPECT_EQ(DateTimeText(0, iso), "1970-01-01 01:00:00");
}

struct TTextCase {
    std::int64_t Moment;
    const char* English;
    const char* German;
    const char* TwelveHour;
};

void PrintTo(const TTextCase& c, std::ostream* os) {
    *os << c.German;
}

class DateTimeTextFormsTest : public testing::TestWithParam<TTextCase> {};

TEST_P(DateTimeTextFormsTest, WritesAndReadsBackUnderEachDateOrder) {
    const TTextCase& c = GetParam();
    EXPECT_EQ(DateTimeText(c.Moment, EnglishSettings()), c.English);
    EXPECT_EQ(DateTimeText(c.Moment, GermanSettings()), c.German);
    EXPECT_EQ(DateTimeText(c.Moment, TwelveHourSettings()), c.TwelveHour);
    EXPECT_EQ(ParseDateTimeText(c.English, EnglishSettings()), c.Moment);
    EXPECT_EQ(ParseDateTimeText(c.German, GermanSettings()), c.Moment);
    EXPECT_EQ(ParseDateTimeText(c.TwelveHour, TwelveHourSettings()), c.Moment);
}

INSTANTIATE_TEST_SUITE_P(
    Moments, DateTimeTextFormsTest,
    testing::Values(TTextCase{kAfternoon, "12/09/2026 14:05:09", "09.12.2026 14:05:09",
                              "2026-12-09 02:05:09 pm"},
                    // Exactly midnight: the date alone.
                    TTextCase{kMidnight, "12/09/2026", "09.12.2026", "2026-12-09"},
                    TTextCase{kAfterMidnight, "12/09/2026 00:30:00", "09.12.2026 00:30:00",
                              "2026-12-09 12:30:00 am"},
                    TTextCase{kHalfPastNoon, "12/09/2026 12:30:00", "09.12.2026 12:30:00",
                              "2026-12-09 12:30:00 pm"},
                    TTextCase{kSpringForward, "03/29/2026 03:00:00", "29.03.2026 03:00:00",
                              "2026-03-29 03:00:00 am"},
                    TTextCase{kMillenniumEve, "12/31/1999 23:59:59", "31.12.1999 23:59:59",
                              "1999-12-31 11:59:59 pm"}));

TEST(DateTimeTextTest, RoundTripsEveryQuarterHourAcrossBothClockChanges) {
    const TRegionalSettings formats[] = {EnglishSettings(), GermanSettings(), TwelveHourSettings()};
    for (const TRegionalSettings& rs : formats) {
        for (std::int64_t t = kSpringForward - 86400; t < kRepeatedWinter + 86400; t += 899) {
            if (t >= kRepeatedSummer - 1800 && t < kRepeatedWinter + 1800)
                continue; // the repeated hour has its own test
            EXPECT_EQ(ParseDateTimeText(DateTimeText(t, rs), rs), t) << DateTimeText(t, rs);
        }
    }
}

TEST(DateTimeTextTest, RepeatedHourReadsBackToEitherMoment) {
    const TRegionalSettings rs = GermanSettings();
    ASSERT_EQ(DateTimeText(kRepeatedSummer, rs), DateTimeText(kRepeatedWinter, rs));
    const auto back = ParseDateTimeText(DateTimeText(kRepeatedWinter, rs), rs);
    ASSERT_TRUE(back.has_value());
    EXPECT_TRUE(*back == kRepeatedSummer || *back == kRepeatedWinter) << *back;
}

TEST(DateTimeTextTest, TwelveHourTextsDoNotDependOnTheProcessLocale) {
    // de_DE has no AM/PM texts; the settings object brings its own.
    const TRegionalSettings rs{".", ",", "%m/%d/%Y", "%I:%M:%S %p"};
    EXPECT_EQ(DateTimeText(kAfternoon, rs), "12/09/2026 02:05:09 PM");
    EXPECT_EQ(ParseDateTimeText("12/09/2026 02:05:09 PM", rs), kAfternoon);
    EXPECT_EQ(ParseDateTimeText("12/09/2026 2:05:09 pm", rs), kAfternoon);
    EXPECT_EQ(ParseDateTimeText("12/09/2026 12:00:00 AM", rs), kMidnight);
}

TEST(DateTimeTextTest, CompositeAndPaddedConversionsRoundTrip) {
    const TRegionalSettings formats[] = {{".", ",", "%F", "%T"},
                                         {".", ",", "%D", "%R:%S"},
                                         {".", ",", "%e/%m/%Y", "%k:%M:%S"},
                                         {".", ",", "%Y%m%d", "%l.%M.%S %P"}};
    for (const TRegionalSettings& rs : formats)
        for (std::int64_t t : {kAfternoon, kAfterMidnight, kMillenniumEve, std::int64_t{0}})
            EXPECT_EQ(ParseDateTimeText(DateTimeText(t, rs), rs), t) << DateTimeText(t, rs);
}

class UnreadableDateTextTest : public testing::TestWithParam<const char*> {};

TEST_P(UnreadableDateTextTest, DoesNotParse) {
    EXPECT_FALSE(ParseDateTimeText(GetParam(), GermanSettings()).has_value()) << GetParam();
}

INSTANTIATE_TEST_SUITE_P(Texts, UnreadableDateTextTest,
                         testing::Values("", "garbage", "31.02.2026", "29.02.2026 10:00:00",
                                         "09.12.2026 24:00:00", "09.12.2026 14:60:00",
                                         "09.12.2026 14:05", "09.12.2026 14:05:09 x",
                                         "09.12.202614:05:09", "12/09/2026 14:05:09", "00.12.2026",
                                         "09.13.2026", "09.12."));

TEST(ParseDateTimeTextTest, DateAloneIsMidnightAndBlanksAroundAreAccepted) {
    EXPECT_EQ(ParseDateTimeText("09.12.2026", GermanSettings()), kMidnight);
    EXPECT_EQ(ParseDateTimeText(" 9.12.2026 ", GermanSettings()), kMidnight);
    EXPECT_EQ(ParseDateTimeText("29.02.2028", GermanSettings()).has_value(), true);
}

struct TDateCompareCase {
    const char* A;
    const char* B;
    int Expected;
};

void PrintTo(const TDateCompareCase& c, std::ostream* os) {
    *os << '"' << c.A << "\" vs \"" << c.B << '"';
}

class CompareDateTextsTest : public testing::TestWithParam<TDateCompareCase> {};

TEST_P(CompareDateTextsTest, EmptyFirstUnreadableGreaterSameSecondEqual) {
    const TDateCompareCase& c = GetParam();
    EXPECT_EQ(CompareDateTexts(c.A, c.B, GermanSettings()), c.Expected) << c.A << " vs " << c.B;
}

INSTANTIATE_TEST_SUITE_P(
    Pairs, CompareDateTextsTest,
    testing::Values(TDateCompareCase{"", "", -1}, TDateCompareCase{"", "09.12.2026", -1},
                    TDateCompareCase{"09.12.2026", "", 1},
                    TDateCompareCase{"09.12.2026 14:05:09", "09.12.2026 14:05:09", 0},
                    TDateCompareCase{"09.12.2026", "09.12.2026 00:00:00", 0},
                    TDateCompareCase{"x", "09.12.2026", 1}, TDateCompareCase{"09.12.2026", "x", 1},
                    TDateCompareCase{"x", "x", 1},
                    TDateCompareCase{"09.12.2026 14:05:10", "09.12.2026 14:05:09", 1},
                    TDateCompareCase{"09.12.2026 14:05:09", "09.12.2026 14:05:10", -1},
                    // Day first: 01.02. is after 02.01., which a text comparison would get wrong.
                    TDateCompareCase{"01.02.2026", "02.01.2026", 1},
                    TDateCompareCase{"31.12.1999 23:59:59", "01.01.2000", -1}));

} // namespace
} // namespace quorvex
