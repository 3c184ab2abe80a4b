#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace quorvex {

class TDataInfo;
class TSumList;

/// One point of a group chart: a single sum, or "Others (K)" folding the K sums that did not
/// make the chart.
struct TChartPoint {
    std::string Caption;             ///< the group's caption as stored, or "Others (K)"
    std::uint64_t Value = 0;         ///< bytes
    std::vector<std::uint32_t> Sums; ///< positions in the sum list; several for "Others"
    bool IsOthers() const { return Sums.size() != 1; }
};

struct TChartPoints {
    std::vector<TChartPoint> Points;
    std::uint64_t Total = 0; ///< the bytes of every sum, "Others" included
};

/// Charts show this many groups at most, plus "Others": a pie of thousands of slices can
/// not be read, and Qt Charts' legend handling grows quadratically with the points.
inline constexpr std::size_t ChartPointLimit = 20;

/// The points of a chart of `sums`. Up to `limit` + 1 sums: one point each, in list order.
/// More: the `limit` largest (ties keep list order), in list order or, with `largestFirst`,
/// largest first, then one "Others (K)" point summing exactly the other K sums.
TChartPoints SelectChartPoints(const TSumList& sums, std::size_t limit = ChartPointLimit,
                               bool largestFirst = false);

/// Which entries a grouping counts and which of their groups it reads.
enum class EGrouping {
    FolderSize,
    FileSize,
    CreateTime,
    WriteTime,
    AccessTime,
    FileType,
    NameLength
};

/// The entries counted in some of the groups of one grouping: the drill-down of a point that
/// stands for several groups. References the captions of `sums`, which must outlive it.
class TGroupSelection {
public:
    TGroupSelection(EGrouping grouping, const TSumList& sums,
                    const std::vector<std::uint32_t>& positions);
    bool Contains(const TDataInfo& entry) const;

private:
    std::int32_t GroupOf(const TDataInfo& entry) const;

    EGrouping FGrouping;
    std::vector<bool> FGroups;                        // by group index (range groupings)
    std::unordered_set<std::string_view> FExtensions; // by caption (file types)
};

} // namespace quorvex
