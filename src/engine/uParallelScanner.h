#pragma once

#include "uScanJobs.h"
#include "uScanTypes.h"

#include <atomic>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace quorvex {

class TDataCtrl;
class TDataInfo;
class TEntryArena;
class TVolumeGuard;

/// Scans one folder tree with several threads, each listing whole folders and examining
/// their items. It builds the tree TFolderScanner builds: children in name order, the
/// same sizes, times, totals and groups, every entry classified once its subtree is complete,
/// and the problems in the order a one-thread scan meets them. Folders are handed out from one
/// shared stack, deepest first, so few descriptors stay open; each thread allocates its
/// entries from an arena of its own, handed to the engine's arena at the end. The calling
/// thread only watches: it reports progress, polls for cancellation, and adds threads while
/// the running ones leave the processors idle with folders waiting (they wait for the disk).
class TParallelScanner {
public:
    /// Starts `threads` threads and adds more, up to `maxThreads`, while they wait for the disk.
    /// Keeps at most `keptFolders` listed folders open for their sub-folders.
    TParallelScanner(const TDataCtrl& ctrl, TEntryArena& arena, std::vector<TScanProblem>& problems,
                     IScanObserver* observer, int threads, int maxThreads, std::size_t keptFolders);
    ~TParallelScanner();
    TParallelScanner(const TParallelScanner&) = delete;
    TParallelScanner& operator=(const TParallelScanner&) = delete;

    /// Scans below `root`, whose folder is open as `rootFd` (taken over). Returns false when
    /// cancelled; the tree then holds what was read, with consistent totals.
    bool Run(TDataInfo& root, int rootFd, const std::string& rootPath);
    std::uint64_t Entries() const;

private:
    class TWorker;
    struct TFound;

    void AddWorkers(int count);
    void Watch();
    bool WaitingForDisk();
    void JoinWorkers();
    void SettleLeftJobs();
    void CollectProblems();
    TScanProgress Progress() const;
    void Fail(std::exception_ptr failure);
    static void FinishFolder(const TDataCtrl& ctrl, TDataInfo& folder);
    void Settle(TScanJob* job, std::vector<TScanJob*>* spare);

    const TDataCtrl& FCtrl;
    TEntryArena& FArena;
    std::vector<TScanProblem>& FProblems;
    IScanObserver* FObserver;
    int FThreads, FMaxThreads;
    std::unique_ptr<TVolumeGuard> FVolume; // copied by every thread
    double FLastCpu = 0, FLastWall = 0;
    int FIdlePolls = 0;
    TScanJob FRootJob;
    TJobStack FStack;
    TFolderHandles FHandles;
    std::vector<std::unique_ptr<TWorker>> FWorkers;
    std::atomic<bool> FStopping{false}; // polled by the workers after every item
    std::mutex FFailureLock;
    std::exception_ptr FFailure;
    bool FCancelled = false;
};

} // namespace quorvex
