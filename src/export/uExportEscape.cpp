#include "uExportEscape.h"

#include <QSet>

namespace quorvex {

namespace {

constexpr char16_t Replacement = 0xFFFD;

// Characters XML 1.0 cannot hold at all; tab, LF and CR are written as references instead.
bool Forbidden(char16_t c) {
    return (c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0xFFFE || c == 0xFFFF;
}

QString MarkupText(QStringView text) {
    QString out;
    out.reserve(text.size() + 16);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        switch (c) {
        case '&':
            out += QLatin1StringView("&amp;");
            break;
        case '<':
            out += QLatin1StringView("&lt;");
            break;
        case '>':
            out += QLatin1StringView("&gt;");
            break;
        case '"':
            out += QLatin1StringView("&quot;");
            break;
        case '\t':
            out += QLatin1StringView("&#9;");
            break;
        case '\n':
            out += QLatin1StringView("&#10;");
            break;
        case '\r':
            out += QLatin1StringView("&#13;");
            break;
        default:
            if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
                out += text[i];
                out += text[++i];
            } else if (Forbidden(c) || QChar::isSurrogate(c)) {
                out += QChar(Replacement);
            } else {
                out += QChar(c);
            }
        }
    }
    return out;
}

bool NeedsMarkupEscape(QStringView text) {
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c == '&' || c == '<' || c == '>' || c == '"' || c < 0x20 || c >= 0xD800)
            return true;
    }
    return false;
}

bool IsNameStart(char32_t c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' ||
           (c >= 0xC0 && c <= 0xD6) || (c >= 0xD8 && c <= 0xF6) || (c >= 0xF8 && c <= 0x2FF) ||
           (c >= 0x370 && c <= 0x37D) || (c >= 0x37F && c <= 0x1FFF) ||
           (c >= 0x200C && c <= 0x200D) || (c >= 0x2070 && c <= 0x218F) ||
           (c >= 0x2C00 && c <= 0x2FEF) || (c >= 0x3001 && c <= 0xD7FF) ||
           (c >= 0xF900 && c <= 0xFDCF) || (c >= 0xFDF0 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0xEFFFF);
}

bool IsNameChar(char32_t c) {
    return IsNameStart(c) || c == '-' || c == '.' || (c >= '0' && c <= '9') || c == 0xB7 ||
           (c >= 0x300 && c <= 0x36F) || (c >= 0x203F && c <= 0x2040);
}

QString ValidName(const QString& raw) {
    QString name;
    name.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size(); ++i) {
        char32_t c = raw[i].unicode();
        const bool pair =
            raw[i].isHighSurrogate() && i + 1 < raw.size() && raw[i + 1].isLowSurrogate();
        if (pair) {
            c = QChar::surrogateToUcs4(raw[i], raw[i + 1]);
            ++i;
        }
        const bool valid = name.isEmpty() ? IsNameStart(c) : IsNameChar(c);
        if (!valid)
            name += u'_';
        else if (pair)
            name += QStringView(raw).mid(i - 1, 2);
        else
            name += QChar(char16_t(c));
    }
    return name.isEmpty() ? QStringLiteral("_") : name;
}

QString WithoutSpacesAndParentheses(QStringView text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text)
        if (c != u' ' && c != u'(' && c != u')')
            out += c;
    return out;
}

} // namespace

QString HtmlText(const QString& text) {
    if (text.isEmpty())
        return QStringLiteral("&nbsp");
    return NeedsMarkupEscape(text) ? MarkupText(text) : text;
}

QString XmlValue(const QString& text) {
    return NeedsMarkupEscape(text) ? MarkupText(text) : text;
}

QString XmlAttrName(QStringView caption) {
    return ValidName(WithoutSpacesAndParentheses(caption));
}

QString ReportXmlName(QStringView title) {
    return ValidName(WithoutSpacesAndParentheses(title).replace(u'>', u'-'));
}

QStringList UniqueNames(QStringList names) {
    QSet<QString> taken(names.begin(), names.end());
    QSet<QString> seen;
    for (QString& name : names) {
        if (!seen.contains(name)) {
            seen.insert(name);
            continue;
        }
        QString unique;
        for (int n = 2; taken.contains(unique = name + u'_' + QString::number(n)); ++n) {
        }
        taken.insert(unique);
        seen.insert(unique);
        name = unique;
    }
    return names;
}

QString CsvField(const QString& text, QStringView separator) {
    // One pass for the usual one-character separator; a longer one is searched as a whole.
    const QChar single = separator.size() == 1 ? separator.front() : QChar(u'"');
    bool quote = separator.size() > 1 && text.contains(separator);
    for (qsizetype i = 0; i < text.size() && !quote; ++i) {
        const QChar c = text[i];
        quote = c == u'"' || c == u'\n' || c == u'\r' || c == single;
    }
    if (!quote)
        return text;
    QString out;
    out.reserve(text.size() + 4);
    out += u'"';
    for (const QChar c : text) {
        if (c == u'"')
            out += u'"';
        out += c;
    }
    out += u'"';
    return out;
}

} // namespace quorvex
