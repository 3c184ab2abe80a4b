// --report with --compare: the changes list as a report in every format, read back by a
// parser of each format, and the bases it refuses.
#include "CommandRun.h"
#include "FixtureTree.h"
#include "uCommandLine.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>

namespace fs = std::filesystem;
using namespace quorvex;
using namespace quorvex::test;

namespace {

using TTable = std::vector<QStringList>;

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

QStringList Lines(const QString& text) {
    QStringList lines = text.split(QStringLiteral("\r\n"));
    if (lines.size() == 1)
        lines = text.split(u'\n');
    return lines;
}

TTable TextRows(const QString& text) {
    TTable rows;
    for (const QString& line : Lines(text))
        rows.push_back(line.split(QStringLiteral("  ,  ")));
    return rows;
}

// Fields of RFC 4180 rows: quoted fields may hold the separator and doubled quotes.
TTable CsvRows(const QString& text) {
    TTable rows;
    for (const QString& line : Lines(text)) {
        QStringList fields{QString()};
        bool quoted = false;
        for (qsizetype i = 0; i < line.size(); ++i) {
            const QChar c = line[i];
            if (quoted && c == u'"' && i + 1 < line.size() && line[i + 1] == u'"')
                fields.back() += line[++i];
            else if (c == u'"')
                quoted = !quoted;
            else if (c == u',' && !quoted)
                fields << QString();
            else
                fields.back() += c;
        }
        rows.push_back(fields);
    }
    return rows;
}

// Table rows, and every text that ends in "<br>" as a row of one cell.
TTable HtmlRows(const QString& text) {
    static const QRegularExpression row(QStringLiteral("([^<>]*)<br>|<tr>(.*?)</tr>")),
        cell(QStringLiteral("<td[^>]*>(.*?)</td>"));
    TTable rows;
    for (const auto& r : row.globalMatch(text)) {
        QStringList cells;
        if (r.capturedLength(2) == 0)
            cells << r.captured(1);
        for (const auto& c : cell.globalMatch(r.captured(2)))
            cells << c.captured(1);
        rows.push_back(cells);
    }
    return rows;
}

// A strict reader: the totals on the section element must leave the document well-formed.
// Each element's attribute values make a row.
TTable XmlRows(const QString& text) {
    QXmlStreamReader xml(text);
    TTable rows;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        QStringList values{xml.name().toString()};
        for (const QXmlStreamAttribute& a : xml.attributes())
            values << a.name().toString() << a.value().toString();
        rows.push_back(values);
    }
    if (xml.hasError())
        rows = {{"not well-formed: " + xml.errorString()}};
    return rows;
}

TTable WorkbookRows(const fs::path& path) {
    const std::string command =
        "/usr/bin/python3 '" QUORVEX_READ_WORKBOOK "' '" + path.string() + "'";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::string json;
    char buffer[4096];
    while (pipe && std::fgets(buffer, sizeof buffer, pipe.get()))
        json += buffer;
    TTable rows;
    const QJsonArray sheets =
        QJsonDocument::fromJson(QByteArray::fromStdString(json))["sheets"].toArray();
    for (const auto& sheet : sheets) {
        const QJsonObject facts = sheet.toObject();
        rows.push_back({"sheet", facts["name"].toString()});
        for (const auto& row : facts["rows"].toArray()) {
            QStringList cells;
            for (const auto& value : row.toArray())
                cells << value.toString();
            rows.push_back(cells);
        }
    }
    return rows;
}

TTable ReportRows(const fs::path& path) {
    const QString text = QString::fromStdString(ReadAll(path));
    const std::string ext = path.extension().string();
    if (ext == ".txt")
        return TextRows(text);
    if (ext == ".csv")
        return CsvRows(text);
    if (ext == ".html")
        return HtmlRows(text);
    if (ext == ".xml")
        return XmlRows(text);
    return WorkbookRows(path);
}

