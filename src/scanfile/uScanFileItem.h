#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace quorvex {

/// One file or folder as a scan file describes it.
struct TScanItem {
    std::string Name; // raw bytes, escapes decoded
    bool Folder = false;
    std::uint64_t ASize = 0, DSize = 0;
    std::uint64_t Dev = 0; // reader: inherited from the enclosing folder when absent
    std::uint64_t Ino = 0;
    bool HasIno = false;
    std::uint64_t NLink = 0;   // 0 = not given
    bool HardLinkFlag = false; // "hlnkc": true
    std::uint32_t Uid = 0, Gid = 0, Mode = 0;
    bool HasUid = false, HasGid = false, HasMode = false;
    std::int64_t MTime = 0, CrTime = 0, ATime = 0;
    bool HasMTime = false, HasCrTime = false, HasATime = false;
    bool ReadError = false, NotReg = false;
    /// Why a folder was not read completely, as Quorvex tells it (its own key): 0 none.
    std::uint64_t Problem = 0;
    std::string Excluded; // empty when not excluded

    friend bool operator==(const TScanItem&, const TScanItem&) = default;
};

/// The scan file's version and its "progname", "progver" and "timestamp" metadata.
struct TScanFileHeader {
    std::uint64_t Major = 1, Minor = 2;
    std::string ProgName, ProgVer;
    std::int64_t Timestamp = 0;

    friend bool operator==(const TScanFileHeader&, const TScanFileHeader&) = default;
};

/// Thrown for a file that is not a valid scan file; what() ends with " at byte N" (offset
/// into the decompressed JSON text); Offset() gives N.
class TScanFileError : public std::runtime_error {
public:
    TScanFileError(const std::string& message, std::uint64_t offset)
        : std::runtime_error(message + " at byte " + std::to_string(offset)), FOffset(offset) {}
    std::uint64_t Offset() const { return FOffset; }

private:
    std::uint64_t FOffset;
};

} // namespace quorvex
