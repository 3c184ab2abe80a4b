#pragma once

#include "uScanTypes.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct statx;

namespace quorvex {

class TDataInfo;
class TEntryArena;
class TEntryExtras;
class TVolumeGuard;

/// One item of a folder listing, as statx described it.
struct TListedItem {
    std::size_t NameOffset; ///< into TFolderReader::Names(), NUL-terminated there
    std::size_t NameLength;
    std::uint64_t Size;
    std::int64_t Times[3]; ///< create, access, write: Unix seconds
    std::uint64_t Dev, Ino;
    std::uint64_t DiskBytes; ///< allocated: st_blocks x 512
    std::uint32_t Uid, Gid, Mode, NLink;
    bool Folder;
    bool Link;
    bool OtherVolume; ///< a folder on another mount than the scanned folder
};

/// Lists one open folder with getdents64 and examines every item with statx relative to the
/// folder's descriptor, never following a link. The caller drives it one item at a time, so
/// it can stop between two items.
class TFolderReader {
public:
    TFolderReader();
    ~TFolderReader();
    TFolderReader(const TFolderReader&) = delete;
    TFolderReader& operator=(const TFolderReader&) = delete;

    /// Starts the listing of `fd` (still owned by the caller); forgets the previous one.
    void Start(int fd, const TVolumeGuard& volume);
    /// Reads and examines the next item; false at the end of the listing or on an error.
    /// An item that vanished or could not be examined is left out.
    bool Next();

    const std::vector<TListedItem>& Items() const { return FItems; }
    const std::string& Names() const { return FNames; }
    /// errno of a failing listing call, 0 when the listing ended normally.
    int ListError() const { return FListError; }
    /// True when an item could not be examined for lack of permission.
    bool Denied() const { return FDenied; }

    /// Makes the items read so far the children of `folder`: one block of `arena`, in name
    /// order (NameLess), with names, sizes and times (no groups yet), owners and hard links
    /// recorded in `extras`. Items() is in that order afterwards, item i being block entry
    /// i. Returns the first child; nullptr when there is none.
    TDataInfo* Store(TEntryArena& arena, TDataInfo& folder, TEntryExtras& extras);

private:
    bool Fill();
    void SortByName();
    void Examine(const char* name);

    int FFd = -1;
    const TVolumeGuard* FVolume = nullptr;
    std::unique_ptr<char[]> FBuffer;
    long FGot = 0, FPos = 0;
    int FListError = 0;
    bool FDenied = false;
    std::vector<TListedItem> FItems;
    std::string FNames;
    // Neighbours mostly share owner and mode: one remembered pair spares the shared lock.
    std::uint32_t FLastOwner[3] = {~0u, ~0u, ~0u};
    std::uint16_t FLastOwnerIndex = 0;
};

/// A scanned folder's own allocated bytes and owner, from its own statx (the scan root's and
/// a refreshed folder's, which no listing of their parent describes).
void StoreExtras(TDataInfo& folder, const struct statx& st, TEntryExtras& extras);
/// The allocated bytes of an entry just made: a file's (its apparent size set and its name
/// followed by the room TDataInfo::TailBytesFor asked for), a folder's own.
void StoreDisk(TDataInfo& entry, std::uint64_t diskBytes, bool folder);

/// The create time the scan records for what statx described: the birth time where the
/// file system keeps one (HasBirthTime), else the earlier of change and write time.
std::int64_t CreateSeconds(const struct statx& st);
bool HasBirthTime(const struct statx& st);

/// The order of a folder's children: bytes compared with ASCII letters folded to lower case,
/// the raw bytes breaking ties, so "a" < "B" < "b" < "c" and the order never depends on the
/// locale, the kernel's listing or the number of scanning threads.
bool NameLess(std::string_view a, std::string_view b);

/// The problem a failing call's errno stands for.
EScanProblem ProblemOfError(int error);

} // namespace quorvex
