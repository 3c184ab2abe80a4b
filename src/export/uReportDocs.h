#pragma once

#include "uBaseView.h"
#include "uExportFile.h"
#include "uExportView.h"

#include <QString>
#include <array>
#include <filesystem>
#include <optional>
#include <string_view>

namespace quorvex {

class TChangesModel;

/// A view of the main window that a report can hold, with its title in the report.
struct TReportView {
    const char* Title;
    EView View;
};

/// The thirteen report views in the order of the report dialog, which is also the order of
/// the sections of every report.
extern const std::array<TReportView, 13> ReportViews;

/// The text separator of the report dialog: two spaces, a comma, two spaces.
inline constexpr char ReportTextSeparator[] = "  ,  ";

/// The title of the changes list of a comparison in a report; its XML name is the same.
inline constexpr char ChangesViewTitle[] = "Changes";

/// The report item of a changes list, with its totals; `changes` must outlive it.
TReportItem ChangesReportItem(const TChangesModel& changes);

/// The views a report can hold: the thirteen of the dialog, then those only the command line
/// offers ("Folders - Not Scanned"). Indexes below ReportViews.size() are the dialog's.
std::size_t AllReportViewCount();
/// Throws std::out_of_range for an index from AllReportViewCount() on.
const TReportView& AllReportViews(std::size_t index);

/// The report item of AllReportViews(index), read from the controller's model.
TReportItem ReportItem(TBaseView& controller, std::size_t index);

/// The index in AllReportViews of a title ("Files - All Files") or its XML name
/// ("Files-AllFiles"), compared without regard to case; nullopt when none matches.
std::optional<std::size_t> FindReportView(QStringView name);

/// The format named "html", "xml", "txt", "csv" or "xlsx" (any case).
std::optional<EExportFormat> FormatByName(std::string_view name);
/// The format of a file name's extension (".htm" and ".html" for HTML).
std::optional<EExportFormat> FormatOfPath(const std::filesystem::path& path);

// The report writers. Each view of `list` gives one section in list order; in the four text
// formats a view without entries or totals gives none, not even its title. A view's totals
// come after its title, before its entries. The file replaces `path`
// only once it is complete; failures throw, naming the file and the reason.

/// HTML: head, heading, footer, then per section the title, "<br>", one "name: value<br>"
/// per total and the view's table.
void WriteVTsHtml(const TReportList& list, const std::filesystem::path& path);
/// Text: per section a line with the title alone, a "name: value" line per total, the
/// header line and the entry lines.
void WriteVTsText(const TReportList& list, const QString& separator,
                  const std::filesystem::path& path);
/// CSV: as text with the separator "," and quoted fields; a total is a row of two fields.
void WriteVTsCsv(const TReportList& list, const std::filesystem::path& path);
/// XML: per section an element named after the title, its totals as attributes, holding
/// one <file> element per top-level entry, children nested inside their parents.
void WriteVTsXml(const TReportList& list, const std::filesystem::path& path);

/// The writer of `format` (the text formats with ReportTextSeparator).
void WriteReport(EExportFormat format, const TReportList& list, const std::filesystem::path& path);

} // namespace quorvex
