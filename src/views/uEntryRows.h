#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quorvex {

class TDataInfo;

/// The rows of a flat list: one 32-bit distance per row, counted in 8-byte steps from the
/// first row's entry, where a pointer would take 64 bits. Every entry of a scan lies in one
/// region of at most 16 GiB, so the rows of one scan always fit.
class TEntryRows {
public:
    TEntryRows() = default;
    /// The same entries, in this order.
    explicit TEntryRows(const std::vector<TDataInfo*>& entries);

    std::size_t size() const { return FSteps.size(); }
    bool empty() const { return FSteps.empty(); }
    TDataInfo* operator[](std::size_t row) const {
        return reinterpret_cast<TDataInfo*>(FAnchor + std::intptr_t(FSteps[row]) * Step);
    }

    /// Throws std::length_error for an entry too far from the first row (another scan's).
    void push_back(const TDataInfo* entry);
    void erase(std::size_t row) { FSteps.erase(FSteps.begin() + std::ptrdiff_t(row)); }
    /// The rows at `positions`, in that order.
    TEntryRows Picked(const std::vector<std::uint32_t>& positions) const;

private:
    static constexpr std::intptr_t Step = 8;

    std::uintptr_t FAnchor = 0;
    std::vector<std::int32_t> FSteps;
};

} // namespace quorvex
