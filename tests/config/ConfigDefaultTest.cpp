#include "uConfigDefault.h"

#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace {

// The default document as it is laid out piece by piece: the whitespace before each piece of
// markup, then the markup. Any slip in the tabs and blank runs shows up as a mismatch.
const std::vector<std::pair<const char*, const char*>> Pieces = {
    {"", R"(<?xml version="1.0" encoding="utf-8"?>)"},
    {"", R"(<config versionNo="3">)"},
    {"\t", "<files>"},
    {"\t\t", R"(<node Name="    FileName" Visible="True" Index="0"  Width="172" Align="left"/>)"},
    {"\t\t", R"(<node Name="FullPath" Visible="True" Index="1" Width="173" Align="left"/>)"},
    {"\t\t", R"(<node Name="FileSize" Visible="True" Index="2" Width="84"  Align="right"/>)"},
    {"\t\t", R"(<node Name="FileExt" Visible="True" Index="3" Width="100" Align="left"/>)"},
    {"\t\t", R"(<node Name="CreateTime" Visible="True" Index="4" Width="100"  Align="right"/>)"},
    {"\t\t", R"(<node Name="WriteTime" Visible="True" Index="5" Width="100"  Align="right"/>)"},
    {"\t\t", R"(<node Name="AccessTime" Visible="True" Index="6" Width="100"  Align="right"/>)"},
    {"\t\t", R"(<node Name="DosName" Visible="False" Index="7" Width="124"  Align="left"/>)"},
    {"\t\t", R"(<node Name="OwnerName" Visible="False" Index="8"  Width="100"  Align="left"/>)"},
    {"\t\t", R"(<node Name="FileType" Visible="False" Index="9" Width="100"  Align="left"/>)"},
    {"\t\t", R"(<node Name="FileCount" Visible="False" Index="10" Width="80"  Align="right"/>)"},
    {"\t\t", R"(<node Name="Size on Disk" Visible="False" Index="11" Width="84" Align="right"/>)"},
    {"\t", "</files>"},
    {" ", "<agerange>"},
    {"    ", R"(<item caption="one day" value="1"/>)"},
    {"          ", R"(<item caption="three days" value="3"/>)"},
    {"          ", R"(<item caption="one week" value="7"/>)"},
    {"          ", R"(<item caption="one month" value="30"/>)"},
    {"          ", R"(<item caption="one year" value="365"/>)"},
    {"       ", "</agerange>"},
    {" ", "<sizerange>"},
    {"    ", R"(<item caption="0~10KB" value="10000"/>)"},
    {"          ", R"(<item caption="10~100KB" value="100000"/>)"},
    {"          ", R"(<item caption="0.1~1MB" value="1000000"/>)"},
    {"          ", R"(<item caption="1~10MB" value="10000000"/>)"},
    {"          ", R"(<item caption="10~100MB" value="100000000"/>)"},
    {"          ", R"(<item caption="0.1~1G" value="1000000000"/>)"},
    {"       ", "</sizerange>"},
    {" ", "<lengthrange>"},
    {"    ", R"(<item caption="1" value="1"/>)"},
    {"          ", R"(<item caption="2~6" value="6"/>)"},
    {"          ", R"(<item caption="7~10" value="10"/>)"},
    {"          ", R"(<item caption="11~19" value="19"/>)"},
    {"          ", R"(<item caption="10~" value="365"/>)"},
    {"       ", "</lengthrange>"},
    {" ", R"(<default  largefilenum="100" olderfilenum="100" abovelast="above last"/>)"},
    {"", "</config>"},
};

TEST(DefaultConfigText, IsTheExactDocument) {
    ASSERT_EQ(Pieces.size(), 40u);
    std::string expected;
    for (const auto& [before, markup] : Pieces)
        expected += std::string(before) + markup;
    EXPECT_EQ(quorvex::DefaultConfigText.size(), 1922u);
    EXPECT_EQ(quorvex::DefaultConfigText, expected);
}

} // namespace
