#pragma once

#include "uAccessTimes.h"
#include "uDataInfo.h"
#include "uEntryArena.h"
#include "uEntryExtras.h"
#include "uScanTypes.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quorvex {

class TSumsEdit;
struct TScanItem;

/// One range item of the configuration: a caption and an inclusive upper bound.
struct TRangeItem {
    std::string Caption;
    std::int64_t Value = 0;
};

/// The three range lists and the overflow caption, as the configuration gives them.
struct TGroupRanges {
    std::vector<TRangeItem> Age;    // days
    std::vector<TRangeItem> Size;   // bytes
    std::vector<TRangeItem> Length; // characters
    std::string AboveLast;
};

/// The scan engine: owns the entry tree of the last scan, the group thresholds and the sums
/// over the current folder's subtree. Not thread-safe: one thread uses it at a time (a scan
/// may run on a worker thread while nothing else touches the engine).
class TDataCtrl {
public:
    /// Groups per list are stored in one byte per entry.
    static constexpr std::size_t MaxGroups = 255;
    /// The age group, after the overflow group, of entries whose source kept no such time.
    static constexpr const char* UnknownAgeCaption = "Unknown";
    static constexpr int MaxScanThreads = 64;

    TDataCtrl();
    ~TDataCtrl();
    TDataCtrl(const TDataCtrl&) = delete;
    TDataCtrl& operator=(const TDataCtrl&) = delete;

    // ---- Scanning --------------------------------------------------------------------------
    /// Scans `path` (no trailing "/" except for "/" itself) into the tree under Root(). The
    /// previous tree is destroyed first. `observer` (may be null) is called on this thread.
    /// Throws std::system_error when `path` itself cannot be opened as a folder, and passes
    /// on any failure of a scanning thread; after a throw nothing is scanned (Root() and
    /// CurrentRoot() are null, no problems, no entries).
    void ScanFolder(const std::string& path, IScanObserver* observer = nullptr);
    /// Folders of the last scan that could not be read, or were not entered, in the order a
    /// one-thread scan meets them. Folders a cancel left unread are not listed here; like
    /// these, their entries say so (TDataInfo::NotScanned).
    const std::vector<TScanProblem>& Problems() const { return FProblems; }
    /// How the scanned folder's volume keeps access times, read once per scan (a scan never
    /// leaves that volume). Unknown before a scan and for a tree loaded from a scan file.
    EAccessTimes AccessTimes() const { return FAccessTimes; }
    /// True when the last scan was cancelled: the tree holds what had been read.
    bool WasCancelled() const { return FCancelled; }
    /// Bytes the tree's entries and names take (the region; side tables not included).
    std::size_t StoredBytes() const { return FRegion.TakenBytes(); }
    /// Number of entries of the last scan, the root included.
    std::uint64_t EntryCount() const { return FEntryCount; }
    /// Threads that read folders during a scan: 1 reads on the calling thread alone; 0 (the
    /// start value) starts one per processor and adds more, up to DefaultScanThreads(), while
    /// they wait for the disk; more than MaxScanThreads count as that many. Every count
    /// builds the same tree.
    void SetScanThreads(int threads) { FScanThreads = threads; }
    /// The thread count set for the next scan, 0 for the default.
    int ScanThreads() const { return std::clamp(FScanThreads, 0, MaxScanThreads); }
    /// The most threads the default uses.
    static int DefaultScanThreads();

    // ---- Live edits: what changed on disk since the scan -----------------------------------
    /// Takes the entries of `gone`, which left the disk, out of the tree with their subtrees:
    /// sizes up to the root, the groups of the folders above, EntryCount, Problems() and the
    /// sums follow. Entries below another entry of `gone` may be given too; the scan root
    /// cannot leave, given it loses its children. CurrentRoot() stays, or becomes the
    /// nearest folder above it that stays. Every other pointer to an entry taken before
    /// (and every TDataList) is invalid afterwards, since later siblings move down in their
    /// block: callers refill their views from Root() and CurrentRoot().
    void RemoveEntries(std::vector<const TDataInfo*> gone);
    /// Reads the subtree of `folder` again, with the scan's reading code and `observer` as a
    /// scan has, and puts it in place of the old one: the folder's own size, times and
    /// not-scanned state, sizes and groups up to the root, Problems() of the subtree (in the
    /// place of the old ones, at the end when there were none), EntryCount and the sums.
    /// A folder that is no longer there leaves the tree as with RemoveEntries. Returns the
    /// folder, or the folder above it when it left; pointers into the old subtree are
    /// invalid afterwards (others stay valid unless it left). A folder on another volume
    /// stays unread. Throws std::system_error when the folder cannot be opened for another
    /// reason, and passes on a scanning thread's failure; the tree is then unchanged.
    TDataInfo* RefreshFolder(TDataInfo* folder, IScanObserver* observer = nullptr);

