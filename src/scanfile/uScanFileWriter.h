#pragma once

#include "uScanFileItem.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace quorvex {

class TByteSink;

/// Writes a scan file in the JSON export format of the terminal disk-usage tools (version
/// 1.2 unless the header says otherwise), one item per line, names as raw bytes. Items come
/// depth first: OpenFolder (the first call is the root), its files and folders, CloseFolder.
/// Calls out of that order throw std::logic_error; a name that cannot be read back (empty,
/// '/', ".", ".." or NUL below the root) throws std::invalid_argument.
class TScanFileWriter {
public:
    /// Writes to `path` through a sibling file ("-" = standard output, no sibling); a name
    /// ending in ".zst" is written zstd-compressed. Nothing replaces the target unless
    /// Finish() succeeds. Failures throw std::system_error.
    TScanFileWriter(const std::string& path, const TScanFileHeader& header);
    /// In-memory (tests): `*out` holds the text after Finish().
    static std::unique_ptr<TScanFileWriter> ToText(const TScanFileHeader& header, std::string* out);
    ~TScanFileWriter();
    TScanFileWriter(const TScanFileWriter&) = delete;
    TScanFileWriter& operator=(const TScanFileWriter&) = delete;

    void OpenFolder(const TScanItem& info);
    void File(const TScanItem& item);
    void CloseFolder();
    /// After the root's CloseFolder: flushes, commits.
    void Finish();

private:
    TScanFileWriter(std::unique_ptr<TByteSink> sink, const TScanFileHeader& header);
    void WriteHeader(const TScanFileHeader& header);
    void WriteInfo(const TScanItem& item, bool withDev);
    void CheckName(const TScanItem& item) const;
    void CheckOpen(const char* call) const;
    char* Reserve(std::size_t bytes);
    void Flush();

    std::unique_ptr<TByteSink> FSink;
    std::vector<char> FBuffer; // filled up to FUsed, handed to the sink when full
    std::size_t FUsed = 0;
    std::vector<std::uint64_t> FDevs; // device of every open folder, the root first
    bool FRootDone = false;
    bool FFinished = false;
};

} // namespace quorvex
