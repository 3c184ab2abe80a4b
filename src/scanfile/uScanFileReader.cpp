#include "uScanFileReader.h"

#include "uByteSource.h"
#include "uJsonInput.h"

#include <cstring>
#include <limits>
#include <string_view>

namespace quorvex {
namespace {

enum class EKey {
    Name,
    ASize,
    DSize,
    Dev,
    Ino,
    NLink,
    HardLink,
    Uid,
    Gid,
    Mode,
    MTime,
    CrTime,
    ATime,
    OwnMTime,
    Problem,
    ReadError,
    Excluded,
    NotReg,
    Other
};

EKey KeyOf(std::string_view key) {
    struct TKeyName {
        std::string_view Text;
        EKey Key;
    };
    static constexpr TKeyName Keys[] = {
        {"name", EKey::Name},
        {"asize", EKey::ASize},
        {"dsize", EKey::DSize},
        {"dev", EKey::Dev},
        {"ino", EKey::Ino},
        {"nlink", EKey::NLink},
        {"hlnkc", EKey::HardLink},
        {"uid", EKey::Uid},
        {"gid", EKey::Gid},
        {"mode", EKey::Mode},
        {"mtime", EKey::MTime},
        {"quorvex_crtime", EKey::CrTime},
        {"quorvex_atime", EKey::ATime},
        {"quorvex_mtime", EKey::OwnMTime},
        {"quorvex_problem", EKey::Problem},
        {"read_error", EKey::ReadError},
        {"excluded", EKey::Excluded},
        {"notreg", EKey::NotReg},
    };
    for (const TKeyName& k : Keys)
        if (k.Text == key)
            return k.Key;
    return EKey::Other;
}

} // namespace

TScanFileReader::TScanFileReader(const std::string& path) : TScanFileReader(OpenFileSource(path)) {}

TScanFileReader::TScanFileReader(std::unique_ptr<TByteSource> source)
    : FIn(std::make_unique<TJsonInput>(std::move(source))) {
    ReadHeader();
}

TScanFileReader::~TScanFileReader() = default;

std::unique_ptr<TScanFileReader> TScanFileReader::FromText(std::string text) {
    return std::unique_ptr<TScanFileReader>(new TScanFileReader(MakeTextSource(std::move(text))));
}

std::unique_ptr<TScanFileReader> TScanFileReader::FromSource(std::unique_ptr<TByteSource> source) {
    return std::unique_ptr<TScanFileReader>(new TScanFileReader(DecodeSource(std::move(source))));
}

void TScanFileReader::ReadHeader() {
    FIn->Expect('[', "'[' opening a scan file");
    const TJsonNumber major = FIn->ReadNumber();
    if (!major.Integral || major.Negative || major.Overflow || major.Magnitude != 1)
        TJsonInput::FailAt(major.Offset, "unsupported major version (only 1 is known)");
    FHeader.Major = 1;
    FIn->Expect(',', "','");
    FHeader.Minor = ReadUnsigned(std::numeric_limits<std::uint64_t>::max(), "minor version");
    FIn->Expect(',', "','");
    ReadMetadata();
    FIn->Expect(',', "',' before the root folder");
}

void TScanFileReader::ReadMetadata() {
    FIn->Expect('{', "the metadata object");
    if (FIn->PeekToken() == '}') {
        FIn->Advance();
        return;
    }
    for (;;) {
        FIn->ReadString(FKey);
        FIn->Expect(':', "':'");
        if (FKey == "progname")
            FIn->ReadString(FHeader.ProgName);
        else if (FKey == "progver")
            FIn->ReadString(FHeader.ProgVer);
        else if (FKey == "timestamp")
            FHeader.Timestamp = ReadSigned("timestamp");
        else
            FIn->SkipValue();
        const int token = FIn->PeekToken();
        if (token != ',' && token != '}')
            FIn->FailToken(token, "',' or '}'");
        FIn->Advance();
        if (token == '}')
            return;
    }
}

TScanFileReader::EEvent TScanFileReader::Next() {
    if (FDone)
        return EEvent::End;
    if (!FStarted) {
        FStarted = true;
        FIn->Expect('[', "the root folder");
        return ReadFolder();
    }
    if (FDevs.empty()) {
        FIn->Expect(']', "']' closing the scan file");
        FIn->ExpectEnd();
        FOffset = FIn->Offset();
        FDone = true;
        return EEvent::End;
    }
    int token = FIn->PeekToken();
    FOffset = FIn->Offset();
    if (token == ']') {
        FIn->Advance();
        FDevs.pop_back();
        return EEvent::EndFolder;
    }
    if (token != ',')
        FIn->FailToken(token, "',' or ']'");
    FIn->Advance();
    token = FIn->PeekToken();
    if (token == '[') {
        FIn->Advance();
        return ReadFolder();
    }
    if (token != '{')
        FIn->FailToken(token, "a file object or a folder array");
    ReadInfo(false);
    FItem.Folder = false;
    return EEvent::File;
}

// After the '[' of a folder: its info object comes first.
TScanFileReader::EEvent TScanFileReader::ReadFolder() {
    if (FIn->PeekToken() != '{')
        FIn->Fail("a folder array must start with its info object");
    ReadInfo(FDevs.empty());
    FItem.Folder = true;
    FDevs.push_back(FItem.Dev);
    return EEvent::Folder;
}

void TScanFileReader::ReadInfo(bool root) {
    FOffset = FIn->Offset();
    FIn->Advance();
    // Reset field by field: the strings keep their buffers for the next item.
    FItem.Name.clear();
    FItem.Excluded.clear();
    std::string name = std::move(FItem.Name), excluded = std::move(FItem.Excluded);
    FItem = TScanItem();
    FItem.Name = std::move(name);
    FItem.Excluded = std::move(excluded);
    FItem.Dev = FDevs.empty() ? 0 : FDevs.back();

    bool hasName = false;
    std::uint64_t nameOffset = 0;
    if (FIn->PeekToken() == '}') {
        FIn->Advance();
    } else {
        for (;;) {
            FIn->ReadString(FKey);
            FIn->Expect(':', "':'");
            ReadField(hasName, nameOffset);
            const int token = FIn->PeekToken();
            if (token != ',' && token != '}')
                FIn->FailToken(token, "',' or '}'");
            FIn->Advance();
            if (token == '}')
                break;
        }
    }
    CheckName(root, hasName, nameOffset);
}

void TScanFileReader::ReadField(bool& hasName, std::uint64_t& nameOffset) {
    constexpr std::uint64_t Max64 = std::numeric_limits<std::uint64_t>::max();
    switch (KeyOf(FKey)) {
    case EKey::Name:
        hasName = true;
        FIn->PeekToken();
        nameOffset = FIn->Offset();
        FIn->ReadString(FItem.Name);
        return;
    case EKey::ASize:
        FItem.ASize = ReadUnsigned(Max64, "asize");
        return;
    case EKey::DSize:
        FItem.DSize = ReadUnsigned(Max64, "dsize");
        return;
    case EKey::Dev:
        FItem.Dev = ReadUnsigned(Max64, "dev");
        return;
    case EKey::Ino:
        FItem.Ino = ReadUnsigned(Max64, "ino");
        FItem.HasIno = true;
        return;
    case EKey::NLink:
        FItem.NLink = ReadUnsigned(Max64, "nlink");
        return;
    case EKey::HardLink:
        FItem.HardLinkFlag = FIn->ReadBool();
        return;
    case EKey::Uid:
        FItem.Uid = ReadId(FItem.HasUid, "uid");
        return;
    case EKey::Gid:
        FItem.Gid = ReadId(FItem.HasGid, "gid");
        return;
    case EKey::Mode:
        FItem.Mode = ReadId(FItem.HasMode, "mode");
        return;
    case EKey::MTime:
        FItem.MTime = ReadTime(FItem.HasMTime, "mtime");
        return;
    case EKey::CrTime:
        FItem.CrTime = ReadTime(FItem.HasCrTime, "quorvex_crtime");
        return;
    case EKey::ATime:
        FItem.ATime = ReadTime(FItem.HasATime, "quorvex_atime");
        return;
    case EKey::OwnMTime:
        FItem.MTime = ReadTime(FItem.HasMTime, "quorvex_mtime");
        return;
    case EKey::Problem:
        FItem.Problem = ReadUnsigned(Max64, "quorvex_problem");
        return;
    case EKey::ReadError:
        FItem.ReadError = FIn->ReadBool();
        return;
    case EKey::Excluded:
        FIn->ReadString(FItem.Excluded);
        return;
    case EKey::NotReg:
        FItem.NotReg = FIn->ReadBool();
        return;
    case EKey::Other:
        FIn->SkipValue();
        return;
    }
}

// The root's name is the scanned path, so it may hold '/'; every other name is one path
// component, and a NUL can be in neither.
void TScanFileReader::CheckName(bool root, bool hasName, std::uint64_t nameOffset) const {
    const std::string& name = FItem.Name;
    if (!hasName)
        TJsonInput::FailAt(FOffset, "item without a name");
    if (name.empty())
        TJsonInput::FailAt(nameOffset, "empty name");
    if (name.find('\0') != std::string::npos)
        TJsonInput::FailAt(nameOffset, "name contains a NUL byte");
    if (root)
        return;
    if (std::memchr(name.data(), '/', name.size()) != nullptr)
        TJsonInput::FailAt(nameOffset, "name contains '/'");
    if (name == "." || name == "..")
        TJsonInput::FailAt(nameOffset, "name is '.' or '..'");
}

std::uint64_t TScanFileReader::ReadUnsigned(std::uint64_t max, const char* what) {
    const TJsonNumber n = FIn->ReadNumber();
    if (!n.Integral)
        TJsonInput::FailAt(n.Offset, std::string(what) + " is not an integer");
    if (n.Negative && n.Magnitude != 0)
        TJsonInput::FailAt(n.Offset, std::string(what) + " is negative");
    if (n.Overflow || n.Magnitude > max)
        TJsonInput::FailAt(n.Offset, std::string(what) + " is out of range");
    return n.Magnitude;
}

std::uint32_t TScanFileReader::ReadId(bool& has, const char* what) {
    has = true;
    return static_cast<std::uint32_t>(
        ReadUnsigned(std::numeric_limits<std::uint32_t>::max(), what));
}

std::int64_t TScanFileReader::ReadTime(bool& has, const char* what) {
    has = true;
    return ReadSigned(what);
}

std::int64_t TScanFileReader::ReadSigned(const char* what) {
    const TJsonNumber n = FIn->ReadNumber();
    if (!n.Integral)
        TJsonInput::FailAt(n.Offset, std::string(what) + " is not an integer");
    constexpr auto Max = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    // One writer stores a time before 1970 as its 64-bit two's complement, unsigned.
    if (!n.Negative && !n.Overflow && n.Magnitude > Max)
        return static_cast<std::int64_t>(n.Magnitude);
    if (n.Overflow || n.Magnitude > Max + (n.Negative ? 1 : 0))
        TJsonInput::FailAt(n.Offset, std::string(what) + " is out of range");
    // Negate in unsigned arithmetic: -2^63 has no positive counterpart.
    return n.Negative ? static_cast<std::int64_t>(0 - n.Magnitude)
                      : static_cast<std::int64_t>(n.Magnitude);
}

} // namespace quorvex
