#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace quorvex {

/// Where the scan-file reader's bytes come from, one large chunk at a time, so the tokenizer
/// pays one virtual call per chunk rather than per byte.
class TByteSource {
public:
    virtual ~TByteSource() = default;
    /// The next chunk; empty at the end. Valid until the next call.
    virtual std::string_view Next() = 0;
};

/// Opens `path` ("-" = standard input, left open); zstd data, recognised by its magic bytes,
/// is decompressed. Throws std::system_error when the file cannot be opened; a read error
/// later throws std::system_error too, broken zstd data TScanFileError.
std::unique_ptr<TByteSource> OpenFileSource(const std::string& path);

/// `raw`, decompressed when its first bytes are zstd's magic number.
std::unique_ptr<TByteSource> DecodeSource(std::unique_ptr<TByteSource> raw);

/// The bytes of `text`, decompressed when they are zstd data.
std::unique_ptr<TByteSource> MakeTextSource(std::string text);

} // namespace quorvex
