#pragma once

// The threads of a parallel scan; used by TParallelScanner only.

#include "uEntryArena.h"
#include "uFolderReader.h"
#include "uParallelScanner.h"
#include "uVolumeGuard.h"

#include <atomic>
#include <deque>
#include <thread>
#include <vector>

namespace quorvex {

/// A problem with the folder whose place among its siblings orders it as a one-thread scan
/// does.
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
        : Arena(scan.FArena.Region()), FScan(scan), FVolume(volume), FThread([this] { Main(); }) {}
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
    /// openat that frees kept descriptors, or waits for them, when the process is out of
    /// them; throws std::system_error when none comes back.
    int OpenFolder(int at, const char* name);
    void Pass(TScanJob& job, int fd);
    void List(TScanJob& job, int fd);
    void Store(TScanJob& job, int fd);
    TScanJob* NewJob(TDataInfo& folder, TScanJob& parent, const TListedItem& item);
    /// Records the problem and marks the entry.
    void Problem(TDataInfo& entry, const TDataInfo& anchor, std::uint32_t order,
                 EScanProblem reason, int error);

    TParallelScanner& FScan;
    TVolumeGuard FVolume;
    TFolderReader FReader;
    std::deque<TScanJob> FJobs;
    std::vector<TScanJob*> FSpare, FNew, FChain;
    std::thread FThread; // last: starts once everything above exists
};

} // namespace quorvex
