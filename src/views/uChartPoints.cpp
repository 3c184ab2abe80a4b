#include "uChartPoints.h"

#include "uDataInfo.h"

#include <algorithm>
#include <numeric>

namespace quorvex {

namespace {

TChartPoint PointOf(const TSumInfo& sum, std::uint32_t position) {
    return {sum.GroupCaption(), sum.TotalSize(), {position}};
}

// Positions of the `limit` largest sums; ties go to the earlier sum. A partial sort, so a
// list of thousands of types costs a few microseconds.
std::vector<std::uint32_t> LargestPositions(const std::vector<std::uint64_t>& values,
                                            std::size_t limit) {
    std::vector<std::uint32_t> order(values.size());
    std::iota(order.begin(), order.end(), 0u);
    const auto larger = [&values](std::uint32_t a, std::uint32_t b) {
        return values[a] != values[b] ? values[a] > values[b] : a < b;
    };
    std::partial_sort(order.begin(), order.begin() + std::ptrdiff_t(limit), order.end(), larger);
    order.resize(limit);
    return order;
}

} // namespace

TChartPoints SelectChartPoints(const TSumList& sums, std::size_t limit, bool largestFirst) {
    TChartPoints chart;
    std::vector<std::uint64_t> values;
    values.reserve(sums.Count());
    for (const TSumInfo& sum : sums) {
        values.push_back(sum.TotalSize());
        chart.Total += sum.TotalSize();
    }
    if (sums.Count() <= limit + 1) {
        for (std::uint32_t i = 0; i < sums.Count(); ++i)
            chart.Points.push_back(PointOf(sums.Items(i), i));
        return chart;
    }
    std::vector<std::uint32_t> shown = LargestPositions(values, limit);
    if (!largestFirst)
        std::sort(shown.begin(), shown.end());
    std::vector<bool> isShown(sums.Count());
    for (std::uint32_t position : shown) {
        isShown[position] = true;
        chart.Points.push_back(PointOf(sums.Items(position), position));
    }
    TChartPoint others;
    for (std::uint32_t i = 0; i < sums.Count(); ++i)
        if (!isShown[i]) {
            others.Value += values[i];
            others.Sums.push_back(i);
        }
    others.Caption = "Others (" + std::to_string(others.Sums.size()) + ")";
    chart.Points.push_back(std::move(others));
    return chart;
}

TGroupSelection::TGroupSelection(EGrouping grouping, const TSumList& sums,
                                 const std::vector<std::uint32_t>& positions)
    : FGrouping(grouping) {
    for (std::uint32_t position : positions) {
        const TSumInfo& sum = sums.Items(position);
        if (grouping == EGrouping::FileType) {
            FExtensions.insert(sum.GroupCaption());
            continue;
        }
        const std::int32_t group = sum.GroupIndex();
        if (group < 0)
            continue;
        if (std::size_t(group) >= FGroups.size())
            FGroups.resize(std::size_t(group) + 1);
        FGroups[std::size_t(group)] = true;
    }
}

std::int32_t TGroupSelection::GroupOf(const TDataInfo& entry) const {
    switch (FGrouping) {
    case EGrouping::FolderSize:
    case EGrouping::FileSize:
        return entry.SizeGroup();
    case EGrouping::CreateTime:
        return entry.CreateGroup();
    case EGrouping::WriteTime:
        return entry.WriteGroup();
    case EGrouping::AccessTime:
        return entry.AccessGroup();
    case EGrouping::NameLength:
        return entry.NameLengthGroup();
    case EGrouping::FileType:
        break;
    }
    return TDataInfo::NoGroup;
}

bool TGroupSelection::Contains(const TDataInfo& entry) const {
    const bool folders = FGrouping == EGrouping::FolderSize;
    if (bool(entry.IsFolder()) != folders)
        return false;
    if (FGrouping == EGrouping::FileType)
        return FExtensions.contains(entry.Ext());
    const std::int32_t group = GroupOf(entry);
    return group >= 0 && std::size_t(group) < FGroups.size() && FGroups[std::size_t(group)];
}

} // namespace quorvex
