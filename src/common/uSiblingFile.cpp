#include "uSiblingFile.h"

#include "uPartFiles.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace quorvex {
namespace {

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

} // namespace

TSiblingFile::TSiblingFile(const fs::path& target) : FTarget(target), FFinal(FinalTarget(target)) {
    // Asked of the path itself, as the kernel follows links (also /dev/stdout's).
    struct stat st {};
    const bool exists = ::stat(target.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode))
        Fail(EISDIR);
    if (exists && !S_ISREG(st.st_mode)) {
        OpenTarget(EMode::Device); // a pipe or a device is written into, never replaced
        return;
    }
    RemoveStaleParts(FFinal);
    const int error = OpenSibling();
    if (error == 0) {
        FGuard = GuardPartFile(FPath);
        return;
    }
    // A folder that refuses new files may still hold a writable target: truncating it is
    // then the only way to replace it.
    if ((error != EACCES && error != EPERM) || !exists)
        Fail(error);
    OpenTarget(EMode::InPlace);
}

TSiblingFile::~TSiblingFile() {
    if (FFd >= 0)
        ::close(FFd);
    if (!FCommitted && FMode == EMode::Sibling)
        ::unlink(FPath.c_str());
    ReleasePartFile(FGuard);
}

// Returns 0 with the sibling open, or the errno that refused it.
int TSiblingFile::OpenSibling() {
    const std::string name = FFinal.filename().string();
    for (int attempt = 0; attempt < 100; ++attempt) {
        FPath = FFinal.parent_path() / PartFileName(name, long(::getpid()), attempt);
        FFd = ::open(FPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (FFd >= 0)
            return 0;
        if (errno != EEXIST)
            return errno;
    }
    return EEXIST;
}

void TSiblingFile::OpenTarget(EMode mode) {
    FPath = FTarget;
    FMode = mode;
    if ((FFd = ::open(FPath.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC)) < 0)
        Fail(errno);
}

void TSiblingFile::Fail(int error) const {
    throw std::system_error(error, std::generic_category(),
                            "Cannot write '" + FTarget.string() + "'");
}

void TSiblingFile::Write(std::string_view bytes) {
    const long long start = FWritten;
    while (!bytes.empty()) {
        const ssize_t put = ::write(FFd, bytes.data(), bytes.size());
        if (put < 0 && errno != EINTR)
            Fail(errno);
        if (put > 0) {
            bytes.remove_prefix(std::size_t(put));
            FWritten += put;
        }
    }
#ifdef __linux__
    // Start writing back what is there while the rest is made, so that the sync before the
    // rename finds little left to do (a hint: its failure changes nothing).
    ::sync_file_range(FFd, start, FWritten - start, SYNC_FILE_RANGE_WRITE);
#endif
}

void TSiblingFile::Close() {
    const int fd = FFd;
    FFd = -1;
    if (fd >= 0 && ::close(fd) != 0)
        Fail(errno);
}

void TSiblingFile::SyncAndClose() {
    if (FFd < 0 && (FFd = ::open(FPath.c_str(), O_WRONLY | O_CLOEXEC)) < 0)
        Fail(errno);
    if (::fsync(FFd) != 0)
        Fail(errno);
    Close();
}

void TSiblingFile::Commit() {
    switch (FMode) {
    case EMode::Device:
        Close();
        break;
    case EMode::InPlace:
        SyncAndClose();
        break;
    case EMode::Sibling:
        ReplaceTarget();
        break;
    }
    FCommitted = true;
}

void TSiblingFile::ReplaceTarget() {
    // Keep the permissions of the file being replaced (a new one gets 0666 less the umask).
    struct stat old {};
    if (::stat(FFinal.c_str(), &old) == 0) {
        if (FFd < 0 && (FFd = ::open(FPath.c_str(), O_WRONLY | O_CLOEXEC)) < 0)
            Fail(errno);
        ::fchmod(FFd, old.st_mode & 07777);
    }
    SyncAndClose();
    if (::rename(FPath.c_str(), FFinal.c_str()) != 0)
        Fail(errno);
    ReleasePartFile(FGuard);
    FGuard = -1;
}

} // namespace quorvex
