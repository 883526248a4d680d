#pragma once

#include <QString>
#include <QtGlobal>

// Appends bytes[0..n) as uppercase two-digit hex, 16 to a line: a space
// between two bytes of a line, an LF between lines. `index` is the place of
// bytes[0] among all the bytes so written, so a long run can be appended
// in parts; the first byte (index 0) has nothing before it.
void appendHexBytes(QString &out, const char *bytes, qint64 n, qint64 index = 0);
