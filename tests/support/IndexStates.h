#pragma once

#include "ScanPath.h"
#include "TextMetrics.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <memory>

class TextIndex;

// What the scan's tests and its fuzz target compare between scan paths.

// "uniform": every character 1 pixel wide, tab stops every 8. Otherwise
// advances that differ from character to character, 130 to 862 units (more
// than a byte holds), tab stops every 200.5 pixels; "kerned" adds kerning
// (some of it positive) on some ASCII pairs, drawn from `seed`.
std::shared_ptr<const TextMetrics> scanTestMetrics(const QString &kind, quint32 seed = 7);

// Everything the two indexes hold, in one list.
QList<qint64> indexState(const TextIndex &index);

// The states of an index built by `path` from `bytes` in blocks of the
// given lengths in turn: between some of the blocks, and at the end.
QList<qint64> indexedStates(ScanPath path, const QByteArray &bytes, const QList<qint64> &blocks,
                            const std::shared_ptr<const TextMetrics> &metrics);
