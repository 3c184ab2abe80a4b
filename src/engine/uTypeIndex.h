#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace quorvex {

/// Finds a number by a file's extension, once per file of a folder's subtree. Extensions of up
/// to seven bytes (nearly all) are one 64-bit key in an open-addressed table, so the lookup
/// costs a multiply and a compare; longer ones go to a map.
class TTypeIndex {
public:
    static constexpr std::size_t None = ~std::size_t(0);

    /// The number added for `ext` (compared byte for byte), None when there is none.
    std::size_t Find(std::string_view ext) const;
    /// Adds `ext`, which Find() does not know yet.
    void Add(std::string_view ext, std::size_t index);

private:
    struct TSlot {
        std::uint64_t Key = 0; // 0: empty
        std::size_t Index = 0;
    };
    static constexpr std::size_t MaxPacked = 7;
    // The bytes, and the length above them: never 0, and "a" differs from "a\0".
    static std::uint64_t Key(std::string_view ext);
    std::size_t Slot(std::uint64_t key) const;
    void Grow();

    std::vector<TSlot> FSlots = std::vector<TSlot>(64);
    std::size_t FUsed = 0;
    std::unordered_map<std::string, std::size_t> FLong;
};

} // namespace quorvex
