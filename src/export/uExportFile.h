#pragma once

#include "uSiblingFile.h"

#include <QString>
#include <QStringView>
#include <filesystem>
#include <string>
#include <vector>

namespace quorvex {

/// The address in the footer of HTML exports and the generator attribute of XML exports.
inline constexpr char ExportHomePage[] = "https://quorvex.org";

/// The five file formats of the exports and the report.
enum class EExportFormat { Html, Excel, Text, Csv, Xml };

/// What the save step of a format offers: default extension (".htm") and the filter in the
/// form "description|pattern" ("HTML File|*.htm").
struct TExportFormatInfo {
    QString DefaultExt;
    QString Filter;
};
TExportFormatInfo FormatInfo(EExportFormat format);

/// The title a document shows for its save path: the file name up to its first ".", so
/// "/out/disk.usage.htm" gives "disk" and ".hidden" an empty title.
QString GetPathTitle(const std::filesystem::path& path);

/// One text export file, written by the rule every export follows: UTF-8 without byte-order
/// mark, and each line of the document (split at LF) followed by CR LF. So every LF becomes
/// CR LF, a last line without LF still gets CR LF, and an empty document gives 0 bytes.
/// The document is streamed through a buffer into a TSiblingFile.
class TExportFile {
public:
    explicit TExportFile(const std::filesystem::path& target);

    /// Document text: every LF in it ends a line.
    void Text(QStringView text);
    void Text(const char* ascii) { Text(QLatin1StringView(ascii)); }
    void Text(QLatin1StringView ascii);
    /// Written as it is, LF included (a quoted CSV field keeps its own line breaks).
    void Raw(QStringView text);
    /// Ends the last line, writes what is buffered and replaces the target.
    void Commit();

private:
    /// Where the next `bytes` bytes go; writes out what is buffered first when they do not fit.
    char* Room(std::size_t bytes);

    TSiblingFile FFile;
    std::vector<char> FBuffer;
    std::size_t FUsed = 0;
    bool FLineOpen = false;
};

/// UTF-16 to UTF-8 at `out`, which has room for 3 bytes per UTF-16 unit; returns the end. A
/// lone surrogate becomes U+FFFD, so the result is always valid UTF-8. With `crlf`, every LF
/// is written as CR LF.
char* EncodeUtf8(char* out, QStringView text, bool crlf);
/// The same, appended to `out`.
void AppendUtf8(std::string& out, QStringView text);

} // namespace quorvex
