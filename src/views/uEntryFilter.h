#pragma once

#include <string_view>

namespace quorvex {

class TDataInfo;
struct TDataFilter;

/// True when every field of `filter` accepts the entry (an absent filter accepts all):
/// empty texts, NoGroup and IsFolder 2 accept any value; time fields go through MatchesRange.
bool MatchesFilter(const TDataInfo& entry, const TDataFilter* filter);

/// An entry of 0 bytes that the scan read completely: what the empty lists hold. A folder
/// the scan could not read completely has 0 bytes only as far as it was read.
bool IsEmptyEntry(const TDataInfo& entry);

/// True when `text` equals `pattern`, or `pattern` is "lower;upper" and `text` lies between
/// the two date-time texts, both included. An empty or unreadable text never lies in a range.
bool MatchesRange(std::string_view text, std::string_view pattern);

} // namespace quorvex
