#pragma once

#include "FixtureTree.h"
#include "uDataCtrl.h"
#include "uTreemapLayout.h"

#include <memory>
#include <string>
#include <vector>

namespace quorvex::test {

/// A fixture tree written from its description into a temporary folder and scanned.
struct TScannedTree {
    explicit TScannedTree(const std::vector<std::string>& lines);
    const TDataInfo& Root() const { return *Ctrl.Root(); }
    TempDir Dir;
    TDataCtrl Ctrl;
};

/// `depth` folders "d" nested in `top`, the deepest holding the file `leaf` of 4096 bytes.
void MakeChain(const std::filesystem::path& top, int depth, const char* leaf);

/// For each tile, the index of the tile it is nested in (-1 for the first), from the
/// pre-order and the depths.
std::vector<int> ParentTiles(const TTreemapLayout& layout);

/// The rectangle a folder tile leaves to its content (inside the frame, if any).
TTreemapTile InnerOf(const TTreemapTile& folder);

} // namespace quorvex::test
