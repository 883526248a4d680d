#pragma once

#include <QString>
#include <QStringList>

// Turns a file-type filter written as "description|pattern|description|pattern"
// (patterns inside one pair separated by ";") into the name filters of a
// QFileDialog, in the same order: "description (patterns)". The dialog shows
// only the description when asked to hide filter details.
//
// "*.*" is taken to mean every file, as its description says, so it becomes
// "*": as a wildcard it would skip names without a dot. A description without
// a pattern matches every file; empty descriptions and trailing "|" are
// ignored.
class NameFilters
{
public:
    static QStringList fromPipeList(const QString &filter);

private:
    static QString patternsFor(const QString &patterns);
};
