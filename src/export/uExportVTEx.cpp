#include "uExportVTEx.h"

#include "uExportFile.h"

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <cstring>
#include <locale.h>
#include <stdexcept>
#include <vector>
#include <xlsxwriter.h>

namespace fs = std::filesystem;

namespace quorvex {

QString ColumnLetter(const QString& number) {
    bool ok = false;
    const int n = number.toInt(&ok);
    if (!ok || n <= 0)
        return number;
    if (n <= 26)
        return QChar(char16_t(64 + n));
    if (n % 26 != 0)
        return QString(QChar(char16_t(64 + n / 26))) + QChar(char16_t(64 + n % 26));
    return QString(QChar(char16_t(63 + n / 26))) + u'Z';
}

bool FitsExcelList(const TExportView& view) {
    return view.EntryCount() <= MaxExcelListEntries;
}

namespace {

std::string Utf8(QStringView text) {
    std::string bytes;
    AppendUtf8(bytes, text);
    return bytes;
}

// The workbook is XML inside: control characters other than tab and line breaks cannot stand
// in it (libxlsxwriter would write them as _xHHHH_ codes, which readers disagree on).
bool IsControl(QChar c) {
    return c.unicode() < 0x20 && c != u'\t' && c != u'\n' && c != u'\r';
}

bool IsHexDigit(QChar c) {
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f');
}

// Whether an "_xHHHH_" starts at `at`: readers take it for the character HHHH.
bool IsCodeAt(QStringView text, qsizetype at) {
    if (at + 7 > text.size() || text[at] != u'_' || text[at + 1] != u'x' || text[at + 6] != u'_')
        return false;
    return std::all_of(text.begin() + at + 2, text.begin() + at + 6, IsHexDigit);
}

QString CellText(const QString& text) {
    QString kept;
    kept.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        // libxlsxwriter leaves such a text as it is, so a file named "_x0041_" would read
        // "A": its underscore goes in as the code of an underscore.
        if (IsCodeAt(text, i))
            kept += QLatin1StringView("_x005F_");
        else
            kept += IsControl(text[i]) ? QChar(0xFFFD) : text[i];
    }
    return kept;
}

std::string CellBytes(const QString& text) {
    const bool plain = std::none_of(text.begin(), text.end(), IsControl) &&
                       !text.contains(QLatin1StringView("_x"));
    return Utf8(plain ? text : CellText(text));
}

// Whole numbers go in as numbers, as the spreadsheet application reads such a text; anything
// else (sizes with units, dates, names) stays text. No column holds a negative number, so a
// name such as "-0" or "-5" stays the text it is. 15 digits are exact in a double.
bool IsWholeNumber(QStringView text) {
    if (text.isEmpty() || text.size() > 15 || (text.size() > 1 && text[0] == u'0'))
        return false;
    for (const QChar c : text)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

qsizetype CharCount(QStringView text) {
    qsizetype count = text.size();
    for (const QChar c : text)
        count -= c.isLowSurrogate() ? 1 : 0;
    return count;
}

// A sheet name the application accepts: none of []:*?/\, at most 31 characters.
QString SheetName(const QString& name) {
    QString valid = name;
    for (QChar& c : valid)
        if (QStringView(u"[]:*?/\\").contains(c))
            c = u'_';
    valid = valid.left(31);
    if (!valid.isEmpty() && valid.back().isHighSurrogate())
        valid.chop(1);
    return valid.isEmpty() ? QStringLiteral("Sheet") : valid;
}

// The C locale on this thread for the lifetime of the object: libxlsxwriter formats column
// widths and numbers with the C library, which would follow the user's decimal comma.
class TCLocaleScope {
public:
    TCLocaleScope() : FC(newlocale(LC_ALL_MASK, "C", locale_t(nullptr))), FOld(uselocale(FC)) {}
    ~TCLocaleScope() {
        uselocale(FOld);
        freelocale(FC);
    }
    TCLocaleScope(const TCLocaleScope&) = delete;
    TCLocaleScope& operator=(const TCLocaleScope&) = delete;

private:
    locale_t FC;
    locale_t FOld;
};

} // namespace

struct TWorkbook::TImpl {
    explicit TImpl(const fs::path& target) : Target(target), Sibling(target) {
        // libxlsxwriter does not check the writes of its temporary files; kept beside the
        // target, on its file system, a full disk that cuts them short also stops the
        // workbook itself. A file written in place or into a device has no folder of its own
        // to use: the system's temporary folder serves then.
        if (Sibling.Mode() == TSiblingFile::EMode::Sibling)
            TempFolder = Sibling.Path().parent_path().string();
    }

    TCLocaleScope Locale;
    fs::path Target;
    TSiblingFile Sibling;
    std::string TempFolder;
    lxw_workbook* Book = nullptr;
    lxw_format* Title = nullptr;
    lxw_format* Cell = nullptr;

