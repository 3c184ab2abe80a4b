#pragma once

namespace quorvex {

/// Lets the scanning threads share two heaps of the C library instead of one each: a scan
/// that waits for the disk runs up to sixteen threads, and a heap per thread costs most of a
/// megabyte that stays until the program ends. Called once by main(), before any thread.
void ShareHeapsBetweenThreads();

} // namespace quorvex
