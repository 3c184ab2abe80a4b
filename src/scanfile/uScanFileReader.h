#pragma once

#include "uScanFileItem.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace quorvex {

class TByteSource;
class TJsonInput;

/// Pull reader of a scan file (the JSON export of the terminal disk-usage tools, version
/// 1.x, plain or zstd): streaming and iterative, it holds one buffer of the file plus one
/// number per open folder, so a file of any size and nesting depth reads in constant stack.
class TScanFileReader {
public:
    /// Opens `path` ("-" = standard input); zstd input is recognised by its magic bytes.
    /// Throws std::system_error when it cannot be opened, TScanFileError when the text up
    /// to the root folder is not a scan file.
    explicit TScanFileReader(const std::string& path);
    /// Reads from an in-memory text (tests, and the lead's engine tests).
    static std::unique_ptr<TScanFileReader> FromText(std::string text);
    /// Reads what `source` hands out (uByteSource.h), decompressed when it is zstd.
    static std::unique_ptr<TScanFileReader> FromSource(std::unique_ptr<TByteSource> source);
    ~TScanFileReader();
    TScanFileReader(const TScanFileReader&) = delete;
    TScanFileReader& operator=(const TScanFileReader&) = delete;

    /// Valid after the constructor (reads up to the root).
    const TScanFileHeader& Header() const { return FHeader; }

    enum class EEvent { Folder, File, EndFolder, End };
    /// Next item: Folder (Item() is the folder's own info; its items follow, then
    /// EndFolder), File, EndFolder, and End once after the root's EndFolder and the closing
    /// bracket (and only white space after it); End again on every later call. Throws
    /// TScanFileError for anything invalid, std::system_error for a read error.
    EEvent Next();
    /// The item of the last Folder or File event; its buffers are reused by the next.
    const TScanItem& Item() const { return FItem; }
    /// Byte offset (decompressed) of the item just read: its '{', or the ']' of EndFolder.
    std::uint64_t Offset() const { return FOffset; }

private:
    explicit TScanFileReader(std::unique_ptr<TByteSource> source);
    void ReadHeader();
    void ReadMetadata();
    EEvent ReadFolder();
    void ReadInfo(bool root);
    void ReadField(bool& hasName, std::uint64_t& nameOffset);
    void CheckName(bool root, bool hasName, std::uint64_t nameOffset) const;
    std::uint64_t ReadUnsigned(std::uint64_t max, const char* what);
    std::int64_t ReadSigned(const char* what);
    /// uid, gid or mode; sets `has`.
    std::uint32_t ReadId(bool& has, const char* what);
    std::int64_t ReadTime(bool& has, const char* what);

    std::unique_ptr<TJsonInput> FIn;
    TScanFileHeader FHeader;
    TScanItem FItem;
    std::vector<std::uint64_t> FDevs; // device of every open folder, the root first
    std::string FKey;
    std::uint64_t FOffset = 0;
    bool FStarted = false;
    bool FDone = false;
};

} // namespace quorvex
