#include "uParallelScanner.h"

#include "uDataCtrl.h"
#include "uScanWorker.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <ctime>
#include <sys/stat.h>
#include <system_error>
#include <thread>

namespace quorvex {

namespace {

constexpr auto PollInterval = std::chrono::milliseconds(10);
constexpr auto ReportInterval = std::chrono::milliseconds(50);

using Clock = std::chrono::steady_clock;

int Processors() {
    return std::max(1, int(std::thread::hardware_concurrency()));
}

} // namespace

// ---- Shared by the workers ------------------------------------------------------------------

void TParallelScanner::FinishFolder(const TDataCtrl& ctrl, TDataInfo& folder) {
    folder.TotalChildren();
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
                                   int threads, int maxThreads, std::size_t keptFolders)
    : FCtrl(ctrl), FArena(arena), FProblems(problems), FObserver(observer),
      FThreads(std::clamp(threads, 1, TDataCtrl::MaxScanThreads)),
      FMaxThreads(std::clamp(maxThreads, FThreads, TDataCtrl::MaxScanThreads)),
      FHandles(keptFolders) {}

TParallelScanner::~TParallelScanner() {
    // After a failure on this thread the workers may still wait for folders.
    FStopping.store(true, std::memory_order_relaxed);
    FStack.Stop();
    JoinWorkers();       // the entries stay in the engine's region
    FHandles.CloseAll(); // before the workers' jobs go
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
    FVolume = std::make_unique<TVolumeGuard>(rootFd);
    AddWorkers(FThreads);
    if (FWorkers.empty()) {
        FHandles.Unpin(FRootJob); // closes the root
        throw std::system_error(EAGAIN, std::generic_category(), "Cannot start a scan thread");
    }
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
        // Reads from the disk overlap best with every thread at once: measured with the cache
        // dropped, adding a few at a time stopped well short of the fastest count.
        if (int(FWorkers.size()) < FMaxThreads && WaitingForDisk())
            AddWorkers(FMaxThreads - int(FWorkers.size()));
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
        job->Folder->MarkNotScanned(EScanProblem::NotRead);
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
