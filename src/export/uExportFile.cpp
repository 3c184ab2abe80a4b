#include "uExportFile.h"

#include "uEntryColumns.h"

#include <cstring>

namespace fs = std::filesystem;

namespace quorvex {

TExportFormatInfo FormatInfo(EExportFormat format) {
    switch (format) {
    case EExportFormat::Html:
        return {QStringLiteral(".htm"), QStringLiteral("HTML File|*.htm")};
    case EExportFormat::Excel:
        return {QStringLiteral(".xlsx"), QStringLiteral("EXCEL File|*.xlsx")};
    case EExportFormat::Text:
        return {QStringLiteral(".txt"), QStringLiteral("Text File|*.txt")};
    case EExportFormat::Csv:
        return {QStringLiteral(".csv"), QStringLiteral("CSV File|*.csv")};
    case EExportFormat::Xml:
        return {QStringLiteral(".xml"), QStringLiteral("XML File|*.XML")};
    }
    return {};
}

QString GetPathTitle(const fs::path& path) {
    const std::string name = path.filename().string();
    return DisplayText(std::string_view(name).substr(0, name.find('.')));
}

// ---- TExportFile -----------------------------------------------------------------------------

namespace {
constexpr std::size_t BufferBytes = 1 << 20;
} // namespace

char* EncodeUtf8(char* p, QStringView text, bool crlf) {
    const qsizetype n = text.size();
    const char16_t* s = text.utf16();
    for (qsizetype i = 0; i < n; ++i) {
        char32_t c = s[i];
        if (c < 0x80) {
            if (c == '\n' && crlf)
                *p++ = '\r';
            *p++ = char(c);
            continue;
        }
        if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(s[i + 1]))
            c = QChar::surrogateToUcs4(char16_t(c), s[++i]);
        else if (QChar::isSurrogate(c))
            c = 0xFFFD;
        if (c < 0x800) {
            *p++ = char(0xC0 | (c >> 6));
        } else {
            if (c < 0x10000) {
                *p++ = char(0xE0 | (c >> 12));
            } else {
                *p++ = char(0xF0 | (c >> 18));
                *p++ = char(0x80 | ((c >> 12) & 0x3F));
            }
            *p++ = char(0x80 | ((c >> 6) & 0x3F));
        }
        *p++ = char(0x80 | (c & 0x3F));
    }
    return p;
}

void AppendUtf8(std::string& out, QStringView text) {
    const std::size_t start = out.size();
    out.resize(start + 3 * std::size_t(text.size()));
    out.resize(std::size_t(EncodeUtf8(out.data() + start, text, false) - out.data()));
}

TExportFile::TExportFile(const fs::path& target) : FFile(target), FBuffer(BufferBytes) {}

char* TExportFile::Room(std::size_t bytes) {
    if (FUsed + bytes > FBuffer.size()) {
        FFile.Write({FBuffer.data(), FUsed});
        FUsed = 0;
        if (bytes > FBuffer.size())
            FBuffer.resize(bytes);
    }
    return FBuffer.data() + FUsed;
}

void TExportFile::Text(QStringView text) {
    if (text.isEmpty())
        return;
    char* start = Room(3 * std::size_t(text.size()));
    FUsed += std::size_t(EncodeUtf8(start, text, true) - start);
    FLineOpen = text.back() != u'\n';
}

void TExportFile::Text(QLatin1StringView ascii) {
    if (ascii.isEmpty())
        return;
    char* p = Room(2 * std::size_t(ascii.size()));
    for (const char c : ascii) {
        if (c == '\n')
            *p++ = '\r';
        *p++ = c;
    }
    FUsed = std::size_t(p - FBuffer.data());
    FLineOpen = ascii.back() != '\n';
}

void TExportFile::Raw(QStringView text) {
    if (text.isEmpty())
        return;
    char* start = Room(3 * std::size_t(text.size()));
    FUsed += std::size_t(EncodeUtf8(start, text, false) - start);
    FLineOpen = true;
}

void TExportFile::Commit() {
    if (FLineOpen) {
        std::memcpy(Room(2), "\r\n", 2);
        FUsed += 2;
    }
    FFile.Write({FBuffer.data(), FUsed});
    FUsed = 0;
    FFile.Commit();
}

} // namespace quorvex
