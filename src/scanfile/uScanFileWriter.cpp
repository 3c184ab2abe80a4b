#include "uScanFileWriter.h"

#include "uByteSink.h"

#include <charconv>
#include <cstring>
#include <stdexcept>
#include <string_view>

namespace quorvex {
namespace {

// Large blocks keep sink calls (and zstd calls) rare.
constexpr std::size_t BufferSize = std::size_t{1} << 20;
// Room for every key and number of one item; names and excluded reasons come on top.
constexpr std::size_t ItemSlack = 1024;

template <std::size_t N> char* Put(char* p, const char (&text)[N]) {
    std::memcpy(p, text, N - 1);
    return p + N - 1;
}

template <typename T> char* PutNumber(char* p, T value) {
    return std::to_chars(p, p + 24, value).ptr;
}

// Raw bytes, so a name that is not UTF-8 comes back byte for byte; only what JSON forbids
// in a string is escaped, and DEL, which ncdu 1.18 refuses raw ("Invalid character").
char* PutString(char* p, std::string_view text) {
    static constexpr char Hex[] = "0123456789abcdef";
    *p++ = '"';
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 0x20 && c != '"' && c != '\\' && c != 0x7F) {
            *p++ = ch;
            continue;
        }
        *p++ = '\\';
        switch (c) {
        case '"':
            *p++ = '"';
            break;
        case '\\':
            *p++ = '\\';
            break;
        case '\n':
            *p++ = 'n';
            break;
        case '\t':
            *p++ = 't';
            break;
        case '\r':
            *p++ = 'r';
            break;
        case '\b':
            *p++ = 'b';
            break;
        case '\f':
            *p++ = 'f';
            break;
        default:
            p = Put(p, "u00");
            *p++ = Hex[c >> 4];
            *p++ = Hex[c & 0xF];
        }
    }
    *p++ = '"';
    return p;
}

char* PutOptional(char* p, bool has, std::string_view key, std::int64_t value) {
    if (!has)
        return p;
    std::memcpy(p, key.data(), key.size());
    return PutNumber(p + key.size(), value);
}

} // namespace

TScanFileWriter::TScanFileWriter(const std::string& path, const TScanFileHeader& header)
    : TScanFileWriter(OpenFileSink(path), header) {}

TScanFileWriter::TScanFileWriter(std::unique_ptr<TByteSink> sink, const TScanFileHeader& header)
    : FSink(std::move(sink)), FBuffer(BufferSize) {
    WriteHeader(header);
}

TScanFileWriter::~TScanFileWriter() = default;

std::unique_ptr<TScanFileWriter> TScanFileWriter::ToText(const TScanFileHeader& header,
                                                         std::string* out) {
    return std::unique_ptr<TScanFileWriter>(new TScanFileWriter(MakeTextSink(out), header));
}

char* TScanFileWriter::Reserve(std::size_t bytes) {
    if (FUsed + bytes > FBuffer.size())
        Flush();
    if (bytes > FBuffer.size())
        FBuffer.resize(bytes);
    return FBuffer.data() + FUsed;
}

void TScanFileWriter::Flush() {
    FSink->Write({FBuffer.data(), FUsed});
    FUsed = 0;
}

void TScanFileWriter::WriteHeader(const TScanFileHeader& header) {
    char* p = Reserve(ItemSlack + 6 * (header.ProgName.size() + header.ProgVer.size()));
    *p++ = '[';
    p = PutNumber(p, header.Major);
    *p++ = ',';
    p = PutNumber(p, header.Minor);
    p = Put(p, ",{\"progname\":");
    p = PutString(p, header.ProgName);
    p = Put(p, ",\"progver\":");
    p = PutString(p, header.ProgVer);
    p = Put(p, ",\"timestamp\":");
    p = PutNumber(p, header.Timestamp);
    p = Put(p, "},\n");
    FUsed = static_cast<std::size_t>(p - FBuffer.data());
}

void TScanFileWriter::CheckOpen(const char* call) const {
    if (FFinished || FDevs.empty())
        throw std::logic_error(std::string(call) + " outside an open folder");
}

