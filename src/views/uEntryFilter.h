#pragma once

#include <string_view>

namespace quorvex {

class TDataInfo;
struct TDataFilter;

/// True when every field of `filter` accepts the entry (an absent filter accepts all):
/// empty texts, NoGroup and IsFolder 2 accept any value; time fields go through MatchesRange.
bool MatchesFilter(const TDataInfo& entry, const TDataFilter* filter);

/// True when `text` equals `pattern`, or `pattern` is "lower;upper" and `text` lies between
/// the two date-time texts, both included. An empty or unreadable text never lies in a range.
bool MatchesRange(std::string_view text, std::string_view pattern);

} // namespace quorvex
