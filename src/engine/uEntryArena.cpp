#include "uEntryArena.h"

#include "uDataInfo.h"

#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>
#include <sys/mman.h>

namespace quorvex {

namespace {

// Placement array-new may add a size cookie; construct one by one instead.
TDataInfo* ConstructEntries(std::byte* at, std::size_t count) {
    auto* first = reinterpret_cast<TDataInfo*>(at);
    for (std::size_t i = 0; i < count; ++i)
        new (at + i * sizeof(TDataInfo)) TDataInfo;
    return std::launder(first);
}

std::size_t RoundUp(std::size_t bytes, std::size_t unit) {
    return (bytes + unit - 1) / unit * unit;
}

} // namespace

// ---- TEntryRegion -------------------------------------------------------------------------

TEntryRegion::~TEntryRegion() {
    if (FMapping)
        munmap(FMapping, FMappingBytes);
}

void TEntryRegion::Reserve() {
    // Address space only: nothing is committed (or counted against the memory limit) until
    // a piece is made writable. A process with a limited address space gets less.
    for (std::size_t bytes = FMaxBytes / PieceBytes * PieceBytes; bytes >= PieceBytes; bytes /= 2) {
        const std::size_t mapping = bytes + PieceBytes;
        void* p =
            mmap(nullptr, mapping, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
        if (p == MAP_FAILED)
            continue;
        FMapping = p;
        FMappingBytes = mapping;
        const auto address = reinterpret_cast<std::uintptr_t>(p);
        FBase = static_cast<std::byte*>(p) + (RoundUp(address, PieceBytes) - address);
        FBytes = bytes;
        return;
    }
    throw std::bad_alloc();
}

std::byte* TEntryRegion::Take(std::size_t bytes) {
    std::lock_guard lock(FLock);
    if (!FMapping)
        Reserve();
    if (bytes > FBytes - FTaken)
        throw std::bad_alloc();
    std::byte* piece = FBase + FTaken;
    FTaken += bytes;
    if (FTaken > FCommitted) {
        const std::size_t more = RoundUp(FTaken - FCommitted, PieceBytes);
        if (mprotect(FBase + FCommitted, more, PROT_READ | PROT_WRITE) != 0) {
            FTaken -= bytes;
            throw std::bad_alloc();
        }
        // A scan writes tens of megabytes per million entries; on a virtual machine every
        // small page's first touch is a fault that costs microseconds. A hint only.
        madvise(FBase + FCommitted, more, MADV_HUGEPAGE);
        FCommitted += more;
    }
    return piece;
}

void TEntryRegion::Clear() {
    std::lock_guard lock(FLock);
    // The reservation stays, so the next scan's first block (its root) lands where the last
    // one's did; the memory goes back to the system and out of the commit charge.
    if (FCommitted)
        mmap(FBase, FCommitted, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE | MAP_FIXED,
             -1, 0);
    FTaken = FCommitted = 0;
}

// ---- TEntryArena --------------------------------------------------------------------------

TDataInfo* TEntryArena::AllocateBlock(std::size_t count, std::size_t nameBytes, char** names) {
    const std::size_t entryBytes = count * sizeof(TDataInfo);
    // A name is found by its distance from its entry: the block must stay within 2 GiB.
    if (count > std::numeric_limits<std::int32_t>::max() / sizeof(TDataInfo) ||
        nameBytes > std::size_t(std::numeric_limits<std::int32_t>::max()) - entryBytes)
        throw std::length_error("A folder holds more entries than one scan can keep");
    // Keep the next block aligned for its header and entries.
    const std::size_t total = RoundUp(HeaderBytes + entryBytes + nameBytes, alignof(TDataInfo));
    std::byte* block;
    if (total > FLeft && total > ChunkBytes / 4) {
        // A big folder is taken on its own; the current chunk stays open for small ones.
        block = FRegion.Take(total);
    } else {
        if (total > FLeft) {
            FNext = FRegion.Take(ChunkBytes);
            FLeft = ChunkBytes;
        }
        block = FNext;
        FNext += total;
        FLeft -= total;
    }
    const auto stored = std::uint32_t(count);
    std::memcpy(block, &stored, sizeof stored);
    *names = reinterpret_cast<char*>(block + HeaderBytes + entryBytes);
    return ConstructEntries(block + HeaderBytes, count);
}

std::uint32_t TEntryArena::BlockCount(const TDataInfo* first) {
    std::uint32_t count;
    std::memcpy(&count, reinterpret_cast<const std::byte*>(first) - HeaderBytes, sizeof count);
    return count;
}

void TEntryArena::SetBlockCount(TDataInfo* first, std::uint32_t count) {
    std::memcpy(reinterpret_cast<std::byte*>(first) - HeaderBytes, &count, sizeof count);
}

} // namespace quorvex
