#pragma once

#include "uEntryRemoval.h"

#include <vector>

class QWidget;

namespace quorvex {

class TDataInfo;

/// One trash or delete command over `entries`, as every window runs it: the question with
/// their count and bytes (No by default), the removal in a safe order with the same-entry
/// check, and one message naming what stayed. Message boxes open over `owner`. Returns the
/// entries that left the disk, sorted by address (for LeftWith); empty when the user said no.
std::vector<const TDataInfo*> RunRemoval(QWidget* owner, ERemoval how,
                                         const std::vector<const TDataInfo*>& entries);

} // namespace quorvex
