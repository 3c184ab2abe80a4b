#include "FixtureTree.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <stdexcept>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace quorvex::test {

TempDir::TempDir() : TempDir(fs::temp_directory_path()) {}

TempDir::TempDir(const fs::path& parent) {
    std::string pattern = (parent / "quorvex-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::system_error(errno, std::generic_category(), "mkdtemp");
    FPath = pattern;
}

TempDir::~TempDir() {
    // chmod and rm walk by descriptor: they handle read-only folders and trees deeper than
    // PATH_MAX, which std::filesystem::remove_all does not.
    const std::string quoted = "'" + FPath.string() + "'";
    const std::string command = "chmod -R u+rwx " + quoted + " 2>/dev/null; rm -rf " + quoted;
    if (std::system(command.c_str()) != 0)
        std::fprintf(stderr, "could not remove %s\n", FPath.c_str());
}

void SetTimes(const fs::path& path, long long unixSeconds) {
    timespec times[2] = {{unixSeconds, 0}, {unixSeconds, 0}};
    if (utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0)
        throw std::system_error(errno, std::generic_category(), "utimensat " + path.string());
}

static void WriteFile(const fs::path& path, std::string_view sizeAndAge) {
    long long size = 0;
    long long age = 0;
    bool hasAge = false;
    const auto at = sizeAndAge.find('@');
    size = std::stoll(std::string(sizeAndAge.substr(0, at)));
    if (at != std::string_view::npos) {
        age = std::stoll(std::string(sizeAndAge.substr(at + 1)));
        hasAge = true;
    }
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << std::string(size_t(size), 'x');
    if (hasAge) {
        const auto now = std::chrono::duration_cast<std::chrono::seconds>(
                             std::chrono::system_clock::now().time_since_epoch())
                             .count();
        SetTimes(path, now + age);
    }
}

void WriteTree(const fs::path& root, const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
        if (const auto arrow = line.find(" -> "); arrow != std::string::npos) {
            const fs::path link = root / line.substr(0, arrow);
            fs::create_directories(link.parent_path());
            fs::create_symlink(line.substr(arrow + 4), link);
        } else if (!line.empty() && line.back() == '/') {
            fs::create_directories(root / line);
        } else if (const auto colon = line.rfind(':'); colon != std::string::npos) {
            WriteFile(root / line.substr(0, colon), std::string_view(line).substr(colon + 1));
        } else {
            throw std::invalid_argument("bad fixture line: " + line);
        }
    }
}

bool PermissionsEnforced() {
    return geteuid() != 0;
}

std::vector<std::string> EveryByteNames() {
    std::string low, high;
    for (int c = 1; c < 128; ++c)
        if (c != '/')
            low += char(c);
    for (int c = 128; c < 256; ++c)
        high += char(c);
    return {low, high};
}

} // namespace quorvex::test
