#pragma once

#include "uScanTypes.h"

#include <functional>

namespace quorvex {

class TWaitForm;

/// Runs a scan on a worker thread while this (the user-interface) thread keeps painting the
/// wait window with the live counts; the wait window's Cancel stops the scan. Returns when the
/// scan has ended and rethrows what it threw. The caller empties every view that references
/// the tree before, and nothing else may touch the engine until this returns.
void RunScanInBackground(const std::function<void(IScanObserver&)>& scan, TWaitForm* wait);

} // namespace quorvex
