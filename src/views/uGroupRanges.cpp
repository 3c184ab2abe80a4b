#include "uGroupRanges.h"

#include "uBaseConfig.h"

#include <stdexcept>

namespace quorvex {

namespace {

// Counted before anything is read, so a list far too long for the groups is refused at
// once, not after every value in it has been converted.
void CheckCount(const TXMLRangeType& range, const TBaseConfig& config) {
    const int count = range.Count();
    if (std::size_t(count) + 1 > TDataCtrl::MaxGroups)
        throw std::length_error("<" + std::string(range.DOMNode().name()) + "> in '" +
                                config.GetFileName().string() + "' holds " + std::to_string(count) +
                                " items; at most " + std::to_string(TDataCtrl::MaxGroups - 1) +
                                " are allowed");
}

std::vector<TRangeItem> ReadRange(const TXMLRangeType& range) {
    std::vector<TRangeItem> items;
    for (const TXMLItemType& item : range.Items())
        items.push_back({item.Caption(), item.Value()});
    return items;
}

} // namespace

TGroupRanges ReadGroupRanges(TBaseConfig& config) {
    const IXMLConfigType root = config.GetConfig();
    for (const TXMLRangeType& range :
         {TXMLRangeType(root->Agerange()), TXMLRangeType(root->Sizerange()),
          TXMLRangeType(root->Lengthrange())})
        CheckCount(range, config);
    TGroupRanges ranges;
    ranges.Age = ReadRange(root->Agerange());
    ranges.Size = ReadRange(root->Sizerange());
    ranges.Length = ReadRange(root->Lengthrange());
    ranges.AboveLast = root->Default().Abovelast();
    return ranges;
}

} // namespace quorvex
