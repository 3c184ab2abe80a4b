#include "uFolderScanner.h"

#include "uDataCtrl.h"
#include "uDescriptorLimit.h"
#include "uVolumeGuard.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace quorvex {

namespace {

constexpr auto ReportInterval = std::chrono::milliseconds(50);
constexpr int OpenFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

} // namespace

TFolderScanner::TFolderScanner(const TDataCtrl& ctrl, TEntryArena& arena,
                               std::vector<TScanProblem>& problems, IScanObserver* observer,
                               std::size_t keptFolders)
    : FCtrl(ctrl), FArena(arena), FProblems(problems), FObserver(observer),
      FKeptFolders(keptFolders) {}

TFolderScanner::~TFolderScanner() {
    for (const TFrame& frame : FStack)
        if (frame.Fd >= 0)
            close(frame.Fd);
}

bool TFolderScanner::Run(TDataInfo& root, int rootFd, const std::string& rootPath) {
    FRootPath = rootPath;
    struct stat st {};
    fstat(rootFd, &st);
    FVolume = std::make_unique<TVolumeGuard>(rootFd);
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
    CallHook(*next.Folder);
    const int parentFd = EnsureFd(level);
    int fd = parentFd < 0 ? -1 : OpenFolder(parentFd, next.Folder->NameBytes(), level);
    const int error = parentFd < 0 ? ENOENT : errno;
    if (FStack[level].Next == FStack[level].End && FStack[level].Fd >= 0) {
        // Nothing more to open here: free the descriptor now, so a deep chain of single
        // sub-folders keeps only a few open.
        close(FStack[level].Fd);
        FStack[level].Fd = -1;
        --FOpenFds;
    }
    if (fd < 0) {
        Problem(*next.Folder, ProblemOfError(error), error);
        FinishFolder(*next.Folder);
        return;
    }
    Push(*next.Folder, fd, next.Dev, next.Ino);
    LimitOpenFolders();
}

void TFolderScanner::Push(TDataInfo& folder, int fd, std::uint64_t dev, std::uint64_t ino) {
    ++FOpenFds;
    const std::size_t begin = FPending.size();
    const bool root = FStack.empty();
    // On the stack first: the destructor closes the descriptor if reading throws.
    FStack.push_back({&folder, fd, dev, ino, begin, begin, begin});
    if (root) // the others' is called before they are opened
        CallHook(folder);
    ReadItems(folder, fd);
    StoreItems(folder);
    FStack.back().End = FPending.size();
}

void TFolderScanner::CallHook(const TDataInfo& folder) const {
    if (const TDataCtrl::TReadHook& hook = FCtrl.ReadHook())
        hook(folder);
}

void TFolderScanner::ReadItems(TDataInfo& folder, int fd) {
    FReader.Start(fd, *FVolume);
    while (!FCancelled && FReader.Next())
        if (Poll(folder))
            break;
    // Cut short by a cancel unless that came with the last item.
    if (FCancelled && FReader.Next())
        folder.MarkNotScanned(EScanProblem::NotRead);
    if (FReader.ListError())
        Problem(folder, ProblemOfError(FReader.ListError()), FReader.ListError());
    if (FReader.Denied())
        Problem(folder, EScanProblem::PermissionDenied, EACCES);
}

void TFolderScanner::StoreItems(TDataInfo& folder) {
    const std::vector<TListedItem>& items = FReader.Items();
    TDataInfo* block = FReader.Store(FArena, folder, FCtrl.Extras());
    const std::int64_t now = FCtrl.NowMilliseconds();
    for (std::size_t i = 0; i < items.size(); ++i) {
        const TListedItem& item = items[i];
        TDataInfo& entry = block[i];
        FBytes += item.Size;
        if (!item.Folder) {
            FCtrl.ClassifyEntry(entry, now);
        } else if (item.OtherVolume) {
            Problem(entry, EScanProblem::OtherVolume, 0);
            FCtrl.ClassifyEntry(entry, now);
        } else {
            FPending.push_back({&entry, item.Dev, item.Ino});
        }
    }
    FEntries += items.size();
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
        FStack[from].Fd = OpenFolder(AT_FDCWD, FRootPath.c_str(), 0);
        if (FStack[from].Fd < 0)
            return -1;
        ++FOpenFds;
    }
    for (std::size_t k = from + 1; k <= level; ++k) {
        const int fd = OpenFolder(FStack[k - 1].Fd, FStack[k].Folder->NameBytes(), k - 1);
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

int TFolderScanner::OpenFolder(int at, const char* name, std::size_t level) {
    // The scan root is reopened by its path as given, which may be a link.
    const int flags = at == AT_FDCWD ? OpenFlags & ~O_NOFOLLOW : OpenFlags;
    for (;;) {
        const int fd = openat(at, name, flags);
        const int error = errno;
        if (fd >= 0 || !IsDescriptorShortage(error))
            return fd;
        // Out of descriptors is no property of the folder: make room and try again.
        if (!CloseShallowest(level))
            throw std::system_error(error, std::generic_category(),
                                    "Too few descriptors left to scan " + FRootPath);
    }
}

bool TFolderScanner::CloseShallowest(std::size_t level) {
    for (std::size_t k = 0; k < level; ++k) {
        if (FStack[k].Fd >= 0) {
            close(FStack[k].Fd);
            FStack[k].Fd = -1;
            --FOpenFds;
            return true;
        }
    }
    return false;
}

void TFolderScanner::LimitOpenFolders() {
    // Close the shallowest first: they are needed last.
    for (std::size_t k = 0; FOpenFds > FKeptFolders && k + 1 < FStack.size(); ++k) {
        if (FStack[k].Fd >= 0) {
            close(FStack[k].Fd);
            FStack[k].Fd = -1;
            --FOpenFds;
        }
    }
}

void TFolderScanner::FinishFolder(TDataInfo& folder) {
    folder.TotalChildren();
    FCtrl.ClassifyEntry(folder);
}

void TFolderScanner::Unwind() {
    // Sub-folders not entered yet stay empty; every open folder totals what it holds.
    while (!FStack.empty()) {
        TFrame& top = FStack.back();
        for (std::size_t k = top.Next; k < top.End; ++k) {
            FPending[k].Folder->MarkNotScanned(EScanProblem::NotRead);
            FinishFolder(*FPending[k].Folder);
        }
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

void TFolderScanner::Problem(TDataInfo& folder, EScanProblem reason, int error) {
    folder.MarkNotScanned(reason);
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
        FObserver->ScanProgress({FEntries + FReader.Items().size(), FBytes, folder.FullPath()});
    }
    return false;
}

} // namespace quorvex
