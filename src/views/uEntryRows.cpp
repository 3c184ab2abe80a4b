#include "uEntryRows.h"

#include "uDataInfo.h"

#include <limits>
#include <stdexcept>

namespace quorvex {

static_assert(alignof(TDataInfo) % 8 == 0, "rows count entries in 8-byte steps");

TEntryRows::TEntryRows(const std::vector<TDataInfo*>& entries) {
    FSteps.reserve(entries.size());
    for (const TDataInfo* e : entries)
        push_back(e);
}

void TEntryRows::push_back(const TDataInfo* entry) {
    const auto address = reinterpret_cast<std::uintptr_t>(entry);
    if (FSteps.empty())
        FAnchor = address;
    const std::intptr_t steps = (std::intptr_t(address) - std::intptr_t(FAnchor)) / Step;
    if (steps < std::numeric_limits<std::int32_t>::min() ||
        steps > std::numeric_limits<std::int32_t>::max())
        throw std::length_error("A list holds entries of different scans");
    FSteps.push_back(std::int32_t(steps));
}

TEntryRows TEntryRows::Picked(const std::vector<std::uint32_t>& positions) const {
    TEntryRows picked;
    picked.FAnchor = FAnchor;
    picked.FSteps.reserve(positions.size());
    for (const std::uint32_t position : positions)
        picked.FSteps.push_back(FSteps[position]);
    return picked;
}

} // namespace quorvex
