#pragma once

#include "uExportView.h"

#include <QString>
#include <filesystem>
#include <memory>
#include <vector>

namespace quorvex {

/// A single-list sheet ends at row 65536 at the latest: title, header and 65534 entries.
inline constexpr qsizetype MaxExcelListEntries = 65534;
/// A report sheet holds at most this many entries (its last row is 65531); the rest of a
/// larger view is left out.
inline constexpr qsizetype MaxReportSheetEntries = 65529;
/// The refusal of a view too large for a single-list sheet.
inline constexpr char ExcelRangeMessage[] = "The row count is out of excel range.";

/// The letters of column `number` (decimal text): 1..26 give A..Z, 27 AA, 52 AZ, 53 BA, 702
/// ZZ. A text that is not a number, or a number of 0 or less, is returned unchanged.
QString ColumnLetter(const QString& number);

/// Whether `view` fits a single-list sheet.
bool FitsExcelList(const TExportView& view);

/// An Office Open XML workbook being written through libxlsxwriter into a sibling of the
/// target, which it replaces in Save(). While it exists the C locale is in force on this
/// thread, so that no number in the file follows the user's locale.
class TWorkbook {
public:
    explicit TWorkbook(const std::filesystem::path& target);
    ~TWorkbook();
    TWorkbook(const TWorkbook&) = delete;
    TWorkbook& operator=(const TWorkbook&) = delete;

    /// A new sheet named `name` (made valid and unique) holding `view`: in row 1 `title`,
    /// merged across the columns, centred both ways, bold; in row 2 the captions; from row 3
    /// the entries in walk order, at most `maxEntries`. Rows 2 on have borders; each column is
    /// as wide as its widest text there. `totals` come between the title and the captions,
    /// one row each, name and value in the first two cells. Throws std::runtime_error when
    /// the sheet cannot be added.
    void AddSheet(const QString& name, const QString& title, const TExportView& view,
                  qsizetype maxEntries, const std::vector<TReportTotal>& totals = {});
    /// Writes the workbook and replaces the target; throws std::runtime_error naming the
    /// target and the reason.
    void Save();

private:
    struct TImpl;
    std::unique_ptr<TImpl> F;
};

/// The single-list workbook: one sheet, "Sheet1", titled with the path's title. Throws
/// std::length_error(ExcelRangeMessage) for a view that does not fit.
void WriteVTExcel(const TExportView& view, const std::filesystem::path& path);

/// Adds the sheet of one report item, named and titled after it, its totals above the
/// captions; the entries end at the same last row whatever the totals take. A failure on
/// this sheet leaves it as far as it got and is not passed on, so the next view still gets
/// its sheet.
void FillReportSheet(TWorkbook& book, const TReportItem& item);

/// The report workbook: one sheet per view of `list`, in order, also for empty views.
void WriteVTsExcel(const TReportList& list, const std::filesystem::path& path);

} // namespace quorvex
