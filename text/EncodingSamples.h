#pragma once

#include <QByteArrayView>
#include <QList>

class FileText;

// What EncodingHint is given of a text read as code page 932: its start,
// and a window around the first byte code page 932 finds invalid after
// each of a few points spread evenly over the rest of the text. Each point
// is searched for a bounded stretch only, so the bytes read stay under
// StartBytes + Points * SearchBytes whatever the text's size. Windows start
// at even offsets, so that UTF-16 reads them in whole units.
class EncodingSamples
{
public:
    static constexpr qsizetype StartBytes = 64 * 1024;
    static constexpr int Points = 4;
    static constexpr qsizetype SearchBytes = 64 * 1024;
    static constexpr qsizetype WindowBytes = 4 * 1024;
    // Of a window, the bytes before the invalid byte.
    static constexpr qsizetype WindowLead = 256;

    // Views of `text`'s bytes, the start first; empty for an empty text.
    static QList<QByteArrayView> of(const FileText &text);
};
