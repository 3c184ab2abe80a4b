#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

namespace quorvex {

class TDataInfo;

/// One folder of a parallel scan: first a folder to read, then a folder waiting for its
/// sub-folders. Shared by the threads; the counters say who may still use it.
struct TScanJob {
    TDataInfo* Folder = nullptr;
    TScanJob* Parent = nullptr;
    std::uint64_t Dev = 0, Ino = 0; ///< as listed: a reopened folder must still be this one
    std::uint32_t Depth = 0;
    /// Sub-folders not complete yet, plus one until the folder's own listing is stored.
    std::atomic<std::uint32_t> Pending{0};
    /// Parties that still need the folder open: sub-folders not opened yet, and threads
    /// walking through it. The last one closes its descriptor.
    std::atomic<std::uint32_t> Pins{0};
    /// (descriptor + 1) << 32 | threads using the descriptor right now; 0: none kept.
    std::atomic<std::uint64_t> Handle{0};
    std::size_t Slot = 0; ///< in TFolderHandles' list while it keeps a descriptor
};

/// Folders waiting to be read, the most recent on top (so the scan goes deep first and
/// few folders wait with an open descriptor). Also tells the watching thread when the
/// scan is complete.
class TJobStack {
public:
    void Push(const std::vector<TScanJob*>& jobs);
    /// The next job; nullptr once the scan is complete or stopped.
    TScanJob* Pop();
    void Finish() { Signal(FDone); }
    void Stop() { Signal(FStopped); }
    /// Waits up to `timeout` for Finish() or Stop(); true when one has come.
    bool WaitDone(std::chrono::milliseconds timeout);
    /// Jobs waiting to be taken.
    std::size_t Waiting();
    std::vector<TScanJob*> TakeLeft();

private:
    void Signal(bool& flag);

    std::mutex FLock;
    std::condition_variable FWork, FFinished;
    std::vector<TScanJob*> FJobs;
    int FSleeping = 0;
    bool FDone = false, FStopped = false;
};

/// The descriptors that listed folders keep for opening their sub-folders. At most a fixed
/// number are kept; beyond it the shallowest unused one is closed (its sub-folders are read
/// last), like the one-thread scan does along its path. The root's is never closed early.
class TFolderHandles {
public:
    explicit TFolderHandles(std::size_t budget) : FBudget(budget) {}
    TFolderHandles(const TFolderHandles&) = delete;
    TFolderHandles& operator=(const TFolderHandles&) = delete;

    /// Gives `fd` to `job`, which the caller has pinned. Closes `fd` instead when the job
    /// has one already, or when every kept descriptor is in use or deeper.
    void Keep(TScanJob& job, int fd);
    /// The job's descriptor, now marked in use, or -1 when it keeps none. The caller holds
    /// a pin; Return() ends the use.
    static int Borrow(TScanJob& job);
    static void Return(TScanJob& job) { job.Handle.fetch_sub(1, std::memory_order_acq_rel); }
    /// Pins a job that is still pinned by someone; false when nobody needs it any more.
    static bool TryPin(TScanJob& job);
    /// Drops a pin; the last one closes the job's descriptor.
    void Unpin(TScanJob& job);
    /// Closes the shallowest kept descriptor nobody is using, for a thread that ran out of
    /// descriptors; false when there is none.
    bool Release();
    /// Closes every kept descriptor. Left only after a failed scan, whose folders were
    /// never settled; the jobs must still exist.
    void CloseAll();

private:
    bool EvictShallowerThan(std::uint32_t depth);
    void Forget(TScanJob& job);

    std::size_t FBudget;
    std::mutex FLock;
    std::vector<TScanJob*> FKept;
};

} // namespace quorvex
