#pragma once

#include "uDataCtrl.h"

namespace quorvex {

class TBaseConfig;

/// The three range lists and the overflow caption of the configuration, read at the
/// moment of the call. Throws std::length_error, before reading any item, when a list holds
/// more items than the groups can (TDataCtrl::MaxGroups - 1), and EConvertError for a bound
/// that is no integer.
TGroupRanges ReadGroupRanges(TBaseConfig& config);

} // namespace quorvex