void TScanFileWriter::CheckName(const TScanItem& item) const {
    const std::string& name = item.Name;
    const bool root = FDevs.empty();
    if (name.empty() || name.find('\0') != std::string::npos ||
        (!root && (name.find('/') != std::string::npos || name == "." || name == "..")))
        throw std::invalid_argument("scan file: invalid item name \"" + name + '"');
}

void TScanFileWriter::OpenFolder(const TScanItem& info) {
    if (FFinished || (FRootDone && FDevs.empty()))
        throw std::logic_error("OpenFolder after the root folder was closed");
    CheckName(info);
    const bool root = FDevs.empty();
    if (!root) {
        char* p = Reserve(2);
        *p++ = ',';
        *p++ = '\n';
        FUsed += 2;
    }
    Reserve(1)[0] = '[';
    ++FUsed;
    WriteInfo(info, root || info.Dev != FDevs.back());
    FDevs.push_back(info.Dev);
}

void TScanFileWriter::File(const TScanItem& item) {
    CheckOpen("File");
    CheckName(item);
    char* p = Reserve(2);
    *p++ = ',';
    *p++ = '\n';
    FUsed += 2;
    WriteInfo(item, item.Dev != FDevs.back());
}

void TScanFileWriter::CloseFolder() {
    CheckOpen("CloseFolder");
    Reserve(1)[0] = ']';
    ++FUsed;
    FDevs.pop_back();
    FRootDone = FDevs.empty();
}

void TScanFileWriter::Finish() {
    if (FFinished || !FRootDone || !FDevs.empty())
        throw std::logic_error("Finish before the root folder was closed");
    char* p = Reserve(2);
    *p++ = ']';
    *p++ = '\n';
    FUsed += 2;
    Flush();
    FFinished = true;
    FSink->Finish();
}

void TScanFileWriter::WriteInfo(const TScanItem& item, bool withDev) {
    char* p = Reserve(ItemSlack + 6 * (item.Name.size() + item.Excluded.size()));
    p = PutString(Put(p, "{\"name\":"), item.Name);
    if (item.ASize != 0)
        p = PutNumber(Put(p, ",\"asize\":"), item.ASize);
    if (item.DSize != 0)
        p = PutNumber(Put(p, ",\"dsize\":"), item.DSize);
    if (withDev)
        p = PutNumber(Put(p, ",\"dev\":"), item.Dev);
    // Only hard links carry their inode: readers use it to count shared data once.
    if (item.HardLinkFlag || item.NLink > 1) {
        p = Put(PutNumber(Put(p, ",\"ino\":"), item.Ino), ",\"hlnkc\":true");
        if (item.NLink > 1)
            p = PutNumber(Put(p, ",\"nlink\":"), item.NLink);
    }
    p = PutOptional(p, item.HasUid, ",\"uid\":", item.Uid);
    p = PutOptional(p, item.HasGid, ",\"gid\":", item.Gid);
    p = PutOptional(p, item.HasMode, ",\"mode\":", item.Mode);
    // One reader refuses a time before 1970 under the common key: such a time has its own.
    p = PutOptional(p, item.HasMTime && item.MTime >= 0, ",\"mtime\":", item.MTime);
    p = PutOptional(p, item.HasMTime && item.MTime < 0, ",\"quorvex_mtime\":", item.MTime);
    p = PutOptional(p, item.HasCrTime, ",\"quorvex_crtime\":", item.CrTime);
    p = PutOptional(p, item.HasATime, ",\"quorvex_atime\":", item.ATime);
    if (item.ReadError)
        p = Put(p, ",\"read_error\":true");
    p = PutOptional(p, item.Problem != 0, ",\"quorvex_problem\":", std::int64_t(item.Problem));
    if (!item.Excluded.empty())
        p = PutString(Put(p, ",\"excluded\":"), item.Excluded);
    if (item.NotReg)
        p = Put(p, ",\"notreg\":true");
    *p++ = '}';
    FUsed = static_cast<std::size_t>(p - FBuffer.data());
}

} // namespace quorvex
