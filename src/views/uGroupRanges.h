#pragma once

#include "uDataCtrl.h"

namespace quorvex {

class TBaseConfig;

/// The three range lists and the overflow caption of the configuration, read at the
/// moment of the call.
TGroupRanges ReadGroupRanges(TBaseConfig& config);

} // namespace quorvex
