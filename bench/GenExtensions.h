#pragma once

#include "GenNames.h"
#include "GenRandom.h"

#include <string>

namespace quorvex::gentree {

/// A name with one of the rarer extensions of a real root, for `--extensions longtail`. The
/// extension comes from a ranked vocabulary of about 200,000 drawn with Zipf-like weights,
/// so a few hundred appear often and thousands once or twice; the vocabulary is the same
/// for every seed. Versioned libraries also get a "lib" stem.
TNameParts MakeRareName(std::string stem, TRandom& random);

} // namespace quorvex::gentree
