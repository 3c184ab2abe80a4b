#include "uCompareText.h"

#include "uBaseFunction.h"
#include "uDataInfo.h"
#include "uScanCompare.h"

namespace quorvex {

namespace {

const char* Sign(std::int64_t bytes) {
    return bytes > 0 ? "+" : bytes < 0 ? "-" : "";
}

// The magnitude, without negating INT64_MIN.
double Magnitude(std::int64_t bytes) {
    return bytes < 0 ? double(0 - std::uint64_t(bytes)) : double(bytes);
}

} // namespace

std::string SignedSizeText(std::int64_t bytes, const TRegionalSettings& rs) {
    return Sign(bytes) + FormatSize(Magnitude(bytes), rs);
}

std::string TotalChangeText(std::int64_t bytes, const TRegionalSettings& rs) {
    return SignedSizeText(bytes, rs) + "( " + Sign(bytes) + SizeNumberText(Magnitude(bytes), rs) +
           " Byte)";
}

std::string CompareText(const TScanCompare& compare, const std::string& baseFile,
                        const TRegionalSettings& rs) {
    std::string text = "Base: " + baseFile + "\n" +
                       "Total Change: " + TotalChangeText(compare.TotalChange(), rs) + "\n" +
                       "Entries Added: " + std::to_string(compare.AddedCount()) + "\n" +
                       "Entries Removed: " + std::to_string(compare.RemovedCount()) + "\n" +
                       "Entries Changed: " + std::to_string(compare.ChangedCount()) + "\n";
    for (const TGrowthItem& item : compare.LargestGrowths())
        text += SignedSizeText(item.Growth, rs) + "\t" + item.Entry->FullPath() + "\n";
    return text;
}

} // namespace quorvex
