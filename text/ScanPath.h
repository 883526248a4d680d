#pragma once

#include <optional>
#include <vector>

// How a text's bytes are scanned into its index. Every path yields the same
// index; they differ in speed. Reference is the byte-at-a-time scan the
// others are checked against; Plain builds on any processor; the others use
// the vector instructions they are named after (x86 only).
enum class ScanPath { Reference, Plain, Sse2, Avx2, Avx512 };

// The paths this processor can run, Reference first, fastest last.
const std::vector<ScanPath> &runnableScanPaths();
// The path new indexes use: the fastest runnable one, unless overridden.
ScanPath activeScanPath();
// Forces a runnable path for indexes made from now on (tests, benchmarks);
// std::nullopt goes back to the fastest.
void overrideScanPath(std::optional<ScanPath> path);
const char *scanPathName(ScanPath path);
