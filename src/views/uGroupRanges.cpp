#include "uGroupRanges.h"

#include "uBaseConfig.h"

namespace quorvex {

namespace {

std::vector<TRangeItem> ReadRange(const TXMLRangeType& range) {
    std::vector<TRangeItem> items;
    for (int i = 0; i < range.Count(); ++i) {
        const TXMLItemType item = range.Item(i);
        items.push_back({item.Caption(), item.Value()});
    }
    return items;
}

} // namespace

TGroupRanges ReadGroupRanges(TBaseConfig& config) {
    const IXMLConfigType root = config.GetConfig();
    TGroupRanges ranges;
    ranges.Age = ReadRange(root->Agerange());
    ranges.Size = ReadRange(root->Sizerange());
    ranges.Length = ReadRange(root->Lengthrange());
    ranges.AboveLast = root->Default().Abovelast();
    return ranges;
}

} // namespace quorvex
