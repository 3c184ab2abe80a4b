#include "uParallelScanner.h"

#include "uDataCtrl.h"
#include "uFolderReader.h"
#include "uVolumeGuard.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <ctime>
#include <deque>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace quorvex {

namespace {

// Descriptors of listed folders kept open for their sub-folders; beyond this the shallowest
// are closed and reopened from an ancestor when needed. Each thread holds a few more while
// it works.
constexpr std::size_t MaxKeptFds = 64;
constexpr auto PollInterval = std::chrono::milliseconds(10);
constexpr auto ReportInterval = std::chrono::milliseconds(50);
constexpr int OpenFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
// Problems of one folder in the order a one-thread scan records them.
constexpr std::uint32_t OrderOpen = 0, OrderList = 1, OrderDenied = 2, OrderOtherVolume = 3;

using Clock = std::chrono::steady_clock;

int Processors() {
    return std::max(1, int(std::thread::hardware_concurrency()));
}

bool IsListedFolder(const TScanJob& job, int fd) {
    struct stat st {};
    return fstat(fd, &st) == 0 && st.st_dev == job.Dev && st.st_ino == job.Ino;
}

} // namespace

/// A problem with the folder whose listing order places it in a one-thread scan.
struct TParallelScanner::TFound {
    const TDataInfo* Entry;
    const TDataInfo* Anchor;
    std::uint32_t Order;
    EScanProblem Reason;
    int Error;
};

/// One scanning thread with its own arena, listing buffer and volume guard.
class TParallelScanner::TWorker {
public:
    TWorker(TParallelScanner& scan, const TVolumeGuard& volume)
        : FScan(scan), FVolume(volume), FThread([this] { Main(); }) {}
    void Join() {
        if (FThread.joinable())
            FThread.join();
    }

    TEntryArena Arena;
    std::vector<TFound> Found;
    std::atomic<std::uint64_t> Entries{0}, Bytes{0};
    std::atomic<const TDataInfo*> Current{nullptr};

private:
    void Main();
    void Process(TScanJob& job);
    int Open(TScanJob& job, int& error);
    int Reach(TScanJob& target);
    void Pass(TScanJob& job, int fd);
    void List(TScanJob& job, int fd);
    void Store(TScanJob& job, int fd);
    TScanJob* NewJob(TDataInfo& folder, TScanJob& parent, const TListedItem& item);
    void Problem(const TDataInfo& entry, const TDataInfo& anchor, std::uint32_t order,
                 EScanProblem reason, int error) {
        Found.push_back({&entry, &anchor, order, reason, error});
    }

    TParallelScanner& FScan;
    TVolumeGuard FVolume;
    TFolderReader FReader;
    std::deque<TScanJob> FJobs;
    std::vector<TScanJob*> FSpare, FNew, FChain;
    std::thread FThread; // last: starts once everything above exists
};

// ---- Worker ---------------------------------------------------------------------------------

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
    int error = 0;
    // The root is open from the start and stays open.
    const int fd = job.Parent ? Open(job, error) : TFolderHandles::Borrow(job);
    if (fd < 0) {
        Problem(*job.Folder, *job.Folder, OrderOpen, ProblemOfError(error), error);
        job.Pending.store(1, std::memory_order_relaxed);
        FScan.Settle(&job, &FSpare);
        return;
    }
    List(job, fd);
    Store(job, fd);
}