// The rows that hold `text` as a whole cell.
std::vector<std::size_t> RowsWith(const TTable& rows, const QString& text) {
    std::vector<std::size_t> found;
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (rows[i].contains(text))
            found.push_back(i);
    return found;
}

class CompareReport : public testing::Test {
protected:
    TCommandRun Run(std::vector<std::string> args) {
        return RunWithConfig(std::move(args), Work.Path() / "c.xml");
    }
    std::string Save(const std::string& folder, const std::string& name) {
        const std::string file = (Work.Path() / name).string();
        EXPECT_EQ(Run({"--export-scan", file, folder}).Status, 0);
        return file;
    }
    // A base, then every kind of change: a.txt grew, c and old/ went, keep/k shrank, big.bin
    // came.
    std::string EditedSinceBase() {
        WriteTree(Data.Path(), {"a.txt:100", "c:10", "old/x:7", "keep/k:5", "keep/same:9"});
        const std::string base = Save(Data.Str(), "base.json");
        fs::resize_file(Data.Path() / "a.txt", 1124);
        fs::resize_file(Data.Path() / "keep/k", 2);
        fs::remove(Data.Path() / "c");
        fs::remove_all(Data.Path() / "old");
        WriteTree(Data.Path(), {"big.bin:2048"});
        return base;
    }
    QString Path(const std::string& rel) const {
        return QString::fromStdString(Data.Str() + "/" + rel);
    }
    TempDir Work, Data;
};

class CompareReportFormat : public CompareReport,
                            public testing::WithParamInterface<const char*> {};

TEST_P(CompareReportFormat, EveryChangeOnceWithItsSignAndTheTotalsAbove) {
    const std::string base = EditedSinceBase();
    const fs::path report = Work.Path() / (std::string("changes.") + GetParam());
    const TCommandRun r = Run({"--report", report.string(), "--compare", base, Data.Str()});
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Out, "");
    const TTable rows = ReportRows(report);
    ASSERT_FALSE(rows.empty());

    const std::vector<std::pair<std::string, QString>> changes = {{"big.bin", "+2.00 KB"},
                                                                  {"a.txt", "+1.00 KB"},
                                                                  {"keep/k", "-3.00 B"},
                                                                  {"old", "-7.00 B"},
                                                                  {"c", "-10.00 B"}};
    std::size_t firstChange = rows.size();
    for (const auto& [rel, sign] : changes) {
        const std::vector<std::size_t> found = RowsWith(rows, Path(rel));
        ASSERT_EQ(found.size(), 1u) << rel;
        EXPECT_TRUE(rows[found[0]].contains(sign))
            << rel << ": " << rows[found[0]].join('|').toStdString();
        firstChange = std::min(firstChange, found[0]);
    }
    for (const char* unchanged : {"keep/same", "keep"})
        EXPECT_TRUE(RowsWith(rows, Path(unchanged)).empty()) << unchanged;

    // The totals stand above the entries, each once, in whatever cells the format gives them.
    for (const QString value : {"1 entry, +2.00 KB", "2 entries, -17.00 B", "1 entry, +1.00 KB",
                                "1 entry, -3.00 B", "+2.98 KB( +3052 Byte)"}) {
        std::vector<std::size_t> found;
        for (std::size_t i = 0; i < rows.size(); ++i)
            for (const QString& cell : rows[i])
                if (cell.endsWith(value))
                    found.push_back(i);
        ASSERT_EQ(found.size(), 1u) << value.toStdString();
        EXPECT_LT(found[0], firstChange) << value.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, CompareReportFormat,
                         testing::Values("txt", "csv", "html", "xml", "xlsx"));

