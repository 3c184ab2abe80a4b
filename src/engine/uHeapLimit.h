#pragma once

namespace quorvex {

/// Sets up the C library's heaps for this program: two shared by all threads instead of one
/// each, and big blocks kept for reuse instead of handed back to the system at once. Called
/// once by main(), before any thread.
void TuneHeaps();

} // namespace quorvex
