#include "uScanWorker.h"

#include "uDataCtrl.h"
#include "uDescriptorLimit.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace quorvex {

namespace {

constexpr int OpenFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
// Threads hold at most three descriptors each and give them back within a folder's
// listing: five seconds without one means the rest of the program holds them all.
constexpr int MaxShortageWaits = 5000;
// Problems of one folder in the order a one-thread scan records them.
constexpr std::uint32_t OrderOpen = 0, OrderList = 1, OrderDenied = 2, OrderOtherVolume = 3;

bool IsListedFolder(const TScanJob& job, int fd) {
    struct stat st {};
    return fstat(fd, &st) == 0 && st.st_dev == job.Dev && st.st_ino == job.Ino;
}

} // namespace

void TParallelScanner::TWorker::Main() {
    try {
        while (TScanJob* job = FScan.FStack.Pop())
            Process(*job);
    } catch (...) {
        FScan.Fail(std::current_exception());
    }
}

void TParallelScanner::TWorker::Process(TScanJob& job) {
    Current.store(job.Folder, std::memory_order_release);
    if (const TDataCtrl::TReadHook& hook = FScan.FCtrl.ReadHook())
        hook(*job.Folder);
    int error = 0;
    // The root is open from the start and stays open.
    const int fd = job.Parent ? Open(job, error) : TFolderHandles::Borrow(job);
    if (fd < 0) {
        Problem(*job.Folder, *job.Folder, OrderOpen, ProblemOfError(error), error);
        job.Pending.store(1, std::memory_order_relaxed);
        FScan.Settle(&job, &FSpare);
        return;
    }
    try {
        List(job, fd);
    } catch (...) {
        // The scan fails; the descriptor must not outlive it.
        if (job.Parent)
            close(fd);
        else
            TFolderHandles::Return(job);
        throw;
    }
    Store(job, fd);
}

int TParallelScanner::TWorker::Open(TScanJob& job, int& error) {
    TScanJob& parent = *job.Parent;
    int fd = -1;
    if (const int at = TFolderHandles::Borrow(parent); at >= 0) {
        fd = OpenFolder(at, job.Folder->NameBytes());
        error = errno;
        TFolderHandles::Return(parent);
    } else {
        const int reached = Reach(parent);
        fd = reached < 0 ? -1 : OpenFolder(reached, job.Folder->NameBytes());
        error = reached < 0 ? ENOENT : errno;
        if (reached >= 0)
            FScan.FHandles.Keep(parent, reached); // for the parent's other sub-folders
    }
    FScan.FHandles.Unpin(parent); // this sub-folder no longer needs its parent open
    return fd;
}

int TParallelScanner::TWorker::Reach(TScanJob& target) {
    // Up to the nearest ancestor whose descriptor can be borrowed (the root's always can)...
    FChain.assign(1, &target);
    TScanJob* anchor = target.Parent;
    int at = -1;
    for (;; anchor = anchor->Parent) {
        if (TFolderHandles::TryPin(*anchor)) {
            if ((at = TFolderHandles::Borrow(*anchor)) >= 0)
                break;
            FScan.FHandles.Unpin(*anchor);
        }
        FChain.push_back(anchor);
    }
    // ...and down again one name at a time: no path length limit, no link followed, each
    // folder checked to be the one listed. Folders passed on the way keep their descriptor
    // when they still need it, so their next sub-folder does not walk again.
    int fd = -1;
    for (auto it = FChain.rbegin(); it != FChain.rend(); ++it) {
        const int next = OpenFolder(fd >= 0 ? fd : at, (*it)->Folder->NameBytes());
        if (fd >= 0) {
            Pass(**(it - 1), fd);
        } else {
            TFolderHandles::Return(*anchor);
            FScan.FHandles.Unpin(*anchor);
        }
        fd = next;
        if (fd >= 0 && !IsListedFolder(**it, fd)) {
            close(fd);
            fd = -1;
        }
        if (fd < 0)
            break;
    }
    return fd;
}

void TParallelScanner::TWorker::Problem(TDataInfo& entry, const TDataInfo& anchor,
                                        std::uint32_t order, EScanProblem reason, int error) {
    entry.MarkNotScanned(reason);
    Found.push_back({&entry, &anchor, order, reason, error});
}

