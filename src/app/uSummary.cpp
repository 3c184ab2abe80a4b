#include "uSummary.h"

#include "uBaseFunction.h"
#include "uDataCtrl.h"

namespace quorvex {

namespace {

std::uint64_t CountOf(const TSumList& sums) {
    std::uint64_t count = 0;
    for (const TSumInfo& sum : sums)
        count += sum.EntryCount();
    return count;
}

} // namespace

TFolderSummary SummarizeCurrentFolder(TDataCtrl& ctrl, const TRegionalSettings& rs) {
    TFolderSummary summary;
    const TDataInfo* folder = ctrl.CurrentRoot();
    if (!folder)
        return summary;
    summary.FolderPath = folder->FullPath();
    const std::string bytes = SizeNumberText(double(folder->Size()), rs);
    summary.TotalSizes = SizeText(bytes, rs) + "( " + bytes + " Byte)";
    // Every folder below the current one is counted once in the folder size groups, every
    // file once in the file size groups.
    summary.Folders = 1 + CountOf(ctrl.FolderSizeSums());
    summary.Files = CountOf(ctrl.FileSizeSums());
    summary.FileTypes = ctrl.FileTypeSums().Count();
    return summary;
}

std::string SummaryText(const TFolderSummary& summary) {
    return "Folder Path: " + summary.FolderPath + "\n" + "Total Sizes: " + summary.TotalSizes +
           "\n" + "Folders Quantity: " + std::to_string(summary.Folders) + "\n" +
           "Files Quantity: " + std::to_string(summary.Files) + "\n" +
           "Files Type Quantity: " + std::to_string(summary.FileTypes) + "\n";
}

} // namespace quorvex
