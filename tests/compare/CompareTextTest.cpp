// The comparison's texts: signed sizes as the summary writes sizes, and the printed report.
#include "TestSettings.h"
#include "uCompareText.h"

#include <cstdint>
#include <gtest/gtest.h>

using namespace quorvex;
using namespace quorvex::test;

namespace {

TEST(CompareText, ChangesCarryTheirSignOnBothFigures) {
    const TRegionalSettings en = EnglishSettings();
    EXPECT_EQ(TotalChangeText(1024, en), "+1.00 KB( +1024 Byte)");
    EXPECT_EQ(TotalChangeText(-1536, en), "-1.50 KB( -1536 Byte)");
    EXPECT_EQ(TotalChangeText(5368709120, en), "+5.00 GB( +5368709120 Byte)");
    EXPECT_EQ(TotalChangeText(0, en), "0.00 B( 0 Byte)");
    EXPECT_EQ(SignedSizeText(-1, en), "-1.00 B");
    EXPECT_EQ(SignedSizeText(2048 * 1024, en), "+2.00 MB");
}

TEST(CompareText, RegionalSeparatorsApply) {
    const TRegionalSettings de = GermanSettings();
    EXPECT_EQ(TotalChangeText(1536, de), "+1,50 KB( +1536 Byte)");
    EXPECT_EQ(SignedSizeText(-2000LL * 1073741824, de), "-2.000,00 GB");
}

TEST(CompareText, TheLargestShrinkStaysNegative) {
    const std::string text = TotalChangeText(INT64_MIN, EnglishSettings());
    EXPECT_EQ(text.rfind("-", 0), 0u) << text;
    EXPECT_NE(text.find("( -9.22337203685478E18 Byte)"), std::string::npos) << text;
}

} // namespace
