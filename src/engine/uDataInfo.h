#pragma once

#include "uEntryArena.h"
#include "uScanTypes.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

struct statx;

namespace quorvex {

class TDataInfo;
class TEntryExtras;

/// The children of one entry, in name order (NameLess of uFolderReader.h). The entries are
/// owned by the engine's arena (they live exactly as long as the scan that made them); a list
/// is a cheap view on one contiguous block.
class TDataList {
public:
    TDataList() = default;
    TDataList(TDataInfo* first, std::uint32_t count) : FFirst(first), FCount(count) {}

    std::uint32_t Count() const { return FCount; }
    /// The entry at `index`; throws std::out_of_range outside 0..Count()-1.
    TDataInfo* Items(std::size_t index) const;
    TDataInfo* begin() const { return FFirst; }
    TDataInfo* end() const;

    /// The entry, at any depth below the entries of this list (or one of them), whose
    /// FullPath equals `path` exactly; nullptr when there is none.
    TDataInfo* FindByPath(std::string_view path) const;

private:
    TDataInfo* FFirst = nullptr;
    std::uint32_t FCount = 0;
};

/// One file or folder of a scan. Values are kept as numbers and produce their texts on
/// demand; the name is stored once and the full path is assembled from the parent chain.
class TDataInfo {
public:
    static constexpr std::int32_t NoGroup = -1;

    TDataInfo() = default;
    // Entries refer to each other by distance: a copy elsewhere would point at strangers.
    TDataInfo(const TDataInfo&) = delete;
    TDataInfo& operator=(const TDataInfo&) = delete;

    // ---- The texts the views show ------------------------------------------------------
    std::string FileName() const { return std::string(Name()); }
    /// Parent's path, a "/" unless it already ends in one, and the name; the scan root's
    /// path is the scanned path exactly as given.
    std::string FullPath() const;
    /// Size in bytes as a number text; a folder's is its subtree total.
    std::string FileSize() const;
    /// Extension without its dot; empty for folders and files without one.
    std::string FileExt() const { return std::string(Ext()); }
    std::string CreateTime() const;
    std::string AccessTime() const;
    std::string WriteTime() const;
    /// Linux keeps no short name: the name itself.
    std::string DosName() const { return FileName(); }
    std::string OwnerName() const { return {}; }
    std::string FileCount() const { return {}; }
    /// Characters of the name; empty for the scan root.
    std::string NameLength() const;

    // ---- Numbers -----------------------------------------------------------------------
    std::string_view Name() const { return NameBytes(); }
    /// The name as NUL-terminated bytes, for system calls.
    const char* NameBytes() const {
        return FName ? reinterpret_cast<const char*>(this) + FName : "";
    }
    std::string_view Ext() const;
    /// The bytes counted for this entry (a folder's: its subtree total): the apparent size,
    /// or the disk usage while the engine counts that (TDataCtrl::SetCountDiskUsage).
    std::uint64_t Size() const {
        return IsFolder() || !CountsDiskUsage() || HasTail() ? FSize : FileDisk();
    }
    /// Allocated bytes as counted: a file's blocks, a folder's own blocks plus its subtree's,
    /// each file with several hard links in the scan counted at one of them only (the others
    /// count 0).
    std::uint64_t DiskSize() const {
        if (CountsDiskUsage())
            return Size();
        return HasTail() ? Tail() : FileDisk();
    }
    /// Bytes as the file's length says (a folder: its files' total).
    std::uint64_t ApparentSize() const { return CountsDiskUsage() && HasTail() ? Tail() : FSize; }
    bool CountsDiskUsage() const { return FTimeHigh & DiskModeBit; }
    /// Bytes to keep after the name of an entry, for its second size: every folder's total,
    /// and a file's allocated size when it has no short code.
    static std::size_t TailBytesFor(bool folder, std::uint64_t apparent, std::uint64_t disk) {
        return folder || DiskCode(apparent, disk) == TailCode ? sizeof(std::uint64_t) : 0;
    }
    /// A file with more than one hard link; TDataCtrl::HardLink tells the inode.
    bool IsHardLinked() const { return !IsFolder() && (FileBits() & HardLinkBit); }
    /// Owner, group and mode as an index into TDataCtrl's owners; 0 when unknown.
    std::uint16_t OwnerIndex() const {
        return std::uint16_t((IsFolder() ? FolderBits() : FileBits()) & OwnerMask);
    }
    /// A folder's own allocated bytes, its children's not included.
    std::uint64_t OwnDiskSize() const {
        return IsFolder() ? std::uint64_t(FolderBits() >> OwnerBits) * 512 : DiskSize();
    }
    bool HasTimes() const { return FFlags & HasTimesFlag; }
    /// False where the source of the entry kept no such time (a loaded scan file may keep
    /// the write time only); the time then falls into the "Unknown" age group.
    bool HasCreateTime() const { return HasTime(0); }
    bool HasAccessTime() const { return HasTime(1); }
    bool HasWriteTime() const { return HasTime(2); }
    /// Seconds since the Unix epoch (whole seconds); meaningful when HasTimes().
    std::int64_t CreateSeconds() const { return Time(0); }
    std::int64_t AccessSeconds() const { return Time(1); }
    std::int64_t WriteSeconds() const { return Time(2); }
    /// Characters of the name (UTF-8 code points, an invalid byte counting as one).
    std::uint32_t NameChars() const;

