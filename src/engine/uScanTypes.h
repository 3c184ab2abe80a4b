#pragma once

#include <cstdint>
#include <string>

namespace quorvex {

/// Why a folder of a scan was not read completely. Stored in three bits of every entry:
/// at most seven values.
enum class EScanProblem : std::uint8_t {
    PermissionDenied, ///< the folder could not be opened or its items not examined
    Vanished,         ///< the folder disappeared between listing and reading
    OtherVolume,      ///< on another mount than the scanned folder: not entered
    ReadError,        ///< any other failure to read the folder
    NotRead,          ///< a cancelled scan stopped before it had read the folder
};

struct TScanProblem {
    std::string Path;
    EScanProblem Reason;
    int Error = 0; ///< errno of the failing call, 0 when not applicable
};

/// What a scan has counted so far.
struct TScanProgress {
    std::uint64_t Entries = 0;
    std::uint64_t Bytes = 0;
    std::string CurrentFolder;
};

/// Receives a running scan's progress and may stop it. Both functions are called on the
/// thread that called ScanFolder, never by two threads at once; they must be quick and must
/// not touch the engine.
class IScanObserver {
public:
    virtual ~IScanObserver() = default;
    /// Called at most every 50 ms, and once more when the scan ends.
    virtual void ScanProgress(const TScanProgress& progress) = 0;
    /// Polled after every item when one thread scans, every 10 ms when several do; returning
    /// true ends the scan within one item per thread. The tree then holds everything read
    /// so far, with consistent folder totals.
    virtual bool ScanCancelRequested() = 0;
};

const char* ScanProblemText(EScanProblem reason);

} // namespace quorvex