    TDataInfo* Root() const { return FRoot; }
    TDataInfo* CurrentRoot() const { return FCurrentRoot; }

    // ---- Scan files -------------------------------------------------------------------------
    /// Reads a scan file (JSON as terminal disk-usage tools write it, plain or zstd; "-" is
    /// standard input) in place of a scan: the previous tree is destroyed first. Returns
    /// false when `observer` cancelled (nothing is loaded then). Throws TScanFileError for a
    /// file that is not a valid scan file, std::system_error when it cannot be read; after a
    /// throw nothing is loaded, as after a failed scan.
    bool LoadScanFile(const std::string& path, IScanObserver* observer = nullptr);
    /// Writes the tree to a scan file ("-": standard output; a ".zst" name compresses), with
    /// the temporary-file rule: returns false when `observer` cancelled, and then, as after a
    /// throw, the file is as it was.
    bool SaveScanFile(const std::string& path, IScanObserver* observer = nullptr) const;
    /// True when the tree was loaded from a file rather than scanned: it is not the disk as
    /// it is now, so nothing on disk may be changed through it.
    bool IsLoaded() const { return !FLoadedFrom.empty(); }
    const std::string& LoadedFrom() const { return FLoadedFrom; }

    // ---- Disk usage -------------------------------------------------------------------------
    /// True while every entry's Size() is its disk usage (TDataInfo::DiskSize) instead of its
    /// apparent size; false at the start.
    bool CountsDiskUsage() const { return FDiskUsage; }
    /// Switches what Size() counts for every entry of this and later scans: totals, groups
    /// and the sums of CurrentRoot() follow.
    void SetCountDiskUsage(bool diskUsage);
    /// Both sizes, whichever is counted (as TDataInfo::ApparentSize and DiskSize).
    std::uint64_t ApparentSize(const TDataInfo& entry) const;
    std::uint64_t DiskSize(const TDataInfo& entry) const;
    /// Owner, group and mode of the entry; nullptr when unknown.
    const TOwner* Owner(const TDataInfo& entry) const { return FExtras.Owner(entry.OwnerIndex()); }
    /// The inode of a file with several hard links; nullptr for every other entry.
    const THardLink* HardLink(const TDataInfo& entry) const;
    /// For the scanning threads (owners and links may be added from several at once).
    TEntryExtras& Extras() const { return FExtras; }

    // ---- Grouping and sums -----------------------------------------------------------------
    /// Replaces thresholds and sums by the given ranges: one sum per item, then the
    /// overflow sum. All or nothing: when CheckGroups refuses the ranges, it throws before
    /// anything changes and the previous groups stay in force.
    void LoadGroups(const TGroupRanges& ranges);
    /// Throws std::length_error naming the list when one has more than MaxGroups - 1 items.
    static void CheckGroups(const TGroupRanges& ranges);
    void ClearGroups();
    void ClassifyEntry(TDataInfo& entry) const { ClassifyEntry(entry, FNow()); }
    /// Classifies with ages measured at `nowMs` (a caller classifying many entries reads the
    /// clock once).
    void ClassifyEntry(TDataInfo& entry, std::int64_t nowMs) const;
    void ReclassifyAll();
    void SetCurrentRoot(TDataInfo* folder);
    void ResetSums();
    /// Adds the entries of `list` and every entry below them into the sums.
    void AddSums(TDataList list);

    const std::vector<double>& SizeThresholds() const { return FSizeThresholds; }
    const std::vector<double>& AgeThresholds() const { return FAgeThresholds; }
    const std::vector<double>& LengthThresholds() const { return FLengthThresholds; }

    TSumList& FolderSizeSums() { return FFolderSizeSums; }
    TSumList& FileSizeSums() { return FFileSizeSums; }
    TSumList& CreateTimeSums() { return FCreateTimeSums; }
    TSumList& AccessTimeSums() { return FAccessTimeSums; }
    TSumList& WriteTimeSums() { return FWriteTimeSums; }
    TSumList& NameLengthSums() { return FNameLengthSums; }
    TSumList& FileTypeSums() { return FFileTypeSums; }

