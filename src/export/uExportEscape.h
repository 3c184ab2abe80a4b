#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

namespace quorvex {

// The text rules of the export formats. Captions and cell texts are the views' texts, which
// may hold anything a file name can: markup characters, quotes, tabs, line breaks and other
// control characters. A text that needs no change is returned as it is (shared, not copied).

/// A caption or cell text for HTML: "&", "<", ">" and '"' as entities, tab and line breaks
/// as character references (so the document stays one line), other control characters as
/// U+FFFD; an empty text gives "&nbsp".
QString HtmlText(const QString& text);

/// An XML attribute value: the same entities and references; the characters XML 1.0 cannot
/// hold (control characters, U+FFFE, U+FFFF, lone surrogates) become U+FFFD.
QString XmlValue(const QString& text);

/// The attribute name of a column caption: spaces, "(" and ")" removed, then every character
/// that cannot stand at its place in an XML name (":" included) becomes "_"; an empty result
/// is "_". "    FileName" gives FileName, "Total Size" TotalSize.
QString XmlAttrName(QStringView caption);

/// The element name of a report title or caption: as XmlAttrName, with every ">" made "-"
/// first. "Summary - Detail List" gives Summary-DetailList.
QString ReportXmlName(QStringView title);

/// `names` with every repeated name suffixed "_2", "_3", ... so that no two are equal (an
/// element cannot hold two attributes of one name).
QStringList UniqueNames(QStringList names);

/// One CSV field: quoted, with inner quotes doubled, when it holds the separator, a quote or a
/// line break; otherwise as it is.
QString CsvField(const QString& text, QStringView separator);

} // namespace quorvex
