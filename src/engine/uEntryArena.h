#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>

namespace quorvex {

class TDataInfo;

/// The address space of one scan's entries: one reservation, committed piece by piece as
/// the scan grows. Keeping every entry of a scan inside it lets an entry refer to its
/// parent, children and name by 32-bit distances instead of 64-bit pointers. Shared by the
/// arenas of several scanning threads.
class TEntryRegion {
public:
    /// Every entry of a scan lies within this many bytes of every other.
    static constexpr std::size_t MaxBytes = std::size_t(16) << 30;

    /// A region of at most `maxBytes` (rounded down to huge pages); less when the system
    /// grants less address space.
    explicit TEntryRegion(std::size_t maxBytes = MaxBytes) : FMaxBytes(maxBytes) {}
    ~TEntryRegion();
    TEntryRegion(const TEntryRegion&) = delete;
    TEntryRegion& operator=(const TEntryRegion&) = delete;

    /// `bytes` (a multiple of 8) of fresh zeroed memory, right after the last piece taken;
    /// throws std::bad_alloc when the region is full or the system refuses. Safe to call
    /// from several threads.
    std::byte* Take(std::size_t bytes);
    /// Bytes handed out so far: entries, names and block headers (and arenas' unused rests).
    std::size_t TakenBytes() const { return FTaken; }
    /// Returns everything to the system; the address space stays reserved and is used again
    /// from its start. Nothing may use the region's memory afterwards.
    void Clear();

private:
    // Memory is made writable a huge page at a time: a page that is writable in full at its
    // first touch can be a huge page.
    static constexpr std::size_t PieceBytes = std::size_t(1) << 21;

    void Reserve();

    std::size_t FMaxBytes;
    std::mutex FLock;
    void* FMapping = nullptr;
    std::size_t FMappingBytes = 0;
    std::byte* FBase = nullptr; // FMapping aligned to PieceBytes
    std::size_t FBytes = 0;
    std::size_t FTaken = 0, FCommitted = 0;
};

/// Allocates the entries and names of one scanning thread from a region. A folder's
/// children are one contiguous block, after a small header with their count and followed by
/// their names, so an entry needs no list of its own and a child's row is its distance from
/// the first child. The region releases everything at once.
class TEntryArena {
public:
    explicit TEntryArena(TEntryRegion& region) : FRegion(region) {}
    TEntryArena(const TEntryArena&) = delete;
    TEntryArena& operator=(const TEntryArena&) = delete;

    /// Room for `count` (at least 1) default entries and `nameBytes` bytes of names, entries
    /// first. The entries are constructed; the name bytes are uninitialised. Throws
    /// std::length_error for a block beyond what 32-bit distances reach.
    TDataInfo* AllocateBlock(std::size_t count, std::size_t nameBytes, char** names);
    /// Forgets the current chunk; call with TEntryRegion::Clear().
    void Reset() {
        FNext = nullptr;
        FLeft = 0;
    }
    TEntryRegion& Region() const { return FRegion; }

    /// The count a block's header holds, for the first entry of the block.
    static std::uint32_t BlockCount(const TDataInfo* first);
    /// Lowers that count when entries leave the end of the block; the block keeps its room.
    static void SetBlockCount(TDataInfo* first, std::uint32_t count);

private:
    // Small, so that a thread's unused rest is small; taking one costs a lock.
    static constexpr std::size_t ChunkBytes = std::size_t(1) << 16;
    static constexpr std::size_t HeaderBytes = 8;

    TEntryRegion& FRegion;
    std::byte* FNext = nullptr;
    std::size_t FLeft = 0;
};

} // namespace quorvex