TEST_F(CompareReport, ChangesComeFirstThenOnlyTheViewsNamed) {
    const std::string base = EditedSinceBase();
    const fs::path report = Work.Path() / "r.txt";
    ASSERT_EQ(Run({"--report", report.string(), "--view", "files-allfiles", "--compare", base,
                   Data.Str()})
                  .Status,
              0);
    std::vector<QString> titles;
    for (const QStringList& row : TextRows(QString::fromStdString(ReadAll(report))))
        if (row.size() == 1 && (row[0] == "Changes" || row[0].contains(" - ")))
            titles.push_back(row[0]);
    EXPECT_EQ(titles, (std::vector<QString>{"Changes", "Files - All Files"}));

    // Nothing changed: the section stays for its totals, and no other view is added.
    const std::string now = Save(Data.Str(), "now.json");
    ASSERT_EQ(Run({"--report", report.string(), "--compare", now, Data.Str()}).Status, 0);
    const TTable rows = TextRows(QString::fromStdString(ReadAll(report)));
    EXPECT_EQ(rows.front(), QStringList{"Changes"});
    EXPECT_EQ(RowsWith(rows, "Total Change: 0.00 B( 0 Byte)").size(), 1u);
    EXPECT_TRUE(RowsWith(rows, "Total Folder Tree").empty());
}

TEST_F(CompareReport, OptionsCombineOnlyWithTheReport) {
    TCommandLine cmd = ParseCommandLine({"--compare", "b.json", "--report", "r.csv", "/usr"});
    EXPECT_EQ(cmd.Action, TCommandLine::EAction::Report);
    EXPECT_EQ(cmd.CompareFile, "b.json");
    EXPECT_EQ(cmd.Format, EExportFormat::Csv);
    EXPECT_TRUE(cmd.Views.empty()) << "only the changes list by default";
    cmd = ParseCommandLine({"--report", "r.txt", "--view", "changes", "--view", "Files-AllFiles",
                            "--compare", "b", "/"});
    EXPECT_EQ(cmd.Views.size(), 1u) << "the changes list is no view of its own";

    for (const auto& args : std::vector<std::vector<std::string>>{
             {"--report", "r.txt", "--view", "Changes", "/"},
             {"--compare", "b.json", "--view", "Changes", "/"},
             {"--report", "r.txt", "--compare", "b.json", "--summary", "/"},
             {"--compare", "b.json", "--report", "r.txt", "--treemap", "t.png", "/"},
             {"--report", "r.txt", "--export-scan", "s.json", "/"}}) {
        const TCommandRun r = Run(args);
        EXPECT_EQ(r.Status, 2) << testing::PrintToString(args);
        EXPECT_EQ(r.Err.rfind("quorvex: ", 0), 0u) << r.Err;
    }
}

TEST_F(CompareReport, BasesThatCannotBeUsedWriteNoReport) {
    WriteTree(Data.Path(), {"sub/a:1"});
    const std::string other = Save(Data.Str() + "/sub", "other.json");
    std::ofstream(Work.Path() / "bad.json") << "not a scan";
    const std::string bad = (Work.Path() / "bad.json").string();
    const std::string now = Save(Data.Str(), "now.json");
    const fs::path report = Work.Path() / "r.html";
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"--compare", other, Data.Str()},
             {"--compare", other, "--load", now},
             {"--compare", (Work.Path() / "missing.json").string(), Data.Str()},
             {"--compare", bad, Data.Str()}}) {
        std::vector<std::string> full = {"--report", report.string()};
        full.insert(full.end(), args.begin(), args.end());
        const TCommandRun r = Run(full);
        EXPECT_EQ(r.Status, 1) << testing::PrintToString(args);
        EXPECT_EQ(r.Err.rfind("quorvex: ", 0), 0u) << r.Err;
        EXPECT_EQ(r.Err.find('\n'), r.Err.size() - 1) << "one line: " << r.Err;
        EXPECT_NE(r.Err.find(args[1] == other ? "not of '" + Data.Str() + "'" : args[1]),
                  std::string::npos)
            << r.Err;
        EXPECT_FALSE(fs::exists(report)) << testing::PrintToString(args);
    }
}

} // namespace
