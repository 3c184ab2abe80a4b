#include "uEntryArena.h"

#include "uDataInfo.h"

#include <cstdlib>
#include <new>
#include <sys/mman.h>

namespace quorvex {

// Placement array-new may add a size cookie; construct one by one instead.
static TDataInfo* ConstructEntries(std::byte* at, std::size_t count) {
    auto* first = reinterpret_cast<TDataInfo*>(at);
    for (std::size_t i = 0; i < count; ++i)
        new (at + i * sizeof(TDataInfo)) TDataInfo;
    return count ? std::launder(first) : nullptr;
}

TEntryArena::TChunk TEntryArena::NewChunk(std::size_t bytes) {
    // Regular chunks are aligned to and marked for huge pages: a scan writes some 80 MB of
    // fresh memory per million entries, and on a virtual machine every small page's first
    // touch is a page fault that costs microseconds.
    constexpr std::size_t HugePage = std::size_t(1) << 21;
    const bool huge = bytes % HugePage == 0;
    void* chunk = huge ? std::aligned_alloc(HugePage, bytes) : std::malloc(bytes);
    if (!chunk)
        throw std::bad_alloc();
    if (huge)
        madvise(chunk, bytes, MADV_HUGEPAGE); // a hint: without it, small pages
    return TChunk(static_cast<std::byte*>(chunk));
}

TDataInfo* TEntryArena::AllocateBlock(std::size_t count, std::size_t nameBytes, char** names) {
    const std::size_t entryBytes = count * sizeof(TDataInfo);
    // Keep the next block aligned for entries.
    const std::size_t total =
        (entryBytes + nameBytes + alignof(TDataInfo) - 1) / alignof(TDataInfo) * alignof(TDataInfo);
    if (total > FLeft) {
        // A big folder gets a chunk of its own; the current chunk stays open for small ones.
        const std::size_t size = total > ChunkBytes / 4 ? total : ChunkBytes;
        FChunks.push_back(NewChunk(size));
        FReserved += size;
        if (size != ChunkBytes) {
            std::byte* own = FChunks.back().get();
            *names = reinterpret_cast<char*>(own + entryBytes);
            return ConstructEntries(own, count);
        }
        FNext = FChunks.back().get();
        FLeft = size;
    }
    std::byte* block = FNext;
    FNext += total;
    FLeft -= total;
    *names = reinterpret_cast<char*>(block + entryBytes);
    return ConstructEntries(block, count);
}

void TEntryArena::Clear() {
    // Entries are trivially destructible; releasing the chunks ends their lifetime.
    FChunks.clear();
    FNext = nullptr;
    FLeft = 0;
    FReserved = 0;
}

void TEntryArena::Adopt(TEntryArena& other) {
    for (auto& chunk : other.FChunks)
        FChunks.push_back(std::move(chunk));
    FReserved += other.FReserved;
    other.Clear();
}

} // namespace quorvex
