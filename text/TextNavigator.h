#pragma once

#include "LineIndex.h"

#include <QString>
#include <vector>

class FileText;

// Lines, characters and cursor positions of a FileText, for a view that
// shows a part of it. A position is a byte offset that starts a character,
// or the text's end. Every query costs O(log n) plus a scan of a few
// kilobytes at most, whatever the size of the text and of its lines.
// Cheap to make; holds a reference to the text.
class TextNavigator
{
public:
    using Span = LineIndex::Span;

    explicit TextNavigator(const FileText &text);

    qint64 size() const;
    const char *data() const;
    qint64 lineCount() const;
    qint64 longestLineLength() const;
    qint64 lineStart(qint64 line) const;
    qint64 lineEnd(qint64 line) const;
    // Up to `count` lines from `first` on; fewer at the end.
    std::vector<Span> lines(qint64 first, qint64 count) const;
    // The line that holds `offset` (0 <= offset <= size()).
    qint64 lineOf(qint64 offset) const;

    // Start of the character that holds the byte at `offset`; size() at or
    // past the end.
    qint64 characterStart(qint64 offset) const;
    // The position at or before `offset`: a character start, and never the
    // LF of a CR LF.
    qint64 positionNear(qint64 offset) const;
    // One character on or back; a CR LF is one step.
    qint64 positionAfter(qint64 position) const;
    qint64 positionBefore(qint64 position) const;

    // Characters as a text box counts them: every character one, a line
    // break (CR LF, LF or CR) one.
    qint64 characterCount() const;
    // Characters before `position`.
    qint64 charactersBefore(qint64 position) const;
    // The position after `count` characters; the end past the last.
    qint64 positionAfterCharacters(qint64 count) const;
    // The characters of [from, to), both positions.
    QString decode(qint64 from, qint64 to) const;
    // The same with every line break (CR LF, LF or CR) as one LF, as a
    // text box gives its lines.
    QString plainText(qint64 from, qint64 to) const;

private:
    qint64 startOfStep(qint64 anchor) const;

    const FileText &m_text;
};