int TParallelScanner::TWorker::OpenFolder(int at, const char* name) {
    for (int waits = 0;;) {
        const int fd = openat(at, name, OpenFlags);
        const int error = errno;
        if (fd >= 0 || !IsDescriptorShortage(error))
            return fd;
        // Out of descriptors is no property of the folder: free a kept one, or wait for the
        // other threads to give theirs back, and try again.
        if (FScan.FHandles.Release())
            continue;
        if (++waits > MaxShortageWaits)
            throw std::system_error(error, std::generic_category(),
                                    "Too few descriptors left to scan");
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

void TParallelScanner::TWorker::Pass(TScanJob& job, int fd) {
    if (TFolderHandles::TryPin(job)) {
        FScan.FHandles.Keep(job, fd);
        FScan.FHandles.Unpin(job);
    } else {
        close(fd);
    }
}

void TParallelScanner::TWorker::List(TScanJob& job, int fd) {
    FReader.Start(fd, FVolume);
    bool stopped = false;
    while (!stopped && FReader.Next())
        stopped = FScan.FStopping.load(std::memory_order_relaxed);
    TDataInfo& folder = *job.Folder;
    // Cut short by a stop unless that came with the last item.
    if (stopped && FReader.Next())
        folder.MarkNotScanned(EScanProblem::NotRead);
    if (const int error = FReader.ListError())
        Problem(folder, folder, OrderList, ProblemOfError(error), error);
    if (FReader.Denied())
        Problem(folder, folder, OrderDenied, EScanProblem::PermissionDenied, EACCES);
}

void TParallelScanner::TWorker::Store(TScanJob& job, int fd) {
    const std::vector<TListedItem>& items = FReader.Items();
    TDataInfo* block = FReader.Store(Arena, *job.Folder, FScan.FCtrl.Extras());
    const std::int64_t now = FScan.FCtrl.NowMilliseconds();
    std::uint64_t bytes = 0;
    FNew.clear();
    for (std::size_t i = 0; i < items.size(); ++i) {
        const TListedItem& item = items[i];
        TDataInfo& entry = block[i];
        bytes += item.Size;
        if (!item.Folder) {
            FScan.FCtrl.ClassifyEntry(entry, now);
        } else if (item.OtherVolume) {
            Problem(entry, *job.Folder, OrderOtherVolume + std::uint32_t(i),
                    EScanProblem::OtherVolume, 0);
            FScan.FCtrl.ClassifyEntry(entry, now);
        } else {
            FNew.push_back(NewJob(entry, job, item));
        }
    }
    const auto subFolders = std::uint32_t(FNew.size());
    job.Pending.store(subFolders + 1, std::memory_order_relaxed);
    if (!job.Parent) {
        job.Pins.fetch_add(subFolders, std::memory_order_relaxed);
        TFolderHandles::Return(job);
    } else if (subFolders > 0) {
        job.Pins.store(subFolders, std::memory_order_relaxed);
        FScan.FHandles.Keep(job, fd);
    } else {
        close(fd);
    }
    Entries.fetch_add(items.size(), std::memory_order_relaxed);
    Bytes.fetch_add(bytes, std::memory_order_relaxed);
    FScan.FStack.Push(FNew); // publishes everything above
    FScan.Settle(&job, &FSpare);
}

TScanJob* TParallelScanner::TWorker::NewJob(TDataInfo& folder, TScanJob& parent,
                                            const TListedItem& item) {
    TScanJob* job = nullptr;
    if (FSpare.empty()) {
        job = &FJobs.emplace_back();
    } else {
        job = FSpare.back();
        FSpare.pop_back();
    }
    job->Folder = &folder;
    job->Parent = &parent;
    job->Dev = item.Dev;
    job->Ino = item.Ino;
    job->Depth = parent.Depth + 1;
    job->Pending.store(0, std::memory_order_relaxed);
    job->Pins.store(0, std::memory_order_relaxed);
    job->Handle.store(0, std::memory_order_relaxed);
    return job;
}

} // namespace quorvex
