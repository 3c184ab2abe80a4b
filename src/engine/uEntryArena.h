#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>
#include <vector>

namespace quorvex {

class TDataInfo;

/// Owns the entries and names of one scan. A folder's children are allocated as one
/// contiguous block, followed by their names, so an entry needs no list of its own and a
/// child's row is its distance from the first child. Everything is released at once.
class TEntryArena {
public:
    TEntryArena() = default;
    TEntryArena(const TEntryArena&) = delete;
    TEntryArena& operator=(const TEntryArena&) = delete;

    /// Room for `count` default entries and `nameBytes` bytes of names, entries first.
    /// The entries are constructed; the name bytes are uninitialised.
    TDataInfo* AllocateBlock(std::size_t count, std::size_t nameBytes, char** names);
    /// Releases every entry and name.
    void Clear();
    /// Takes over everything `other` holds, which is left empty; its entries stay where they
    /// are, now owned here.
    void Adopt(TEntryArena& other);
    /// Bytes taken from the system (for benchmarks).
    std::size_t ReservedBytes() const { return FReserved; }

private:
    static constexpr std::size_t ChunkBytes = std::size_t(1) << 22;

    struct TRelease {
        void operator()(std::byte* chunk) const { std::free(chunk); }
    };
    using TChunk = std::unique_ptr<std::byte[], TRelease>;
    static TChunk NewChunk(std::size_t bytes);

    std::vector<TChunk> FChunks;
    std::byte* FNext = nullptr;
    std::size_t FLeft = 0;
    std::size_t FReserved = 0;
};

} // namespace quorvex
