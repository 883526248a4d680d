#pragma once

#include "CharacterKind.h"
#include "FindPath.h"
#include "FindPattern.h"

#include <QtGlobal>
#include <cstdint>
#include <optional>

// The search over plain bytes: pure functions of data[0, size) that read
// nothing outside it, by any runnable FindPath. Positions are byte offsets;
// characters are those of Cp932::characterLength on the data from 0.
namespace FindBytes {

// The first p in [from, to) at which data[p, p + pattern.size()) matches,
// with p + pattern.size() <= size; -1 when there is none. A match may start
// at any byte: pattern.startsCharacter is the caller's to check.
qint64 first(FindPath path, const std::uint8_t *data, qint64 size, qint64 from, qint64 to, const FindPattern &pattern);
// The last such p in [from, to).
qint64 last(FindPath path, const std::uint8_t *data, qint64 size, qint64 from, qint64 to, const FindPattern &pattern);

// The first character of `kind` that starts in [from, to); -1 when there is
// none. `from` must start a character. A character that starts before `to`
// may end after it.
qint64 firstCharacter(FindPath path, CharacterKind kind, const std::uint8_t *data, qint64 size, qint64 from, qint64 to);

// Whether the byte at `at` (0 <= at < size) starts a character, from at
// most `reach` bytes before it; std::nullopt when those do not tell (all of
// them may be lead bytes).
std::optional<bool> startsCharacter(const std::uint8_t *data, qint64 at, qint64 reach);

} // namespace FindBytes
