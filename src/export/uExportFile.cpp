#include "uExportFile.h"

#include "uEntryColumns.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

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

// ---- TSiblingFile ----------------------------------------------------------------------------

namespace {

fs::path FinalTarget(fs::path path) {
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(path, error)))
            break;
        const fs::path target = fs::read_symlink(path, error);
        if (error)
            break;
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    return path;
}

} // namespace

TSiblingFile::TSiblingFile(const fs::path& target) : FTarget(target), FFinal(FinalTarget(target)) {
    // Asked of the path itself, as the kernel follows links (also /dev/stdout's).
    struct stat st {};
    const bool exists = ::stat(target.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode))
        Fail(EISDIR);
    if (exists && !S_ISREG(st.st_mode)) {
        // A pipe or a device (/dev/stdout, a FIFO) is written into, never replaced.
        FPath = target;
        FDirect = true;
        if ((FFd = ::open(FPath.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC)) < 0)
            Fail(errno);
        return;
    }
    const std::string stem = "." + FFinal.filename().string() + "." + std::to_string(::getpid());
    for (int attempt = 0; attempt < 100 && FFd < 0; ++attempt) {
        FPath = FFinal.parent_path() / (stem + "-" + std::to_string(attempt) + ".part");
        FFd = ::open(FPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (FFd < 0 && errno != EEXIST)
            Fail(errno);
    }
    if (FFd < 0)
        Fail(EEXIST);
}

TSiblingFile::~TSiblingFile() {
    if (FFd >= 0)
        ::close(FFd);
    if (!FCommitted && !FDirect)
        ::unlink(FPath.c_str());
}

void TSiblingFile::Fail(int error) const {
    throw std::system_error(error, std::generic_category(),
                            "Cannot write '" + FTarget.string() + "'");
}

void TSiblingFile::Write(std::string_view bytes) {
    const long long start = FWritten;
    while (!bytes.empty()) {
        const ssize_t put = ::write(FFd, bytes.data(), bytes.size());
        if (put < 0 && errno != EINTR)
            Fail(errno);
        if (put > 0) {
            bytes.remove_prefix(std::size_t(put));
            FWritten += put;
        }
    }
#ifdef __linux__
    // Start writing back what is there while the rest is made, so that the sync before the
    // rename finds little left to do (a hint: its failure changes nothing).
    ::sync_file_range(FFd, start, FWritten - start, SYNC_FILE_RANGE_WRITE);
#endif
}

void TSiblingFile::Close() {
    const int fd = FFd;
    FFd = -1;
    if (fd >= 0 && ::close(fd) != 0)
        Fail(errno);
}

void TSiblingFile::Commit() {
    if (FDirect) {
        Close();
        FCommitted = true;
        return;
    }
    // Keep the permissions of the file being replaced (a new one gets 0666 less the umask).
    struct stat old {};
    const bool replacing = ::stat(FFinal.c_str(), &old) == 0;
    if (FFd < 0 && (FFd = ::open(FPath.c_str(), O_WRONLY | O_CLOEXEC)) < 0)
        Fail(errno);
    if (replacing)
        ::fchmod(FFd, old.st_mode & 07777);
    if (::fsync(FFd) != 0)
        Fail(errno);
    Close();
    if (::rename(FPath.c_str(), FFinal.c_str()) != 0)
        Fail(errno);
    FCommitted = true;
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
