// What a spreadsheet application makes of the workbook's cells, read from the sheet's XML
// itself: a name is shown as the name, never as the character a code in it stands for, and
// never run as a formula.
#include "ExportTestUtil.h"
#include "FixtureTree.h"
#include "uExportVTEx.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <map>

namespace fs = std::filesystem;
using namespace quorvex;
using namespace quorvex::test;

namespace {

std::string SheetXml(const fs::path& book) {
    const std::string command =
        "/usr/bin/python3 -c 'import sys, zipfile; sys.stdout.write(zipfile.ZipFile(sys.argv[1])"
        ".read(\"xl/worksheets/sheet1.xml\").decode())' '" +
        book.string() + "'";
    std::string xml;
    if (FILE* out = ::popen(command.c_str(), "r")) {
        char chunk[4096];
        for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, out)) > 0;)
            xml.append(chunk, n);
        ::pclose(out);
    }
    return xml;
}

// Each cell's XML by its reference ("A3"). (std::regex would trip GCC 12's
// -Wmaybe-uninitialized in optimised builds.)
std::map<std::string, std::string> Cells(const std::string& sheet) {
    std::map<std::string, std::string> cells;
    const std::string open = "<c r=\"";
    for (std::size_t at = sheet.find(open); at != std::string::npos; at = sheet.find(open, at)) {
        const std::size_t refEnd = sheet.find('"', at + open.size());
        const std::size_t tagEnd = sheet.find('>', refEnd);
        const std::size_t end =
            sheet[tagEnd - 1] == '/' ? tagEnd + 1 : sheet.find("</c>", tagEnd) + 4;
        cells[sheet.substr(at + open.size(), refEnd - at - open.size())] =
            sheet.substr(at, end - at);
        at = end;
    }
    return cells;
}

// "_xHHHH_" at `at`: the character HHHH stands there for a reader; -1 when there is none.
int CodeAt(const std::string& text, std::size_t at) {
    if (text.compare(at, 2, "_x") != 0 || at + 7 > text.size() || text[at + 6] != '_')
        return -1;
    const std::string hex = text.substr(at + 2, 4);
    if (hex.find_first_not_of("0123456789ABCDEFabcdef") != std::string::npos)
        return -1;
    return std::stoi(hex, nullptr, 16);
}

// The text a reader shows for a cell's inline string: entities resolved, and every _xHHHH_
// the character HHHH (all ASCII here).
std::string ShownText(const std::string& cell) {
    const std::size_t open = cell.find("<is><t");
    const std::size_t start = cell.find('>', open + 6) + 1;
    const std::size_t end = cell.find("</t></is>");
    if (open == std::string::npos || end == std::string::npos)
        return "(no inline string)";
    const std::string raw = cell.substr(start, end - start);
    std::string shown;
    for (std::size_t i = 0; i < raw.size();) {
        if (const int code = CodeAt(raw, i); code >= 0) {
            shown += char(code);
            i += 7;
        } else if (raw.compare(i, 5, "&amp;") == 0) {
            shown += '&';
            i += 5;
        } else if (raw.compare(i, 6, "&quot;") == 0) {
            shown += '"';
            i += 6;
        } else {
            shown += raw[i++];
        }
    }
    return shown;
}

TEST(WorkbookCells, NamesAreShownAsTheyAreAndNeverRunAsFormulas) {
    const QStringList names = {
        "_x0041_", "a_x005F_b", "__x00e9__x0041_", "_X0041_ _x12 _x004G_", "=1+2", "+1",
        "-5",      "-0",        "@SUM(A1)",        "=HYPERLINK(\"x\")&A1"};
    std::vector<TFakeView::TRow> rows;
    for (const QString& name : names)
        rows.push_back({0, {name}});
    TempDir dir;
    const fs::path book = dir.Path() / "_x0041_.xlsx"; // the title is "_x0041_" too
    WriteVTExcel(TFakeView({"Name"}, rows), book);

    const std::map<std::string, std::string> cells = Cells(SheetXml(book));
    ASSERT_EQ(cells.size(), std::size_t(names.size()) + 2) << SheetXml(book);
    EXPECT_EQ(ShownText(cells.at("A1")), "_x0041_");
    EXPECT_NE(cells.at("A3").find("<t>_x005F_x0041_</t>"), std::string::npos) << cells.at("A3");
    for (qsizetype i = 0; i < names.size(); ++i) {
        const std::string& cell = cells.at("A" + std::to_string(i + 3));
        EXPECT_EQ(ShownText(cell), names[i].toStdString()) << cell;
        EXPECT_NE(cell.find("t=\"inlineStr\""), std::string::npos) << cell;
        EXPECT_EQ(cell.find("<f>"), std::string::npos) << cell;
    }
}

TEST(WorkbookCells, WholeNumbersStayNumbers) {
    TempDir dir;
    const fs::path book = dir.Path() / "n.xlsx";
    WriteVTExcel(TFakeView({"Count", "Size"}, {{0, {"1234", "012"}}}), book);
    const std::map<std::string, std::string> cells = Cells(SheetXml(book));
    ASSERT_EQ(cells.count("A3"), 1u);
    EXPECT_NE(cells.at("A3").find("<v>1234</v>"), std::string::npos) << cells.at("A3");
    EXPECT_EQ(ShownText(cells.at("B3")), "012"); // a leading zero is kept as text
}

} // namespace
