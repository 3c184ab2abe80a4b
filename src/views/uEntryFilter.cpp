#include "uEntryFilter.h"

#include "uBaseFunction.h"
#include "uDataInfo.h"

namespace quorvex {

namespace {

bool TextAccepts(const std::string& wanted, std::string_view actual) {
    return wanted.empty() || wanted == actual;
}

bool SizeAccepts(const std::string& wanted, const TDataInfo& entry) {
    if (wanted.empty())
        return true;
    if (wanted == "0") // the empty lists and reports: no text needed
        return IsEmptyEntry(entry);
    return wanted == entry.FileSize();
}

bool TimeAccepts(const std::string& pattern, const TDataInfo& entry,
                 std::string (TDataInfo::*text)() const) {
    return pattern.empty() || MatchesRange((entry.*text)(), pattern);
}

bool GroupAccepts(std::int32_t wanted, std::int32_t actual) {
    return wanted == TDataInfo::NoGroup || wanted == actual;
}

bool GroupsAccept(const TDataInfo& entry, const TDataFilter& f) {
    return GroupAccepts(f.SizeGroup, entry.SizeGroup()) &&
           GroupAccepts(f.CreateGroup, entry.CreateGroup()) &&
           GroupAccepts(f.AccessGroup, entry.AccessGroup()) &&
           GroupAccepts(f.WriteGroup, entry.WriteGroup()) &&
           GroupAccepts(f.NameLengthGroup, entry.NameLengthGroup());
}

bool TextsAccept(const TDataInfo& entry, const TDataFilter& f) {
    return TextAccepts(f.FileName, entry.Name()) && TextAccepts(f.DosName, entry.Name()) &&
           TextAccepts(f.FileExt, entry.Ext()) && TextAccepts(f.OwnerName, entry.OwnerName()) &&
           (f.FullPath.empty() || f.FullPath == entry.FullPath()) &&
           (f.NameLength.empty() || f.NameLength == entry.NameLength()) &&
           SizeAccepts(f.FileSize, entry);
}

} // namespace

bool IsEmptyEntry(const TDataInfo& entry) {
    return entry.Size() == 0 && !entry.NotScanned();
}

bool MatchesFilter(const TDataInfo& entry, const TDataFilter* filter) {
    if (!filter)
        return true;
    const TDataFilter& f = *filter;
    if (f.IsFolder != 2 && f.IsFolder != entry.IsFolder())
        return false;
    return GroupsAccept(entry, f) && TextsAccept(entry, f) &&
           TimeAccepts(f.CreateTime, entry, &TDataInfo::CreateTime) &&
           TimeAccepts(f.AccessTime, entry, &TDataInfo::AccessTime) &&
           TimeAccepts(f.WriteTime, entry, &TDataInfo::WriteTime);
}

bool MatchesRange(std::string_view text, std::string_view pattern) {
    if (text == pattern)
        return true;
    const std::size_t split = pattern.find(';');
    if (split == std::string_view::npos)
        return false;
    const std::string_view lower = pattern.substr(0, split);
    const std::string_view upper = pattern.substr(split + 1);
    // CompareDateTexts orders an empty or unreadable first text before, or after, both
    // bounds, so such an entry is never inside.
    return CompareDateTexts(text, lower) >= 0 && CompareDateTexts(text, upper) <= 0;
}

} // namespace quorvex
