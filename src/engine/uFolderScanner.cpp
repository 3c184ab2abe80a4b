#include "uFolderScanner.h"

#include "uDataCtrl.h"
#include "uVolumeGuard.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace quorvex {

namespace {

constexpr std::size_t DirentBufferBytes = 64 * 1024;
// Open directory descriptors kept along the current path; deeper trees reopen from an
// ancestor instead of running out of descriptors.
constexpr std::size_t MaxOpenFolders = 64;
constexpr auto ReportInterval = std::chrono::milliseconds(50);
constexpr int OpenFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// The kernel's record; the NUL-terminated name follows the fixed part.
struct TDirent64 {
    ino64_t d_ino;
    off64_t d_off;
    unsigned short d_reclen;
    unsigned char d_type;
};
constexpr std::size_t DirentNameOffset = 19;

std::int64_t CreateSeconds(const struct statx& st) {
    // Birth time where the file system keeps one, else the earlier of change and write.
    if ((st.stx_mask & STATX_BTIME) && st.stx_btime.tv_sec != 0)
        return st.stx_btime.tv_sec;
    return std::min(st.stx_ctime.tv_sec, st.stx_mtime.tv_sec);
}

EScanProblem ReasonOf(int error) {
    switch (error) {
    case EACCES:
    case EPERM:
        return EScanProblem::PermissionDenied;
    case ENOENT:
    case ENOTDIR:
    case ELOOP:
        return EScanProblem::Vanished;
    default:
        return EScanProblem::ReadError;
    }
}

} // namespace

struct TFolderScanner::TItem {
    std::size_t NameOffset;
    std::size_t NameLength;
    std::uint64_t Size;
    std::int64_t Times[3];
    std::uint64_t Dev, Ino;
    bool Folder;
    bool OtherVolume;
};

TFolderScanner::TFolderScanner(const TDataCtrl& ctrl, TEntryArena& arena,
                               std::vector<TScanProblem>& problems, IScanObserver* observer)
    : FCtrl(ctrl), FArena(arena), FProblems(problems), FObserver(observer),
      FDirentBuffer(new char[DirentBufferBytes]) {}

TFolderScanner::~TFolderScanner() {
    for (const TFrame& frame : FStack)
        if (frame.Fd >= 0)
            close(frame.Fd);
}

bool TFolderScanner::Run(TDataInfo& root, int rootFd, const std::string& rootPath) {
    FRootPath = rootPath;
    struct stat st {};
    fstat(rootFd, &st);
    FVolume = std::make_unique<TVolumeGuard>(st.st_dev, rootPath);
    FLastReport = std::chrono::steady_clock::now();
    Push(root, rootFd, st.st_dev, st.st_ino);
    while (!FStack.empty() && !FCancelled) {
        TFrame& top = FStack.back();
        if (top.Next == top.End) {
            PopFrame();
            continue;
        }
        EnterNext(top);
    }
    if (FCancelled)
        Unwind();
    if (FObserver)
        FObserver->ScanProgress({FEntries, FBytes, rootPath});
    return !FCancelled;
}

void TFolderScanner::EnterNext(TFrame& top) {
    const std::size_t level = FStack.size() - 1;
    const TPending next = FPending[top.Next++];
    const int parentFd = EnsureFd(level);
    int fd = parentFd < 0 ? -1 : openat(parentFd, next.Folder->FName, OpenFlags);
    const int error = parentFd < 0 ? ENOENT : errno;
    if (FStack[level].Next == FStack[level].End && FStack[level].Fd >= 0) {
        // Nothing more to open here: free the descriptor now, so a deep chain of single
        // sub-folders keeps only a few open.
        close(FStack[level].Fd);
        FStack[level].Fd = -1;
        --FOpenFds;
    }
    if (fd < 0) {
        Problem(*next.Folder, ReasonOf(error), error);
        FinishFolder(*next.Folder);
        return;
    }
    Push(*next.Folder, fd, next.Dev, next.Ino);
    LimitOpenFolders();
}

void TFolderScanner::Push(TDataInfo& folder, int fd, std::uint64_t dev, std::uint64_t ino) {
    ++FOpenFds;
    const std::size_t begin = FPending.size();
    ReadItems(folder, fd);
    StoreItems(folder);
    FStack.push_back({&folder, fd, dev, ino, begin, begin, FPending.size()});
}

void TFolderScanner::ReadItems(TDataInfo& folder, int fd) {
    FItems.clear();
    FNames.clear();
    bool denied = false;
    while (!FCancelled) {
        const long got = syscall(SYS_getdents64, fd, FDirentBuffer.get(), DirentBufferBytes);
        if (got <= 0) {
            if (got < 0)
                Problem(folder, ReasonOf(errno), errno);
            break;
        }
        for (long pos = 0; pos < got;) {
            const char* record = FDirentBuffer.get() + pos;
            pos += reinterpret_cast<const TDirent64*>(record)->d_reclen;
            const char* name = record + DirentNameOffset;
            if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
                continue;
            ReadItem(fd, name, denied);
            if (Poll(folder))
                break;
        }
    }
    if (denied)
        Problem(folder, EScanProblem::PermissionDenied, EACCES);
}