    std::uint8_t IsFolder() const { return FFlags & FolderFlag; }
    /// True for a folder the scan could not read completely: its size and children are only
    /// what was read, so it is never an empty folder. ScanProblem() says why.
    bool NotScanned() const { return IsFolder() && (FFlags & ProblemMask); }
    /// True for a symbolic link (counted as a file of its own size, never followed).
    bool IsLink() const { return !IsFolder() && (FFlags & ProblemMask) == LinkBits; }
    /// Why the folder was not read completely; meaningful when NotScanned().
    EScanProblem ScanProblem() const {
        return EScanProblem(((FFlags & ProblemMask) >> ProblemShift) - 1);
    }
    /// Three bits of the device and inode the scan saw (InodeFingerprintOf); meaningful when
    /// HasTimes(). The entry has no room for the numbers themselves: the bits only let a
    /// replaced file (same name, other inode) be told apart most of the time.
    std::uint8_t InodeFingerprint() const {
        return std::uint8_t((FFlags & FingerprintMask) >> FingerprintShift);
    }
    bool IsScanRoot() const { return FParent == 0; }
    TDataInfo* Parent() const { return FParent ? Near(FParent) : nullptr; }
    TDataList Children() const;
    /// Position of this entry in its parent's children (0 for the root), in constant time.
    std::uint32_t Row() const {
        return FParent ? std::uint32_t(this - Near(FParent)->FirstChild()) : 0;
    }

    std::int32_t SizeGroup() const { return Group(0); }
    std::int32_t CreateGroup() const { return Group(1); }
    std::int32_t AccessGroup() const { return Group(2); }
    std::int32_t WriteGroup() const { return Group(3); }
    std::int32_t NameLengthGroup() const { return Group(4); }

    /// The entry whose FullPath equals `path`: this entry or one below it; nullptr if none.
    TDataInfo* FindByPath(std::string_view path);

private:
    friend class TDataCtrl;
    friend class TFolderScanner;
    friend class TFolderReader;
    friend class TParallelScanner;
    friend class TEntryArena;
    friend class TTreeEdit;
    friend class TTreeBuilder;
    friend void StoreExtras(TDataInfo& folder, const struct statx& st, TEntryExtras& extras);
    friend void StoreDisk(TDataInfo& entry, std::uint64_t diskBytes, bool folder);
    enum EGroupSlot : std::uint8_t { gsSize, gsCreate, gsAccess, gsWrite, gsNameLength };
    static constexpr std::uint8_t NoGroupStored = 0xFF;

    static constexpr std::uint8_t FolderFlag = 1, HasTimesFlag = 2;
    // Bits 2-4 of a folder: 0 when read completely, else the EScanProblem plus one. A file has
    // no problems: the same bits all set mark a symbolic link.
    static constexpr int ProblemShift = 2;
    static constexpr std::uint8_t ProblemMask = 7 << ProblemShift;
    static constexpr std::uint8_t LinkBits = ProblemMask;
    // Bits 5-7: the inode fingerprint.
    static constexpr int FingerprintShift = 5;
    static constexpr std::uint8_t FingerprintMask = 7 << FingerprintShift;
    // Times are 37-bit seconds, biased so that about 2,000 years either side of 1970 fit.
    static constexpr int TimeBits = 37;
    static constexpr std::uint16_t TimeHighMask = (1u << (TimeBits - 32)) - 1;

    // A file keeps in FChildren (it has no children): its owner, two hard-link marks and its
    // allocated size as a code. A folder keeps its owner and own blocks in its group bytes
    // 1-4 (it is grouped by size only). The top bit of FTimeHigh says which size FSize holds.
    static constexpr int OwnerBits = 13;
    static constexpr std::uint32_t OwnerMask = (1u << OwnerBits) - 1;
    static constexpr std::uint32_t HardLinkBit = 1u << 13, ElsewhereBit = 1u << 14;
    static constexpr int CodeShift = 15;
    // Allocated size codes: 0 the apparent size rounded up to 4 KiB (most files), 1..TailCode-1
    // that many 512-byte blocks plus one, TailCode the exact value after the name.
    static constexpr std::uint32_t TailCode = (1u << (32 - CodeShift)) - 1;
    static constexpr std::uint16_t DiskModeBit = 0x8000;
    static constexpr std::uint32_t MaxOwnBlocks = (1u << (32 - OwnerBits)) - 1;

