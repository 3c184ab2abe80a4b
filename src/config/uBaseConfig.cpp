#include "uBaseConfig.h"

#include "uConfigDefault.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <string>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace quorvex {
namespace {

[[noreturn]] void ThrowWriteError(int error, const fs::path& fileName) {
    throw std::system_error(error, std::generic_category(),
                            "Cannot write configuration file '" + fileName.string() + "'");
}

fs::path ExecutableFolder() {
    std::error_code error;
    const fs::path exe = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::path() : exe.parent_path();
}

fs::path UserConfigBase(const char* xdgConfigHome, const char* home) {
    // Relative values of XDG_CONFIG_HOME are invalid and must be ignored.
    if (xdgConfigHome && fs::path(xdgConfigHome).is_absolute())
        return xdgConfigHome;
    if (home && *home)
        return fs::path(home) / ".config";
    if (const passwd* user = ::getpwuid(::getuid()); user && user->pw_dir && *user->pw_dir)
        return fs::path(user->pw_dir) / ".config";
    throw std::runtime_error("Cannot find a folder for the configuration file: HOME is not set");
}

// A configuration file that is a symbolic link (kept in a dotfiles folder, say) stays one:
// the default document replaces the link's final target, not the link.
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

// Writes all of DefaultConfigText to `fd`, syncs and closes it; returns 0 or the errno.
int WriteAndClose(int fd) {
    const std::string_view text = DefaultConfigText;
    std::size_t done = 0;
    int error = 0;
    while (done < text.size() && error == 0) {
        const ssize_t put = ::write(fd, text.data() + done, text.size() - done);
        if (put >= 0)
            done += static_cast<std::size_t>(put);
        else if (errno != EINTR)
            error = errno;
    }
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    return error;
}

// A fresh file beside `target`; -1 with errno set when the folder refuses one.
int CreateSibling(const fs::path& target, fs::path& sibling) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        sibling = target;
        sibling += "." + std::to_string(::getpid()) + "-" + std::to_string(attempt) + ".tmp";
        const int fd = ::open(sibling.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// Last resort for a file that exists in a folder this user may not write to: the file itself
// may still be writable, and truncating it is the only way to replace it.
void WriteInPlace(const fs::path& target, const fs::path& shownName) {
    const int fd = ::open(target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0)
        ThrowWriteError(errno, shownName);
    if (const int error = WriteAndClose(fd))
        ThrowWriteError(error, shownName);
}

} // namespace

bool IsInstalledCopy(const fs::path& exeFolder) {
    std::error_code error;
    return exeFolder.filename() == "bin" &&
           fs::exists(exeFolder.parent_path() / InstalledMarker, error);
}

fs::path LocateConfigFile(const fs::path& exeFolder, const char* xdgConfigHome, const char* home) {
    if (!exeFolder.empty() && !IsInstalledCopy(exeFolder)) {
        const fs::path beside = exeFolder / TBaseConfig::ConfigFileName;
        std::error_code error;
        if (fs::symlink_status(beside, error).type() != fs::file_type::not_found && !error)
            return beside;
        if (::access(exeFolder.c_str(), W_OK) == 0)
            return beside;
    }
    const fs::path folder = UserConfigBase(xdgConfigHome, home) / "quorvex";
    std::error_code error;
    fs::create_directories(folder, error);
    if (error) {
        throw std::system_error(error,
                                "Cannot create configuration folder '" + folder.string() + "'");
    }
    return folder / TBaseConfig::ConfigFileName;
}

fs::path ProcessConfigFile() {
    return LocateConfigFile(ExecutableFolder(), std::getenv("XDG_CONFIG_HOME"),
                            std::getenv("HOME"));
}

TBaseConfig::TBaseConfig() : FFileName(ProcessConfigFile()) {
    Open();
}

TBaseConfig::TBaseConfig(const fs::path& fileName) : FFileName(fs::absolute(fileName)) {
    Open();
}

void TBaseConfig::Open() {
    std::error_code error;
    // Anything but a plain "not there" (no permission to look, say) is left to LoadConfig,
    // which reports it; an existing file is never overwritten here.
    if (fs::status(FFileName, error).type() == fs::file_type::not_found)
        WriteDefault();
    FConfig = LoadConfig(FFileName);
    if (FConfig->VersionNo() != AcceptedVersion)
        LoadDefault();
}

void TBaseConfig::WriteDefault() const {
    const fs::path target = FinalTarget(FFileName);
    fs::path sibling;
    const int fd = CreateSibling(target, sibling);
    if (fd < 0) {
        const int error = errno;
        std::error_code ignored;
        if ((error == EACCES || error == EPERM) && fs::exists(target, ignored))
            return WriteInPlace(target, FFileName);
        ThrowWriteError(error, FFileName);
    }
    // Keep the permissions of the file being replaced (a new one gets 0666 less the umask).
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0)
        ::fchmod(fd, old.st_mode & 07777);
    int error = WriteAndClose(fd);
    if (error == 0 && ::rename(sibling.c_str(), target.c_str()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(sibling.c_str());
        ThrowWriteError(error, FFileName);
    }
}

void TBaseConfig::LoadDefault() {
    WriteDefault();
    FConfig = LoadConfig(FFileName);
}

} // namespace quorvex