    /// The clock that ages are measured against, in milliseconds since the epoch. Tests set
    /// a fixed one; the default reads the system clock at every call. A scan calls it from
    /// several threads at once.
    void SetClock(std::function<std::int64_t()> nowMilliseconds) {
        FNow = std::move(nowMilliseconds);
    }
    /// The clock's current time, in milliseconds since the epoch.
    std::int64_t NowMilliseconds() const { return FNow(); }

    /// Called by the scanning thread before it reads each folder (the scan root included);
    /// whatever it throws ends the scan with that failure. Lets tests make a scanning thread
    /// fail, or hold it, at a chosen folder. Empty (the default): nothing is called.
    using TReadHook = std::function<void(const TDataInfo& folder)>;
    void SetReadHook(TReadHook hook) { FReadHook = std::move(hook); }
    const TReadHook& ReadHook() const { return FReadHook; }

private:
    struct TScanOutcome {
        bool Completed;
        std::uint64_t Entries;
    };

    void Forget();
    void Scan(const std::string& path, IScanObserver* observer);
    /// Scans below `top`, open as `fd` (taken over), with the configured threads.
    TScanOutcome ScanInto(TDataInfo& top, int fd, const std::string& path,
                          std::vector<TScanProblem>& problems, IScanObserver* observer);
    /// True when the folder shown left with `entry`: its sums must be counted again.
    bool RemoveOne(TDataInfo& entry, std::int64_t nowMs, TSumsEdit& sums);
    void ClearBelowRoot();
    void DropProblemsUnder(const std::vector<std::string>& paths);
    void Splice(TDataInfo& folder, const TDataInfo& standIn, std::uint64_t entries);
    void AddUpwards(TDataInfo& folder, std::int64_t delta, std::int64_t otherDelta,
                    std::int64_t nowMs);
    std::uint64_t OtherSize(const TDataInfo& entry) const;
    void SetOtherSize(TDataInfo& folder, std::uint64_t value);
    void SwapSizes(TDataInfo& entry);
    /// Swaps the sizes of every entry of a subtree built with apparent sizes, so that it
    /// counts as the engine does, and classifies it again.
    void CountAsSet(TDataInfo& top);
    /// Counts the disk usage of every hard-linked inode at its first link in pre-order and
    /// 0 at the others, fixing the totals above; true when anything changed.
    bool ApplyHardLinks();
    /// Sets the disk usage an entry counts (a hard link's: all or nothing).
    void SetCountedDisk(TDataInfo& entry, std::uint64_t bytes);
    void ForgetExtrasBelow(const TDataInfo& top);
    void ReplaceProblems(const std::string& path, std::vector<TScanProblem> found);
    TDataInfo* NewRoot(const std::string& path);
    std::int32_t AgeGroup(bool hasTime, std::int64_t seconds, std::int64_t nowMs) const;
    void AddUnknownAgeGroups();
    bool Load(const std::string& path, IScanObserver* observer);
    void Describe(const TDataInfo& entry, TScanItem& item) const;
    static constexpr std::int64_t UnknownTime = INT64_MIN;

    TEntryRegion FRegion; // before everything that points into it
    TEntryArena FArena{FRegion};
    TDataInfo* FRoot = nullptr;
    TDataInfo* FCurrentRoot = nullptr;
    mutable TEntryExtras FExtras;
    bool FDiskUsage = false;
    bool FUnknownTimes = false; // the age lists end with an "Unknown" group
    std::string FLoadedFrom;
    EAccessTimes FAccessTimes = EAccessTimes::Unknown;
    std::uint64_t FRootDev = 0;
    std::vector<TScanProblem> FProblems;
    bool FCancelled = false;
    std::uint64_t FEntryCount = 0;
    int FScanThreads = 0;

    std::vector<double> FSizeThresholds, FAgeThresholds, FLengthThresholds;
    TSumList FFolderSizeSums, FFileSizeSums, FCreateTimeSums, FAccessTimeSums, FWriteTimeSums,
        FNameLengthSums, FFileTypeSums;
    std::function<std::int64_t()> FNow;
    TReadHook FReadHook;
};

} // namespace quorvex