    void Write(lxw_worksheet* sheet, lxw_row_t row, lxw_col_t col, const QString& text) {
        if (text.isEmpty())
            worksheet_write_blank(sheet, row, col, Cell);
        else if (IsWholeNumber(text))
            worksheet_write_number(sheet, row, col, text.toDouble(), Cell);
        else
            worksheet_write_string(sheet, row, col, CellBytes(text).c_str(), Cell);
    }
    lxw_worksheet* NewSheet(const QString& name);
};

TWorkbook::TWorkbook(const fs::path& target) : F(std::make_unique<TImpl>(target)) {
    F->Sibling.Close(); // libxlsxwriter opens the file by its name
    // Rows are written top to bottom, each once: constant memory keeps large sheets cheap.
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = F->TempFolder.empty() ? nullptr : F->TempFolder.data();
    F->Book = workbook_new_opt(F->Sibling.Path().c_str(), &options);
    if (!F->Book)
        throw std::runtime_error("Cannot write '" + target.string() + "': out of memory");
    F->Title = workbook_add_format(F->Book);
    format_set_bold(F->Title);
    format_set_align(F->Title, LXW_ALIGN_CENTER);
    format_set_align(F->Title, LXW_ALIGN_VERTICAL_CENTER);
    F->Cell = workbook_add_format(F->Book);
    format_set_border(F->Cell, LXW_BORDER_THIN);
}

TWorkbook::~TWorkbook() {
    if (F->Book)
        lxw_workbook_free(F->Book);
}

lxw_worksheet* TWorkbook::TImpl::NewSheet(const QString& name) {
    const QString base = SheetName(name);
    QString unique = base;
    for (int n = 2; workbook_get_worksheet_by_name(Book, Utf8(unique).c_str()); ++n) {
        const QString suffix = QStringLiteral(" (%1)").arg(n);
        unique = base.left(31 - suffix.size()) + suffix;
    }
    lxw_worksheet* sheet = workbook_add_worksheet(Book, Utf8(unique).c_str());
    if (!sheet)
        throw std::runtime_error("Cannot add the sheet '" + name.toStdString() + "'");
    return sheet;
}

void TWorkbook::AddSheet(const QString& name, const QString& title, const TExportView& view,
                         qsizetype maxEntries, const std::vector<TReportTotal>& totals) {
    lxw_worksheet* sheet = F->NewSheet(name);
    const int columns = view.ColumnCount();
    const std::string titleBytes = CellBytes(title);
    if (columns > 1)
        worksheet_merge_range(sheet, 0, 0, 0, lxw_col_t(columns - 1), titleBytes.c_str(), F->Title);
    else
        worksheet_write_string(sheet, 0, 0, titleBytes.c_str(), F->Title);

    std::vector<qsizetype> widths(std::size_t(columns), 0);
    auto put = [&](lxw_row_t row, int column, const QString& text) {
        F->Write(sheet, row, lxw_col_t(column), text);
        widths[std::size_t(column)] = std::max(widths[std::size_t(column)], CharCount(text));
    };
    lxw_row_t row = 1;
    for (const auto& [totalName, value] : totals) {
        // Every cell of the block below the title keeps its border, the blank ones too; a
        // sheet of one column takes the line whole.
        if (columns == 1)
            put(row, 0, totalName + QStringLiteral(": ") + value);
        for (int c = 0; c < columns && columns > 1; ++c)
            put(row, c, c == 0 ? totalName : c == 1 ? value : QString());
        ++row;
    }
    for (int c = 0; c < columns; ++c)
        put(row, c, view.Caption(c));
    const lxw_row_t first = ++row;
    view.Walk([&](const TExportRow& entry) {
        if (qsizetype(row - first) >= maxEntries)
            return false;
        for (int c = 0; c < columns; ++c)
            put(row, c, entry.CellText(c));
        ++row;
        return true;
    });
    for (int c = 0; c < columns; ++c)
        if (const qsizetype chars = widths[std::size_t(c)]; chars > 0)
            worksheet_set_column(sheet, lxw_col_t(c), lxw_col_t(c),
                                 double(std::min<qsizetype>(chars + 1, 255)), nullptr);
}

void TWorkbook::Save() {
    errno = 0;
    const lxw_error error = workbook_close(F->Book);
    const int reason = errno;
    F->Book = nullptr;
    if (error != LXW_NO_ERROR) {
        std::string text = "Cannot write '" + F->Target.string() + "': " + lxw_strerror(error);
        if (reason != 0)
            text += std::string(" (") + std::strerror(reason) + ")";
        throw std::runtime_error(text);
    }
    F->Sibling.Commit();
}

void WriteVTExcel(const TExportView& view, const fs::path& path) {
    if (!FitsExcelList(view))
        throw std::length_error(ExcelRangeMessage);
    TWorkbook book(path);
    book.AddSheet(QStringLiteral("Sheet1"), GetPathTitle(path), view, MaxExcelListEntries);
    book.Save();
}

void FillReportSheet(TWorkbook& book, const TReportItem& item) {
    const qsizetype entries = MaxReportSheetEntries - qsizetype(item.Totals.size());
    try {
        book.AddSheet(item.Title, item.Title, *item.View, entries, item.Totals);
    } catch (const std::exception&) {
        // One view that fails must not cost the report the views after it.
    }
}

void WriteVTsExcel(const TReportList& list, const fs::path& path) {
    TWorkbook book(path);
    for (const TReportItem& item : list)
        FillReportSheet(book, item);
    book.Save();
}

} // namespace quorvex
