#include "uReportDocs.h"

#include "uChangesModel.h"
#include "uExportEscape.h"
#include "uExportVT.h"
#include "uExportVTEx.h"

#include <QFileInfo>

namespace fs = std::filesystem;

namespace quorvex {

const std::array<TReportView, 13> ReportViews = {{
    {"Total Folder Tree", EView::VTLeft},
    {"Summary - Detail List", EView::VTDetail},
    {"Folders - Size Group", EView::VTFolderSize},
    {"Folders - All Folders", EView::VTFolderAll},
    {"Folders - Empty Folders", EView::VTFolderEmpty},
    {"Files - Size Group", EView::VTFileSize},
    {"Files - All Files", EView::VTFileAll},
    {"Files - Empty Files", EView::VTFileEmpty},
    {"Files Age - File Create Time", EView::VTAgeCreate},
    {"Files Age - File Write Time", EView::VTAgeWrite},
    {"Files Age - File Access Time", EView::VTAgeAccess},
    {"Files Type - Type List", EView::VTType},
    {"Files Name Length", EView::VTName},
}};

namespace {

const TReportView NotScannedView = {"Folders - Not Scanned", EView::VTFolderNotScanned};

} // namespace

std::size_t AllReportViewCount() {
    return ReportViews.size() + 1;
}

const TReportView& AllReportViews(std::size_t index) {
    return index == ReportViews.size() ? NotScannedView : ReportViews.at(index);
}

TReportItem ReportItem(TBaseView& controller, std::size_t index) {
    const TReportView& view = AllReportViews(index);
    return {QString::fromLatin1(view.Title),
            std::make_unique<TModelExportView>(controller.View(view.View))};
}

TReportItem ChangesReportItem(const TChangesModel& changes) {
    return {QString::fromLatin1(ChangesViewTitle), std::make_unique<TModelExportView>(changes),
            changes.Totals()};
}

std::optional<std::size_t> FindReportView(QStringView name) {
    for (std::size_t i = 0; i < AllReportViewCount(); ++i) {
        const QString title = QString::fromLatin1(AllReportViews(i).Title);
        if (name.compare(title, Qt::CaseInsensitive) == 0 ||
            name.compare(ReportXmlName(title), Qt::CaseInsensitive) == 0)
            return i;
    }
    return std::nullopt;
}

std::optional<EExportFormat> FormatByName(std::string_view name) {
    const QString key = QString::fromUtf8(name.data(), qsizetype(name.size())).toLower();
    if (key == u"html" || key == u"htm")
        return EExportFormat::Html;
    if (key == u"xlsx")
        return EExportFormat::Excel;
    if (key == u"txt")
        return EExportFormat::Text;
    if (key == u"csv")
        return EExportFormat::Csv;
    if (key == u"xml")
        return EExportFormat::Xml;
    return std::nullopt;
}

std::optional<EExportFormat> FormatOfPath(const fs::path& path) {
    const std::string ext = path.extension().string();
    return ext.empty() ? std::nullopt : FormatByName(std::string_view(ext).substr(1));
}

void WriteVTsHtml(const TReportList& list, const fs::path& path) {
    TExportFile file(path);
    file.Text(HtmlHead);
    WriteHtmlHeading(file, GetPathTitle(path));
    for (const TReportItem& item : list) {
        if (!item.HasSection())
            continue;
        file.Text(HtmlText(item.Title));
        file.Text("<br>");
        WriteHtmlTotals(file, item.Totals);
        if (item.View->EntryCount() > 0)
            WriteHtmlTable(file, *item.View);
    }
    file.Text("</BODY></HTML>");
    file.Commit();
}

namespace {

void WriteSeparatedReport(const TReportList& list, const QString& separator, bool csv,
                          const fs::path& path) {
    TExportFile file(path);
    for (const TReportItem& item : list) {
        if (!item.HasSection())
            continue;
        if (csv)
            file.Raw(CsvField(item.Title, separator));
        else
            file.Text(item.Title);
        file.Text("\n");
        WriteSeparatedTotals(file, item.Totals, separator, csv);
        if (item.View->EntryCount() > 0)
            WriteSeparatedLines(file, *item.View, separator, csv);
    }
    file.Commit();
}

// The entries of one section nested as in the view: an element is closed once the walk
// has left its subtree.
void WriteXmlSection(TExportFile& file, const TReportItem& item) {
    const QString name = ReportXmlName(item.Title);
    file.Text(u'<' + name);
    WriteXmlTotals(file, item.Totals);
    file.Text(">\n");
    const QStringList attributes = XmlAttrNames(*item.View);
    int open = 0;
    item.View->Walk([&](const TExportRow& row) {
        for (; open > row.Depth(); --open)
            file.Text("</file>\n");
        file.Text("<file ");
        WriteXmlAttributes(file, attributes, row);
        file.Text(">\n");
        ++open;
        return true;
    });
    for (; open > 0; --open)
        file.Text("</file>\n");
    file.Text(QLatin1StringView("\n</") + name + u'>');
}

} // namespace

void WriteVTsText(const TReportList& list, const QString& separator, const fs::path& path) {
    WriteSeparatedReport(list, separator, false, path);
}

void WriteVTsCsv(const TReportList& list, const fs::path& path) {
    WriteSeparatedReport(list, QStringLiteral(","), true, path);
}

void WriteVTsXml(const TReportList& list, const fs::path& path) {
    TExportFile file(path);
    WriteXmlProlog(file);
    for (const TReportItem& item : list)
        if (item.HasSection())
            WriteXmlSection(file, item);
    file.Text("</files>");
    file.Commit();
}

void WriteReport(EExportFormat format, const TReportList& list, const fs::path& path) {
    switch (format) {
    case EExportFormat::Html:
        return WriteVTsHtml(list, path);
    case EExportFormat::Excel:
        return WriteVTsExcel(list, path);
    case EExportFormat::Text:
        return WriteVTsText(list, QString::fromLatin1(ReportTextSeparator), path);
    case EExportFormat::Csv:
        return WriteVTsCsv(list, path);
    case EExportFormat::Xml:
        return WriteVTsXml(list, path);
    }
}

} // namespace quorvex
