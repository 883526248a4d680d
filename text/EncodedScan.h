#pragma once

#include "CharacterIndex.h"
#include "EncodedRuns.h"
#include "LineIndex.h"
#include "TextCodec.h"

#include <QtGlobal>
#include <vector>

// Builds the LineIndex and CharacterIndex of a text in an encoding other
// than code page 932 (never made for it), a character at a time by its codec (TextCodec): the
// reference for these encodings, with short cuts for runs of plain
// characters (EncodedRuns), by AVX2 where the scan path chosen
// (activeScanPath()) has it. The whole text is at hand, so each
// character, and each CR LF, is taken whole: a scan never stops inside one.
class EncodedScan
{
public:
    explicit EncodedScan(TextEncoding encoding);

    // Takes in every character of text[0..size) that starts before `to`,
    // from where the last call ended, into both indexes. Returns where it
    // ended: `to`, or the end of the character or CR LF that crosses it.
    qint64 extend(LineIndex &lines, CharacterIndex &characters, const char *text, qint64 size, qint64 to);

private:
    struct Character
    {
        qint64 length;
        char32_t codePoint;
        bool lineBreak;
    };
    qint64 scanUtf16(const char *text, qint64 size, qint64 to);
    template<class Read, class Run, class VectorRun>
    qint64 scanEither(const char *text, qint64 size, qint64 to, Read read, Run run, VectorRun vectorRun);
    template<class Read, class Run>
    qint64 scan(const char *text, qint64 size, qint64 to, Read read, Run run);
    template<class CharacterAt>
    qint64 step(qint64 at, qint64 size, const CharacterAt &characterAt, EncodedRuns::Sums &sums);
    void recordCheckpoints(qint64 start, qint64 end, qint64 before, qint64 x);
    void endLine(qint64 at, qint64 next, qint64 width);
    void publish(LineIndex &lines, CharacterIndex &characters);

    const TextCodec &m_codec;
    bool m_vector; // the runs by AVX2: the path chosen is AVX2 or AVX-512

    qint64 m_scanned = 0;
    // The line index's state.
    qint64 m_knownLines = 1;
    qint64 m_lastStart = 0;
    qint64 m_lastLineCheckpoint = 0;
    qint64 m_longest = 0;
    std::vector<LineIndex::Checkpoint> m_newLines;
    // The character index's state.
    qint64 m_characters = 0;
    qint64 m_x = 0;
    qint64 m_widest = 0;
    qint64 m_nextCheckpoint = 0; // its byte: the next multiple of BytesPerCheckpoint
    std::vector<CharacterIndex::Checkpoint> m_newCharacters;
    const TextMetrics *m_metrics = nullptr;
};
