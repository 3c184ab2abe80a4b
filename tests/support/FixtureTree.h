#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace quorvex::test {

/// A fresh temporary folder under $TMPDIR (never the working directory), removed with its
/// content on destruction, read-only folders included.
class TempDir {
public:
    TempDir();
    /// A new folder inside `parent`; throws std::system_error when none can be made.
    explicit TempDir(const std::filesystem::path& parent);
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return FPath; }
    std::string Str() const { return FPath.string(); }

private:
    std::filesystem::path FPath;
};

/// Writes a tree from a compact description, one item per line, relative to `root`:
///   "docs/a.txt:5"        a file of 5 bytes (folders on the way are made)
///   "docs/sub/"           a folder
///   "link -> docs/a.txt"  a symbolic link holding that target text
///   "docs/b.txt:3@-86400" a file whose access and write times lie 86400 s in the past
void WriteTree(const std::filesystem::path& root, const std::vector<std::string>& lines);

/// Sets access and modification time of `path` (no link followed) to `unixSeconds`.
void SetTimes(const std::filesystem::path& path, long long unixSeconds);

/// Two names that hold every byte a name may hold: 0x01-0x7F but '/', and 0x80-0xFF.
std::vector<std::string> EveryByteNames();

/// True when permission bits are enforced for this process (not root).
bool PermissionsEnforced();

} // namespace quorvex::test
