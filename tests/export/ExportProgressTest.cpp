// The counting layer of exports on a worker: a cancel between two rows ends every writer,
// the report workbook included, with the old file kept and no temporary file left; counting
// changes no byte; the rows counted match the total announced.
#include "ExportTestUtil.h"
#include "FixtureTree.h"
#include "uExportProgress.h"
#include "uExportVT.h"
#include "uExportVTEx.h"
#include "uReportDocs.h"

#include <gtest/gtest.h>
#include <vector>

namespace fs = std::filesystem;
using namespace quorvex;
using namespace quorvex::test;

namespace {

TFakeView Rows(int count) {
    std::vector<TFakeView::TRow> rows;
    for (int i = 0; i < count; ++i)
        rows.push_back(
            {i % 3 == 0 ? 0 : 1, {QStringLiteral("f%1 <&>").arg(i), QString::number(i)}});
    return TFakeView({"Name", "Size"}, std::move(rows));
}

// A report of two views (the second also read through a counted view of its own).
TReportList Report(const TFakeView& first, const TFakeView& second) {
    struct TRef final : TExportView {
        const TExportView& V;
        explicit TRef(const TExportView& v) : V(v) {}
        qsizetype EntryCount() const override { return V.EntryCount(); }
        int ColumnCount() const override { return V.ColumnCount(); }
        QString Caption(int c) const override { return V.Caption(c); }
        void Walk(const TVisit& visit) const override { V.Walk(visit); }
    };
    TReportList list;
    list.push_back({QStringLiteral("First"), std::make_unique<TRef>(first)});
    list.push_back({QStringLiteral("Second"), std::make_unique<TRef>(second)});
    return list;
}

using TReportWriter = void (*)(const TReportList&, const fs::path&);

struct TFormat {
    const char* Name;
    TReportWriter Write;
};

const TFormat Formats[] = {
    {"html", [](const TReportList& l, const fs::path& p) { WriteVTsHtml(l, p); }},
    {"text", [](const TReportList& l, const fs::path& p) { WriteVTsText(l, " , ", p); }},
    {"csv", [](const TReportList& l, const fs::path& p) { WriteVTsCsv(l, p); }},
    {"xml", [](const TReportList& l, const fs::path& p) { WriteVTsXml(l, p); }},
    // The workbook skips a sheet whose view fails; a cancel must not be mistaken for that.
    {"xlsx", [](const TReportList& l, const fs::path& p) { WriteVTsExcel(l, p); }},
};

class CountedExport : public testing::TestWithParam<TFormat> {
protected:
    TempDir Dir;
    fs::path Target = Dir.Path() / "report.out";
};

TEST_P(CountedExport, CancelBetweenRowsKeepsTheOldFileAndLeavesNothingBeside) {
    WriteBytes(Target, "the user's old file");
    TExportProgress progress;
    TFakeView first = Rows(50), second = Rows(400);
    second.BeforeRow = [&](std::size_t row) {
        if (row == 200)
            progress.Cancel(); // as the Cancel button does, between two rows
    };
    const TReportList list = Report(first, second);
    EXPECT_THROW(GetParam().Write(CountedList(list, progress), Target), TExportCancelled);
    EXPECT_EQ(ReadBytes(Target), "the user's old file");
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(Dir.Path()))
        names.push_back(e.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"report.out"});
    EXPECT_EQ(progress.Total(), 450);
    EXPECT_EQ(progress.Rows(), 50 + 200); // stopped before the row it came ahead of
}

INSTANTIATE_TEST_SUITE_P(Formats, CountedExport, testing::ValuesIn(Formats),
                         [](const auto& param) { return std::string(param.param.Name); });

// A workbook stamps its creation time, so only the text formats compare byte for byte.
TEST(CountedView, CountingChangesNoByteAndReachesTheTotal) {
    TempDir dir;
    fs::create_directory(dir.Path() / "plain");
    fs::create_directory(dir.Path() / "counted");
    const TFakeView first = Rows(30), second = Rows(7);
    const TReportList list = Report(first, second);
    for (const TFormat& format : Formats) {
        if (std::string(format.Name) == "xlsx")
            continue;
        format.Write(list, dir.Path() / "plain" / "report");
        TExportProgress progress;
        format.Write(CountedList(list, progress), dir.Path() / "counted" / "report");
        EXPECT_EQ(ReadBytes(dir.Path() / "counted" / "report"),
                  ReadBytes(dir.Path() / "plain" / "report"))
            << format.Name;
        EXPECT_EQ(progress.Rows(), 37);
        EXPECT_EQ(progress.Total(), 37);
    }
}

TEST(CountedView, SingleListWritersStopOnCancelToo) {
    TempDir dir;
    const fs::path target = dir.Path() / "list.htm";
    WriteBytes(target, "old");
    TExportProgress progress;
    TFakeView view = Rows(100);
    view.BeforeRow = [&](std::size_t row) {
        if (row == 10)
            progress.Cancel();
    };
    const TCountedView counted(view, progress);
    EXPECT_THROW(WriteVTHtml(counted, target), TExportCancelled);
    EXPECT_THROW(WriteVTExcel(counted, target), TExportCancelled);
    EXPECT_EQ(ReadBytes(target), "old");
    EXPECT_EQ(counted.EntryCount(), 100);
    EXPECT_EQ(counted.Caption(1), "Size");
}

} // namespace
