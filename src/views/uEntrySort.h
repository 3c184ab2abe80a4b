#pragma once

#include <Qt>
#include <cstdint>
#include <functional>
#include <vector>

namespace quorvex {

class TDataInfo;
class TEntryRows;

/// The positions of `rows` in the order of a header-click sort by `column`: folders before
/// files in both directions, then the column's comparison in `order`; rows with equal keys
/// keep their current order. `folderTree` selects the folder tree's two columns. Each row's
/// key is made once, and full paths are ranked by a walk over the folders above the rows
/// instead of being built, so a million rows sort in well under a second.
std::vector<std::uint32_t> SortedRowPositions(const std::vector<TDataInfo*>& rows, int column,
                                              Qt::SortOrder order, bool folderTree);
/// The same for the rows of a flat list.
std::vector<std::uint32_t> SortedRowPositions(const TEntryRows& rows, int column,
                                              Qt::SortOrder order, bool folderTree);
/// The same by a signed number that `key` gives each row (a growth), folders first.
std::vector<std::uint32_t>
SortedRowPositions(const TEntryRows& rows, const std::function<std::int64_t(const TDataInfo&)>& key,
                   Qt::SortOrder order);

} // namespace quorvex