    std::uint32_t FileBits() const { return std::uint32_t(FChildren); }
    void SetFileBits(std::uint32_t bits) { FChildren = std::int32_t(bits); }
    std::uint32_t FolderBits() const {
        std::uint32_t bits;
        std::memcpy(&bits, FGroups + 1, sizeof bits);
        return bits;
    }
    void SetFolderBits(std::uint32_t bits) { std::memcpy(FGroups + 1, &bits, sizeof bits); }
    std::uint32_t FileCode() const { return FileBits() >> CodeShift; }
    /// A folder's total and a file whose allocated size has no code keep the size FSize does
    /// not hold in 8 bytes after their name.
    bool HasTail() const { return IsFolder() || FileCode() == TailCode; }
    std::uint64_t Tail() const {
        std::uint64_t value;
        std::memcpy(&value, TailBytes(), sizeof value);
        return value;
    }
    void SetTail(std::uint64_t value) { std::memcpy(TailBytes(), &value, sizeof value); }
    char* TailBytes() const {
        const char* name = NameBytes();
        return const_cast<char*>(name + std::strlen(name) + 1);
    }
    std::uint64_t FileDisk() const {
        if (FileBits() & ElsewhereBit)
            return 0;
        const std::uint32_t code = FileCode();
        return code ? std::uint64_t(code - 1) * 512 : (FSize + 4095) / 4096 * 4096;
    }
    void SetOwnerIndex(std::uint16_t index);
    /// Sets the allocated bytes of a file just made, FSize its apparent size and its name
    /// followed by room for a tail when NeedsTail said so; false when the tail holds them.
    bool SetFileDisk(std::uint64_t bytes);
    static std::uint32_t DiskCode(std::uint64_t apparent, std::uint64_t disk);
    void SetOwnDisk(std::uint64_t bytes);
    bool HasTime(int which) const {
        // A stored 0 is 2,000 years before 1970: no file system reports that, it means none.
        return HasTimes() && (FTimeLow[which] || (FTimeHigh >> (5 * which) & TimeHighMask));
    }
    void ClearTime(int which) {
        FTimeLow[which] = 0;
        FTimeHigh = std::uint16_t(FTimeHigh & ~(TimeHighMask << (5 * which)));
    }
    std::int64_t Time(int which) const {
        const std::uint64_t high = FTimeHigh >> (5 * which) & TimeHighMask;
        return std::int64_t(high << 32 | FTimeLow[which]) - (std::int64_t(1) << (TimeBits - 1));
    }
    void SetTime(int which, std::int64_t unixSeconds);
    std::int32_t Group(int slot) const {
        // A folder is grouped by size only; its other group bytes keep its owner and blocks.
        if (slot != gsSize && IsFolder())
            return NoGroup;
        return FGroups[slot] == NoGroupStored ? NoGroup : std::int32_t(FGroups[slot]);
    }
    void SetGroup(int slot, std::int32_t group);
    void SetFlag(std::uint8_t flag, bool on) {
        FFlags = std::uint8_t(on ? FFlags | flag : FFlags & ~flag);
    }
    /// A scanned folder's totals from its children: the files' bytes, and its own blocks
    /// plus its children's. Entries under construction count apparent sizes.
    void TotalChildren() {
        std::uint64_t total = 0, disk = OwnDiskSize();
        for (const TDataInfo& child : Children()) {
            total += child.FSize;
            disk += child.DiskSize();
        }
        FSize = total;
        SetTail(disk);
    }
    /// Marks the folder as not read completely; the first reason given stays.
    void MarkNotScanned(EScanProblem reason) {
        if (!NotScanned())
            FFlags = std::uint8_t(FFlags | (int(reason) + 1) << ProblemShift);
    }

    // Parent and children are kept as distances in units of 8 bytes, the name as a distance
    // in bytes: every entry of a scan lies in one region of at most 16 GiB, and a name in
    // its entry's block. 0 means none (nothing is its own parent, child or name).
    static constexpr std::ptrdiff_t Unit = 8;
    TDataInfo* Near(std::int32_t distance) const {
        return const_cast<TDataInfo*>(reinterpret_cast<const TDataInfo*>(
            reinterpret_cast<const char*>(this) + std::ptrdiff_t(distance) * Unit));
    }
    std::int32_t DistanceTo(const TDataInfo* other) const {
        return std::int32_t(
            (reinterpret_cast<const char*>(other) - reinterpret_cast<const char*>(this)) / Unit);
    }
    TDataInfo* FirstChild() const { return IsFolder() && FChildren ? Near(FChildren) : nullptr; }
    void SetParent(const TDataInfo& parent) { FParent = DistanceTo(&parent); }
    void SetChildren(const TDataInfo* first) { FChildren = first ? DistanceTo(first) : 0; }
    void SetName(const char* name) {
        FName = std::int32_t(name - reinterpret_cast<const char*>(this));
    }

