#pragma once

#include <Qt>
#include <cstdint>
#include <optional>
#include <vector>

namespace quorvex {

class TDataInfo;
class TEntryRows;

/// The positions of `rows` in the order of a header-click sort by full path (folders first,
/// then the paths compared as CompareFoldedText does, equal paths in their current order),
/// found by walking the folders above the rows instead of making a path per row. Nothing
/// when the rows come from more than one scan.
std::optional<std::vector<std::uint32_t>> PathSortedPositions(const std::vector<TDataInfo*>& rows,
                                                              Qt::SortOrder order);
std::optional<std::vector<std::uint32_t>> PathSortedPositions(const TEntryRows& rows,
                                                              Qt::SortOrder order);

} // namespace quorvex
