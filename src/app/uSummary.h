#pragma once

#include <cstdint>
#include <string>

namespace quorvex {

class TDataCtrl;
struct TRegionalSettings;

/// The figures of the summary page for the engine's current folder.
struct TFolderSummary {
    std::string FolderPath;
    std::string TotalSizes;    ///< display size, then "( ", the byte count and " Byte)"
    std::uint64_t Folders = 0; ///< the folder itself and every folder below it
    std::uint64_t Files = 0;
    std::uint64_t FileTypes = 0; ///< distinct extensions, the empty one included
};

/// Reads the summary from the sums of the current folder (the engine's CurrentRoot).
TFolderSummary SummarizeCurrentFolder(TDataCtrl& ctrl, const TRegionalSettings& rs);

/// The five lines "Folder Path: ...", "Total Sizes: ...", "Folders Quantity: ...",
/// "Files Quantity: ...", "Files Type Quantity: ...", each ending in a newline.
std::string SummaryText(const TFolderSummary& summary);

} // namespace quorvex
