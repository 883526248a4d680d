#pragma once

#include "TextEncoding.h"

#include <QByteArrayView>
#include <QList>
#include <optional>

// Which encoding a text most likely is, when it is not code page 932: a
// proposal for the user, never a choice made for them.
//
// A byte-order mark at the start decides at once (EF BB BF UTF-8, FF FE
// UTF-16LE, FE FF UTF-16BE). Otherwise each encoding reads the samples and
// scores what it reads, per character: kana, CJK punctuation and
// full-width forms 1; the common kanji (JIS X 0208 level 1) 0.9; ASCII text
// 0.5; other kanji 0.2 (two ASCII letters read as UTF-16 are one, seldom a
// common one); half-width katakana 0.1; other characters 0; C0 controls
// other than tab, CR, LF and FF -1; C1 controls and invalid bytes -3 (a
// sequence cut off at a sample's end, or in the first 3 bytes of a sample
// that does not start the text, is not counted). The best mean score wins,
// code page 932 on ties and on any score below MinimumScore; code page 932
// winning means no hint. So binary files, European text in Latin-1 or
// Windows-1252 and code page 932 with stray bytes get no hint.
//
// At least MinimumSample bytes are needed (fewer give no hint); Japanese
// text is told apart from its first sentence.
class EncodingHint
{
public:
    static constexpr qsizetype MinimumSample = 16;
    // Bytes read from each sample at most.
    static constexpr qsizetype SampleLimit = 64 * 1024;
    static constexpr double MinimumScore = 0.25;

    // samples[0] is the text's start; the others are windows elsewhere in
    // the text (say, around bytes code page 932 found invalid), each at an
    // even offset, so that UTF-16 reads them in whole units.
    static std::optional<TextEncoding> of(const QList<QByteArrayView> &samples);
    static std::optional<TextEncoding> of(QByteArrayView start) { return of(QList<QByteArrayView>{start}); }

    // The mean score of the samples read in `encoding`.
    static double score(TextEncoding encoding, const QList<QByteArrayView> &samples);

private:
    static std::optional<TextEncoding> byteOrderMark(QByteArrayView start);
};
