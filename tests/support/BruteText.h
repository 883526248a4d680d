#pragma once

#include "LineIndex.h"
#include "TextEncoding.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <memory>
#include <vector>

class FileText;
class LineLayout;
class TextMetrics;
class TextNavigator;

// A text's lines and characters found by brute force, one character after
// another from its first byte by its encoding's codec, and the checks of the
// navigator and the layout against them. Each check returns the first
// difference it finds, empty for none.
struct BruteText
{
    BruteText(const QByteArray &bytes, TextEncoding encoding);

    QByteArray bytes;
    TextEncoding encoding;
    std::vector<LineIndex::Span> lines;
    std::vector<qint64> characterStarts; // every character, CR and LF apart
    std::vector<qint64> positions;       // the same but the LF of a CR LF
    std::vector<qint64> countBefore;     // of each position, as a text box counts
    qint64 count = 0;
};

QString checkLines(const BruteText &brute, const TextNavigator &text, const std::vector<qint64> &at);
QString checkCharacters(const BruteText &brute, const TextNavigator &text, const std::vector<qint64> &at);
// Every line's x stepped from its start by the layout rule, the layout asked
// at every `stride`-th byte or so; and the widest line.
QString checkLayout(const BruteText &brute, const LineLayout &layout, qint64 stride);

// `bytes` read in `encoding` as a switch of encoding leaves them: the run's
// code page 932 text (in blocks of `runBlock`), read again by indexMore()
// in the steps given, then the rest at once.
std::shared_ptr<const FileText> encodedText(const QByteArray &bytes, TextEncoding encoding, qint64 runBlock,
                                            const QList<qint64> &steps, std::shared_ptr<const TextMetrics> metrics);
