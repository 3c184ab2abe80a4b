#pragma once

#include "uFolderReader.h"
#include "uScanTypes.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace quorvex {

class TDataCtrl;
class TDataInfo;
class TEntryArena;
class TVolumeGuard;

/// Lists one folder tree depth first into the entries of an arena. Works with an explicit
/// stack and directory descriptors (statx relative to the open folder, no link followed),
/// so neither the folder depth nor the path length is limited by the machine stack or by
/// PATH_MAX. Stays on the volume of the scanned folder.
class TFolderScanner {
public:
    /// Keeps at most `keptFolders` folders along the current path open; deeper ones are
    /// reopened from an ancestor.
    TFolderScanner(const TDataCtrl& ctrl, TEntryArena& arena, std::vector<TScanProblem>& problems,
                   IScanObserver* observer, std::size_t keptFolders);
    ~TFolderScanner();

    /// Scans below `root`, whose folder is open as `rootFd` (taken over). Every entry is
    /// classified once its subtree is complete. Returns false when cancelled; the tree is
    /// then consistent with what was read.
    bool Run(TDataInfo& root, int rootFd, const std::string& rootPath);
    std::uint64_t Entries() const { return FEntries; }

private:
    struct TPending {
        TDataInfo* Folder;
        std::uint64_t Dev, Ino;
    };
    struct TFrame {
        TDataInfo* Folder;
        int Fd;
        std::uint64_t Dev, Ino;
        // This folder's sub-folders are FPending[Begin, End); those from Next on are still
        // to be entered.
        std::size_t Begin, Next, End;
    };

    void Push(TDataInfo& folder, int fd, std::uint64_t dev, std::uint64_t ino);
    void CallHook(const TDataInfo& folder) const;
    void ReadItems(TDataInfo& folder, int fd);
    void StoreItems(TDataInfo& folder);
    void EnterNext(TFrame& top);
    int EnsureFd(std::size_t level);
    /// openat that makes room when the process is out of descriptors, by closing folders
    /// above `level`; throws std::system_error when none is left to close.
    int OpenFolder(int at, const char* name, std::size_t level);
    bool CloseShallowest(std::size_t level);
    void LimitOpenFolders();
    void FinishFolder(TDataInfo& folder);
    void Unwind();
    void PopFrame(); // totals, closes and leaves the innermost open folder
    void Problem(TDataInfo& folder, EScanProblem reason, int error);
    bool Poll(const TDataInfo& folder);

    const TDataCtrl& FCtrl;
    TEntryArena& FArena;
    std::vector<TScanProblem>& FProblems;
    IScanObserver* FObserver;
    std::unique_ptr<TVolumeGuard> FVolume;
    std::string FRootPath;

    std::vector<TFrame> FStack;
    std::vector<TPending> FPending;
    TFolderReader FReader;
    std::size_t FOpenFds = 0;
    std::size_t FKeptFolders;

    std::uint64_t FEntries = 0;
    std::uint64_t FBytes = 0;
    std::chrono::steady_clock::time_point FLastReport;
    bool FCancelled = false;
};

} // namespace quorvex
