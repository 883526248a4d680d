#pragma once

#include "LineIndex.h"

#include <QString>
#include <vector>

class FileText;

// Lines, characters and cursor positions of a FileText, for a view that
// shows a part of it. A position (a BytePosition) starts a character, or is
// the text's end. Every query costs O(log n) plus a scan of a few
// kilobytes at most, whatever the size of the text and of its lines.
// Cheap to make; holds a reference to the text.
class TextNavigator
{
public:
    using Span = LineIndex::Span;

    explicit TextNavigator(const FileText &text);

    // The text's size in bytes, and the position of its end.
    qint64 size() const;
    BytePosition end() const { return BytePosition(size()); }
    const char *data() const;
    LineNumber lineCount() const;
    qint64 longestLineLength() const;
    BytePosition lineStart(LineNumber line) const;
    BytePosition lineEnd(LineNumber line) const;
    // Up to `count` lines from `first` on; fewer at the end.
    std::vector<Span> lines(LineNumber first, qint64 count) const;
    // The line that holds the byte at `at` (0 <= at <= end()).
    LineNumber lineOf(BytePosition at) const;

    // Start of the character that holds the byte at `at`; end() at or past
    // the end.
    BytePosition characterStart(BytePosition at) const;
    // The position at or before the byte at `at`: a character start, and
    // never the LF of a CR LF.
    BytePosition positionNear(BytePosition at) const;
    // One character on or back; a CR LF is one step.
    BytePosition positionAfter(BytePosition position) const;
    BytePosition positionBefore(BytePosition position) const;

    // Characters as a text box counts them: every character one (a
    // character beyond the Basic Multilingual Plane two, its UTF-16
    // units), a line break (CR LF, LF or CR) one.
    CharacterCount characterCount() const;
    // Characters before `position`.
    CharacterCount charactersBefore(BytePosition position) const;
    // The position after `count` characters; the end past the last.
    BytePosition positionAfterCharacters(CharacterCount count) const;
    // The characters of [from, to), both positions.
    QString decode(BytePosition from, BytePosition to) const;
    // The same with every line break (CR LF, LF or CR) as one LF, as a
    // text box gives its lines.
    QString plainText(BytePosition from, BytePosition to) const;
    // plainText() as it is copied: without a byte-order mark at the text's
    // start, which shows as nothing and is no part of what the user reads.
    QString copiedText(BytePosition from, BytePosition to) const;

private:
    struct Step
    {
        BytePosition next;
        qint64 units; // characters as counted
    };
    Step step(BytePosition position) const;
    BytePosition startOfStep(BytePosition checkpoint) const;
    // Whether a CR LF's LF unit is at `at` (0 < at < end()).
    bool isLfOfCrLf(BytePosition at) const;
    // The break unit at `at`, which must be in the text.
    char16_t unitAt(BytePosition at) const;
    qint64 unitBytes() const;

    const FileText &m_text;
};
