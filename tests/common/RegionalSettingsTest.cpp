#include "uBaseFunction.h"
#include "uRegional.h"

#include <clocale>
#include <cstdlib>
#include <gtest/gtest.h>
#include <ostream>
#include <string>

namespace quorvex {
namespace {

struct TLocaleCase {
    const char* Locale;
    TRegionalSettings Expected;
};

void PrintTo(const TLocaleCase& c, std::ostream* os) {
    *os << c.Locale;
}

void ExpectSettings(const TRegionalSettings& actual, const TRegionalSettings& expected) {
    EXPECT_EQ(actual.DecimalSeparator, expected.DecimalSeparator);
    EXPECT_EQ(actual.ThousandSeparator, expected.ThousandSeparator);
    EXPECT_EQ(actual.ShortDateFormat, expected.ShortDateFormat);
    EXPECT_EQ(actual.LongTimeFormat, expected.LongTimeFormat);
}

const TRegionalSettings kCSettings{".", ",", "%m/%d/%Y", "%H:%M:%S"};
const TRegionalSettings kGermanSettings{",", ".", "%d.%m.%Y", "%H:%M:%S"};

// What FromLocale must read under the locale the environment asks for. The test binary runs
// under C.UTF-8 and again under de_DE.UTF-8.
TEST(RegionalSettingsTest, FromLocaleMatchesTheEnvironment) {
    const char* requested = std::getenv("LC_ALL");
    const std::string locale = requested ? requested : "";
    const TRegionalSettings rs = TRegionalSettings::FromLocale();
    if (locale.starts_with("de_DE"))
        ExpectSettings(rs, kGermanSettings);
    else if (locale.empty() || locale == "C" || locale == "POSIX" || locale.starts_with("C."))
        ExpectSettings(rs, kCSettings);
    else
        GTEST_SKIP() << "no expectation for LC_ALL=" << locale;
    // The process-wide object is made from the same locale.
    EXPECT_EQ(TRegionalSettings::Current().DecimalSeparator, rs.DecimalSeparator);
    EXPECT_EQ(SizeText("1536"), rs.DecimalSeparator == "," ? "1,50 KB" : "1.50 KB");
}

class FromLocaleTest : public testing::TestWithParam<TLocaleCase> {
protected:
    void SetUp() override {
        Saved = std::setlocale(LC_ALL, nullptr);
        if (!std::setlocale(LC_ALL, GetParam().Locale))
            GTEST_SKIP() << GetParam().Locale << " is not installed";
    }
    void TearDown() override { std::setlocale(LC_ALL, Saved.c_str()); }

    std::string Saved;
};

TEST_P(FromLocaleTest, ReadsSeparatorsAndNormalisesFormats) {
    ExpectSettings(TRegionalSettings::FromLocale(), GetParam().Expected);
}

// C's "%m/%d/%y" is widened to four digits; de_DE's "%T" and en_US's "%r" are spelled out.
INSTANTIATE_TEST_SUITE_P(
    Locales, FromLocaleTest,
    testing::Values(TLocaleCase{"C", kCSettings}, TLocaleCase{"C.UTF-8", kCSettings},
                    TLocaleCase{"de_DE.UTF-8", kGermanSettings},
                    TLocaleCase{"en_US.UTF-8",
                                TRegionalSettings{".", ",", "%m/%d/%Y", "%I:%M:%S %p"}}));

} // namespace
} // namespace quorvex