int TParallelScanner::TWorker::Open(TScanJob& job, int& error) {
    TScanJob& parent = *job.Parent;
    int fd = -1;
    if (const int at = TFolderHandles::Borrow(parent); at >= 0) {
        fd = openat(at, job.Folder->FName, OpenFlags);
        error = errno;
        TFolderHandles::Return(parent);
    } else {
        const int reached = Reach(parent);
        fd = reached < 0 ? -1 : openat(reached, job.Folder->FName, OpenFlags);
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
        const int next = openat(fd >= 0 ? fd : at, (*it)->Folder->FName, OpenFlags);
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
    while (FReader.Next())
        if (FScan.FStopping.load(std::memory_order_relaxed))
            break;
    const TDataInfo& folder = *job.Folder;
    if (const int error = FReader.ListError())
        Problem(folder, folder, OrderList, ProblemOfError(error), error);
    if (FReader.Denied())
        Problem(folder, folder, OrderDenied, EScanProblem::PermissionDenied, EACCES);
}

void TParallelScanner::TWorker::Store(TScanJob& job, int fd) {
    const std::vector<TListedItem>& items = FReader.Items();
    TDataInfo* block = FReader.Store(Arena, *job.Folder);
    std::uint64_t bytes = 0;
    FNew.clear();
    for (std::size_t i = 0; i < items.size(); ++i) {
        const TListedItem& item = items[i];
        TDataInfo& entry = block[i];
        bytes += item.Size;
        if (!item.Folder) {
            FScan.FCtrl.ClassifyEntry(entry);
        } else if (item.OtherVolume) {
            Problem(entry, *job.Folder, OrderOtherVolume + std::uint32_t(i),
                    EScanProblem::OtherVolume, 0);
            FScan.FCtrl.ClassifyEntry(entry);
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

// ---- Shared by the workers ------------------------------------------------------------------

void TParallelScanner::FinishFolder(const TDataCtrl& ctrl, TDataInfo& folder) {
    std::uint64_t total = 0;
    for (const TDataInfo& child : folder.Children())
        total += child.FSize;
    folder.FSize = total;
    ctrl.ClassifyEntry(folder);
}

void TParallelScanner::Settle(TScanJob* job, std::vector<TScanJob*>* spare) {
    // The thread that completes a folder's last share totals it and passes on to the parent.
    while (job && job->Pending.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        FinishFolder(FCtrl, *job->Folder);
        TScanJob* parent = job->Parent;
        if (!parent)
            FStack.Finish();
        else if (spare)
            spare->push_back(job);
        job = parent;
    }
}

// ---- Watching thread ------------------------------------------------------------------------

TParallelScanner::TParallelScanner(const TDataCtrl& ctrl, TEntryArena& arena,
                                   std::vector<TScanProblem>& problems, IScanObserver* observer,
                                   int threads, int maxThreads)
    : FCtrl(ctrl), FArena(arena), FProblems(problems), FObserver(observer),
      FThreads(std::clamp(threads, 1, TDataCtrl::MaxScanThreads)),
      FMaxThreads(std::clamp(maxThreads, FThreads, TDataCtrl::MaxScanThreads)),
      FHandles(MaxKeptFds) {}

TParallelScanner::~TParallelScanner() {
    JoinWorkers();
    // The entries stay with the engine.
    for (const auto& worker : FWorkers)
        FArena.Adopt(worker->Arena);
}

bool TParallelScanner::Run(TDataInfo& root, int rootFd, const std::string& rootPath) {
    struct stat st {};
    fstat(rootFd, &st);
    FRootJob.Folder = &root;
    FRootJob.Dev = st.st_dev;
    FRootJob.Ino = st.st_ino;
    FRootJob.Pins.store(1, std::memory_order_relaxed); // held by this thread to the end
    FHandles.Keep(FRootJob, rootFd);
    FStack.Push({&FRootJob});
    FVolume = std::make_unique<TVolumeGuard>(st.st_dev, rootPath);
    AddWorkers(FThreads);
    if (FWorkers.empty())
        throw std::system_error(EAGAIN, std::generic_category(), "Cannot start a scan thread");
    Watch();
    JoinWorkers();
    SettleLeftJobs();
    FHandles.Unpin(FRootJob);
    CollectProblems();
    if (FFailure)
        std::rethrow_exception(FFailure);
    if (FObserver)
        FObserver->ScanProgress({Entries(), Progress().Bytes, rootPath});
    return !FCancelled;
}

void TParallelScanner::AddWorkers(int count) {
    for (int i = 0; i < count; ++i) {
        try {
            FWorkers.push_back(std::make_unique<TWorker>(*this, *FVolume));
        } catch (const std::system_error&) {
            FMaxThreads = int(FWorkers.size()); // the threads there are finish the scan
            return;
        }
    }
}

void TParallelScanner::Watch() {
    auto lastReport = Clock::now();
    while (!FStack.WaitDone(
        FObserver || int(FWorkers.size()) < FMaxThreads ? PollInterval : std::chrono::hours(1))) {
        if (FObserver && FObserver->ScanCancelRequested()) {
            FCancelled = true;
            FStopping.store(true, std::memory_order_relaxed);
            FStack.Stop();
            return;
        }
        const auto now = Clock::now();
        if (FObserver && now - lastReport >= ReportInterval) {
            lastReport = now;
            FObserver->ScanProgress(Progress());
        }
        if (int(FWorkers.size()) < FMaxThreads && WaitingForDisk())
            AddWorkers(std::min(Processors(), FMaxThreads - int(FWorkers.size())));
    }
}

bool TParallelScanner::WaitingForDisk() {
    // Threads that read from the cache keep the processors busy; threads that wait for the
    // disk leave them idle, and more threads then keep more reads in flight. Idle for two
    // polls in a row while folders wait to be read, not for a moment's hiccup.
    timespec cpu{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
    const double cpuSeconds = double(cpu.tv_sec) + double(cpu.tv_nsec) * 1e-9;
    const double wallSeconds =
        std::chrono::duration<double>(Clock::now().time_since_epoch()).count();
    const double busy = (cpuSeconds - FLastCpu) / (wallSeconds - FLastWall);
    const bool first = FLastWall == 0;
    FLastCpu = cpuSeconds;
    FLastWall = wallSeconds;
    const int running = std::min(int(FWorkers.size()), Processors());
    FIdlePolls = !first && busy < 0.5 * running && FStack.Waiting() > 0 ? FIdlePolls + 1 : 0;
    return FIdlePolls >= 2;
}

void TParallelScanner::JoinWorkers() {
    for (const auto& worker : FWorkers)
        worker->Join();
}

void TParallelScanner::SettleLeftJobs() {
    // After a stop: folders not entered stay empty, and every folder above totals what it
    // holds. The workers have ended, so this thread settles alone.
    for (TScanJob* job : FStack.TakeLeft()) {
        if (job->Parent)
            FHandles.Unpin(*job->Parent);
        job->Pending.store(1, std::memory_order_relaxed);
        Settle(job, nullptr);
    }
}

void TParallelScanner::CollectProblems() {
    // One-thread scans record problems folder by folder in pre-order, then in the order
    // given to each problem of a folder: sort by the anchor's rows from the root.
    std::vector<std::pair<std::vector<std::uint32_t>, const TFound*>> keyed;
    for (const auto& worker : FWorkers) {
        for (const TFound& found : worker->Found) {
            std::vector<std::uint32_t> rows;
            for (const TDataInfo* e = found.Anchor; e->Parent(); e = e->Parent())
                rows.push_back(e->Row());
            std::reverse(rows.begin(), rows.end());
            keyed.emplace_back(std::move(rows), &found);
        }
    }
    std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
        if (a.first != b.first)
            return a.first < b.first;
        return a.second->Order < b.second->Order;
    });
    for (const auto& [rows, found] : keyed)
        FProblems.push_back({found->Entry->FullPath(), found->Reason, found->Error});
}

TScanProgress TParallelScanner::Progress() const {
    TScanProgress progress;
    const TDataInfo* current = nullptr;
    for (const auto& worker : FWorkers) {
        progress.Entries += worker->Entries.load(std::memory_order_relaxed);
        progress.Bytes += worker->Bytes.load(std::memory_order_relaxed);
        if (!current)
            current = worker->Current.load(std::memory_order_acquire);
    }
    if (current)
        progress.CurrentFolder = current->FullPath();
    return progress;
}

std::uint64_t TParallelScanner::Entries() const {
    std::uint64_t entries = 0;
    for (const auto& worker : FWorkers)
        entries += worker->Entries.load(std::memory_order_relaxed);
    return entries;
}

void TParallelScanner::Fail(std::exception_ptr failure) {
    {
        const std::lock_guard lock(FFailureLock);
        if (!FFailure)
            FFailure = std::move(failure);
    }
    FStopping.store(true, std::memory_order_relaxed);
    FStack.Stop();
}

} // namespace quorvex