void TFolderScanner::ReadItem(int fd, const char* name, bool& denied) {
    struct statx st {};
    constexpr unsigned mask =
        STATX_TYPE | STATX_SIZE | STATX_ATIME | STATX_MTIME | STATX_CTIME | STATX_BTIME | STATX_INO;
    if (statx(fd, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, mask, &st) != 0) {
        // Gone since the listing, or not examinable: the item is left out.
        denied = denied || errno == EACCES;
        return;
    }
    TItem item{};
    item.NameOffset = FNames.size();
    item.NameLength = std::strlen(name);
    FNames.append(name, item.NameLength + 1);
    item.Folder = S_ISDIR(st.stx_mode);
    // Links, sockets, pipes and devices are files; only regular files and links have a size.
    item.Size = S_ISREG(st.stx_mode) || S_ISLNK(st.stx_mode) ? st.stx_size : 0;
    item.Times[0] = CreateSeconds(st);
    item.Times[1] = st.stx_atime.tv_sec;
    item.Times[2] = st.stx_mtime.tv_sec;
    item.Dev = makedev(st.stx_dev_major, st.stx_dev_minor);
    item.Ino = st.stx_ino;
    if (item.Folder) {
        const bool known = st.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT;
        item.OtherVolume =
            FVolume->IsOtherVolume(item.Dev, st.stx_attributes & STATX_ATTR_MOUNT_ROOT, known);
    }
    FItems.push_back(item);
}

void TFolderScanner::StoreItems(TDataInfo& folder) {
    if (FItems.empty())
        return; // an empty folder keeps no block (memcpy must not see a null pointer)
    char* names = nullptr;
    TDataInfo* block = FArena.AllocateBlock(FItems.size(), FNames.size(), &names);
    std::memcpy(names, FNames.data(), FNames.size());
    folder.FChildren = block;
    folder.FChildCount = std::uint32_t(FItems.size()) & TDataInfo::MaxChildren;
    for (std::size_t i = 0; i < FItems.size(); ++i) {
        const TItem& item = FItems[i];
        TDataInfo& entry = block[i];
        entry.FParent = &folder;
        entry.FName = names + item.NameOffset;
        entry.FSize = item.Size;
        entry.FIsFolder = item.Folder;
        entry.FHasTimes = true;
        for (int t = 0; t < 3; ++t)
            entry.SetTime(t, item.Times[t]);
        FBytes += item.Size;
        if (!item.Folder) {
            FCtrl.ClassifyEntry(entry);
        } else if (item.OtherVolume) {
            Problem(entry, EScanProblem::OtherVolume, 0);
            FCtrl.ClassifyEntry(entry);
        } else {
            FPending.push_back({&entry, item.Dev, item.Ino});
        }
    }
    FEntries += FItems.size();
}

int TFolderScanner::EnsureFd(std::size_t level) {
    if (FStack[level].Fd >= 0)
        return FStack[level].Fd;
    // Reopen from the nearest open ancestor one name at a time (no PATH_MAX limit), checking
    // that each folder is still the one that was listed.
    std::size_t from = level;
    while (from > 0 && FStack[from].Fd < 0)
        --from;
    if (FStack[from].Fd < 0) {
        FStack[from].Fd = open(FRootPath.c_str(), OpenFlags & ~O_NOFOLLOW);
        if (FStack[from].Fd < 0)
            return -1;
        ++FOpenFds;
    }
    for (std::size_t k = from + 1; k <= level; ++k) {
        const int fd = openat(FStack[k - 1].Fd, FStack[k].Folder->FName, OpenFlags);
        struct stat st {};
        if (fd < 0 || fstat(fd, &st) != 0 || st.st_dev != FStack[k].Dev ||
            st.st_ino != FStack[k].Ino) {
            if (fd >= 0)
                close(fd);
            return -1;
        }
        FStack[k].Fd = fd;
        ++FOpenFds;
    }
    return FStack[level].Fd;
}

void TFolderScanner::LimitOpenFolders() {
    // Close the shallowest first: they are needed last.
    for (std::size_t k = 0; FOpenFds > MaxOpenFolders && k + 1 < FStack.size(); ++k) {
        if (FStack[k].Fd >= 0) {
            close(FStack[k].Fd);
            FStack[k].Fd = -1;
            --FOpenFds;
        }
    }
}

void TFolderScanner::FinishFolder(TDataInfo& folder) {
    std::uint64_t total = 0;
    for (const TDataInfo& child : folder.Children())
        total += child.FSize;
    folder.FSize = total;
    FCtrl.ClassifyEntry(folder);
}

void TFolderScanner::Unwind() {
    // Sub-folders not entered yet stay empty; every open folder totals what it holds.
    while (!FStack.empty()) {
        TFrame& top = FStack.back();
        for (std::size_t k = top.Next; k < top.End; ++k)
            FinishFolder(*FPending[k].Folder);
        PopFrame();
    }
}

void TFolderScanner::PopFrame() {
    TFrame& top = FStack.back();
    FinishFolder(*top.Folder);
    if (top.Fd >= 0) {
        close(top.Fd);
        --FOpenFds;
    }
    FPending.resize(top.Begin);
    FStack.pop_back();
}

void TFolderScanner::Problem(const TDataInfo& folder, EScanProblem reason, int error) {
    FProblems.push_back({folder.FullPath(), reason, error});
}

bool TFolderScanner::Poll(const TDataInfo& folder) {
    if (!FObserver)
        return false;
    if (FObserver->ScanCancelRequested()) {
        FCancelled = true;
        return true;
    }
    const auto now = std::chrono::steady_clock::now();
    if (now - FLastReport >= ReportInterval) {
        FLastReport = now;
        FObserver->ScanProgress({FEntries + FItems.size(), FBytes, folder.FullPath()});
    }
    return false;
}

} // namespace quorvex
