#pragma once

#include "GenRandom.h"

#include <cstdint>
#include <string>

namespace quorvex::gentree {

/// A file name in two parts, so that a clash can be resolved by changing the stem only.
struct TNameParts {
    std::string Stem;
    std::string Ext; ///< with its leading dot; empty for a name without extension
};

/// Where file extensions come from.
enum class TExtensions {
    Common,  ///< a table of about 60 frequent ones (the trees made before there was a choice)
    LongTail ///< the same table for most names, thousands of rare ones for the rest
};

/// The kinds of names found on a desktop disk: photos, documents, source code, caches with
/// hash names, one-letter names, very long names, dot files and names in other scripts.
TNameParts MakeFileName(TRandom& random, TExtensions extensions);
std::string MakeFolderName(TRandom& random);

/// Apparent size: mostly small files, some medium ones and a thin tail up to a few GB.
std::uint64_t MakeFileSize(TRandom& random);

/// Age in seconds, spread evenly over the orders of magnitude from a minute to 15 years,
/// so every age group of the default configuration gets files.
std::int64_t MakeAgeSeconds(TRandom& random);

} // namespace quorvex::gentree