    std::uint64_t FSize = 0;
    std::int32_t FParent = 0;
    // A folder's first child of a contiguous block (the arena keeps the count); a file's bits.
    std::int32_t FChildren = 0;
    std::int32_t FName = 0; // NUL-terminated bytes as the kernel gave them
    std::uint32_t FTimeLow[3] = {0, 0, 0};
    // The five high bits of each time; the defaults make every time 0.
    std::uint16_t FTimeHigh = 0x10 | 0x10 << 5 | 0x10 << 10;
    std::uint8_t FFlags = 0;
    std::uint8_t FGroups[5] = {NoGroupStored, NoGroupStored, NoGroupStored, NoGroupStored,
                               NoGroupStored};
};

// Millions of entries stay in memory for a whole run: every byte here is paid per entry.
static_assert(sizeof(TDataInfo) == 40, "TDataInfo changed size: check the per-entry memory budget");

inline TDataInfo* TDataList::end() const {
    return FFirst + FCount;
}

inline TDataList TDataInfo::Children() const {
    TDataInfo* first = FirstChild();
    return first ? TDataList(first, TEntryArena::BlockCount(first)) : TDataList();
}

/// A pattern for selecting entries: an empty text, NoGroup and IsFolder 2 mean "any value".
struct TDataFilter {
    std::string FileName, FullPath, FileSize, FileExt, CreateTime, AccessTime, WriteTime, DosName,
        OwnerName, NameLength;
    std::uint8_t IsFolder = 2;
    std::int32_t SizeGroup = TDataInfo::NoGroup;
    std::int32_t CreateGroup = TDataInfo::NoGroup;
    std::int32_t AccessGroup = TDataInfo::NoGroup;
    std::int32_t WriteGroup = TDataInfo::NoGroup;
    std::int32_t NameLengthGroup = TDataInfo::NoGroup;
};

/// The sum of one group over the current folder's subtree.
class TSumInfo {
public:
    TSumInfo(std::string caption, std::int32_t groupIndex)
        : FGroupCaption(std::move(caption)), FGroupIndex(groupIndex) {}

    std::int32_t GroupIndex() const { return FGroupIndex; }
    const std::string& GroupCaption() const { return FGroupCaption; }
    /// Bytes of the entries counted into the group.
    std::uint64_t TotalSize() const { return FTotalSize; }
    std::uint64_t EntryCount() const { return FEntryCount; }

    void Add(std::uint64_t size) {
        FTotalSize += size;
        ++FEntryCount;
    }
    /// Takes back an Add of `size`, for an entry that left the sum's subtree.
    void Remove(std::uint64_t size) {
        FTotalSize -= size;
        --FEntryCount;
    }
    void Reset() { FTotalSize = FEntryCount = 0; }

private:
    friend class TSumList;
    std::string FGroupCaption;
    std::int32_t FGroupIndex;
    std::uint64_t FTotalSize = 0;
    std::uint64_t FEntryCount = 0;
};

/// An ordered list of sums that owns them.
class TSumList {
public:
    std::size_t Count() const { return FItems.size(); }
    /// The sum at `index`; throws std::out_of_range outside 0..Count()-1.
    TSumInfo& Items(std::size_t index);
    const TSumInfo& Items(std::size_t index) const;
    TSumInfo& Add(std::string caption, std::int32_t groupIndex);
    void Clear() { FItems.clear(); }
    void RemoveLast() {
        if (!FItems.empty())
            FItems.pop_back();
    }
    /// Removes the sums that count no entry; the others are numbered again by position,
    /// as a list built from scratch numbers them.
    void DropEmpty();
    /// First sum whose caption equals `caption` exactly (case-sensitive); nullptr if none.
    TSumInfo* FindByCaption(std::string_view caption);

    auto begin() { return FItems.begin(); }
    auto end() { return FItems.end(); }
    auto begin() const { return FItems.begin(); }
    auto end() const { return FItems.end(); }

private:
    std::vector<TSumInfo> FItems;
};

/// The entry that follows `entry` in a pre-order walk of the subtree of `top` (an entry
/// before its children, children in list order); nullptr after the last. Needs no stack.
TDataInfo* NextInPreOrder(TDataInfo* entry, const TDataInfo* top);

/// A 3-bit digest of a device and inode number, as kept by TDataInfo::InodeFingerprint.
std::uint8_t InodeFingerprintOf(std::uint64_t device, std::uint64_t inode);

/// The extension rule: the text after the last '.' of the name, empty when the name has no
/// dot (a dot in a folder name above does not count).
std::string_view ExtensionOf(std::string_view name);

} // namespace quorvex
