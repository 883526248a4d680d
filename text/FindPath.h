#pragma once

#include <optional>
#include <vector>

// How the search goes through a text's bytes. Every path finds the same
// matches; they differ in speed. Plain is the byte-at-a-time search the
// others are checked against; Memchr lets the C library find a pattern's
// bytes and skips ASCII a word at a time; the others filter 32 or 64 bytes
// at a time with the vector instructions they are named after (x86 only).
enum class FindPath { Plain, Memchr, Avx2, Avx512 };

// The paths this processor can run, Plain first, fastest last.
const std::vector<FindPath> &runnableFindPaths();
// The path searches take: the fastest runnable one, unless overridden.
FindPath activeFindPath();
// Forces a runnable path (tests, benchmarks); std::nullopt goes back to
// the fastest.
void overrideFindPath(std::optional<FindPath> path);
const char *findPathName(FindPath path);
