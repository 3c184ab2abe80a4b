#pragma once

#include "uDataCtrl.h"

#include <string>

namespace quorvex::test {

/// Every entry below `root` as "relative/path size" (folders end in "/", and a folder not
/// read completely adds " [reason]"), sorted, one per line, so a scanned tree compares with
/// an expected text whatever the listing order.
std::string DumpTree(const TDataInfo& root);

/// True when every folder's size equals the sum of its children's sizes.
bool TotalsConsistent(const TDataInfo& root);

/// Scans `root` with `threads` threads and describes the result: DumpTree, then one line per
/// problem ("problem /relative/path reason", sorted: the listing order is the kernel's), then
/// "total <bytes>". For scans in forked children, which report back as text.
std::string ScanReport(const std::string& root, int threads);

/// What two engines must agree on to hold the same tree: every entry in pre-order (children
/// in their order) relative to the root with kind, size, disk usage, groups, not-scanned state and
/// child count; EntryCount; the problems, sorted; the current folder and every sum over it (the
/// types in caption order: a live edit adds a new type after the others). Times
/// are left out (listing a folder may change its access time). Compare two of these texts.
std::string TreeFacts(TDataCtrl& ctrl);

/// Groups of the default configuration.
TGroupRanges DefaultRanges();

} // namespace quorvex::test
