#pragma once

#include "uRegional.h"

#include <cstdint>
#include <string>

namespace quorvex {

class TScanCompare;

/// A size change as display text: "+1.00 KB", "-512.00 B"; no change reads "0.00 B" (neither
/// grown nor shrunk, so no sign).
std::string SignedSizeText(std::int64_t bytes,
                           const TRegionalSettings& rs = TRegionalSettings::Current());

/// A size change as the summary writes a size, signed on both sides:
/// "+1.00 KB( +1024 Byte)"; no change reads "0.00 B( 0 Byte)".
std::string TotalChangeText(std::int64_t bytes,
                            const TRegionalSettings& rs = TRegionalSettings::Current());

/// The comparison as the command line prints it: "Base: ", "Total Change: ", "Entries
/// Added: ", "Entries Removed: ", "Entries Changed: ", then one "+SIZE<TAB>PATH" line per
/// largest growth; every line ends in a newline.
std::string CompareText(const TScanCompare& compare, const std::string& baseFile,
                        const TRegionalSettings& rs = TRegionalSettings::Current());

} // namespace quorvex
