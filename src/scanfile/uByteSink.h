#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace quorvex {

/// Where the scan-file writer's bytes go, in large blocks. Nothing is committed before
/// Finish(); a sink destroyed without it leaves any target as it was.
class TByteSink {
public:
    virtual ~TByteSink() = default;
    virtual void Write(std::string_view bytes) = 0;
    /// Flushes and commits; called once, after the last Write().
    virtual void Finish() = 0;
};

/// "-" = standard output; any other path is written through a sibling file that replaces
/// it on Finish(), zstd-compressed when the name ends in ".zst". Failures throw
/// std::system_error.
std::unique_ptr<TByteSink> OpenFileSink(const std::string& path);

/// Sets `*out` to everything written, on Finish().
std::unique_ptr<TByteSink> MakeTextSink(std::string* out);

} // namespace quorvex
