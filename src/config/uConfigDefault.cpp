#include "uConfigDefault.h"

namespace quorvex {
namespace {

// One line per piece of markup: the whitespace that precedes it, then the markup. The runs of
// two blanks between some attributes and the "10~" caption with value 365 belong to the
// document as shipped; keep every byte. (clang-format would split each line's literals.)
// clang-format off
constexpr char DefaultText[] =
    R"(<?xml version="1.0" encoding="utf-8"?>)"
    R"(<config versionNo="3">)"
    "\t" R"(<files>)"
    "\t\t" R"(<node Name="    FileName" Visible="True" Index="0"  Width="172" Align="left"/>)"
    "\t\t" R"(<node Name="FullPath" Visible="True" Index="1" Width="173" Align="left"/>)"
    "\t\t" R"(<node Name="FileSize" Visible="True" Index="2" Width="84"  Align="right"/>)"
    "\t\t" R"(<node Name="FileExt" Visible="True" Index="3" Width="100" Align="left"/>)"
    "\t\t" R"(<node Name="CreateTime" Visible="True" Index="4" Width="100"  Align="right"/>)"
    "\t\t" R"(<node Name="WriteTime" Visible="True" Index="5" Width="100"  Align="right"/>)"
    "\t\t" R"(<node Name="AccessTime" Visible="True" Index="6" Width="100"  Align="right"/>)"
    "\t\t" R"(<node Name="DosName" Visible="False" Index="7" Width="124"  Align="left"/>)"
    "\t\t" R"(<node Name="OwnerName" Visible="False" Index="8"  Width="100"  Align="left"/>)"
    "\t\t" R"(<node Name="FileType" Visible="False" Index="9" Width="100"  Align="left"/>)"
    "\t\t" R"(<node Name="FileCount" Visible="False" Index="10" Width="80"  Align="right"/>)"
    "\t\t" R"(<node Name="Size on Disk" Visible="False" Index="11" Width="84" Align="right"/>)"
    "\t" R"(</files>)"
    " " R"(<agerange>)"
    "    " R"(<item caption="one day" value="1"/>)"
    "          " R"(<item caption="three days" value="3"/>)"
    "          " R"(<item caption="one week" value="7"/>)"
    "          " R"(<item caption="one month" value="30"/>)"
    "          " R"(<item caption="one year" value="365"/>)"
    "       " R"(</agerange>)"
    " " R"(<sizerange>)"
    "    " R"(<item caption="0~10KB" value="10000"/>)"
    "          " R"(<item caption="10~100KB" value="100000"/>)"
    "          " R"(<item caption="0.1~1MB" value="1000000"/>)"
    "          " R"(<item caption="1~10MB" value="10000000"/>)"
    "          " R"(<item caption="10~100MB" value="100000000"/>)"
    "          " R"(<item caption="0.1~1G" value="1000000000"/>)"
    "       " R"(</sizerange>)"
    " " R"(<lengthrange>)"
    "    " R"(<item caption="1" value="1"/>)"
    "          " R"(<item caption="2~6" value="6"/>)"
    "          " R"(<item caption="7~10" value="10"/>)"
    "          " R"(<item caption="11~19" value="19"/>)"
    "          " R"(<item caption="10~" value="365"/>)"
    "       " R"(</lengthrange>)"
    " " R"(<default  largefilenum="100" olderfilenum="100" abovelast="above last"/>)"
    R"(</config>)";
// clang-format on

static_assert(sizeof(DefaultText) - 1 == 1922, "the default document is 1922 bytes");

} // namespace

const std::string_view DefaultConfigText{DefaultText, sizeof(DefaultText) - 1};

} // namespace quorvex
