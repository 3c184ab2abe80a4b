#pragma once

#include "uTypeIndex.h"

namespace quorvex {

class TDataCtrl;
class TDataInfo;

/// Moves the engine's sums over the folder shown along with an edit below that folder, entry
/// by entry, so a small edit costs what it touches instead of a walk over the whole subtree
/// shown. Entries are counted with the groups they hold at the call: take them out before an
/// edit changes them, count them in again after. A type first met here comes after the
/// others; Finish drops the types left without entries.
class TSumsEdit {
public:
    explicit TSumsEdit(TDataCtrl& ctrl);
    TSumsEdit(const TSumsEdit&) = delete;
    TSumsEdit& operator=(const TSumsEdit&) = delete;

    /// Counts `entry` in (`sign` 1) or takes it out (-1).
    void Count(const TDataInfo& entry, int sign);
    /// The same for every entry below `top` (not `top` itself).
    void Below(TDataInfo& top, int sign);
    /// The same for `from` and every folder above it, up to `stop` (not included).
    void Chain(TDataInfo* from, const TDataInfo* stop, int sign);
    void Finish();

private:
    TDataCtrl& FCtrl;
    TTypeIndex FTypes;
};

} // namespace quorvex
