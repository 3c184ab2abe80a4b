#include "uTypeIndex.h"

#include <cstring>

namespace quorvex {

std::uint64_t TTypeIndex::Key(std::string_view ext) {
    std::uint64_t key = 0;
    if (!ext.empty()) // an empty view may have no data at all
        std::memcpy(&key, ext.data(), ext.size());
    return key | std::uint64_t(ext.size() + 1) << 56;
}

std::size_t TTypeIndex::Slot(std::uint64_t key) const {
    // Fibonacci hashing: the top bits of the product spread similar keys apart.
    const std::size_t mask = FSlots.size() - 1;
    std::size_t slot = std::size_t((key * 0x9E3779B97F4A7C15ull) >> 40) & mask;
    while (FSlots[slot].Key != 0 && FSlots[slot].Key != key)
        slot = (slot + 1) & mask;
    return slot;
}

std::size_t TTypeIndex::Find(std::string_view ext) const {
    if (ext.size() > MaxPacked) {
        const auto it = FLong.find(std::string(ext));
        return it == FLong.end() ? None : it->second;
    }
    const TSlot& slot = FSlots[Slot(Key(ext))];
    return slot.Key ? slot.Index : None;
}

void TTypeIndex::Add(std::string_view ext, std::size_t index) {
    if (ext.size() > MaxPacked) {
        FLong.emplace(std::string(ext), index);
        return;
    }
    if (2 * (FUsed + 1) > FSlots.size())
        Grow();
    const std::uint64_t key = Key(ext);
    FSlots[Slot(key)] = {key, index};
    ++FUsed;
}

void TTypeIndex::Grow() {
    std::vector<TSlot> old(FSlots.size() * 2);
    old.swap(FSlots);
    for (const TSlot& slot : old)
        if (slot.Key)
            FSlots[Slot(slot.Key)] = slot;
}

} // namespace quorvex
