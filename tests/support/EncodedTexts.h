#pragma once

#include "TextEncoding.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// Text in each encoding, made by converters other than the program's own:
// Qt's for UTF-8 and UTF-16, the system's iconv for code page 932 and EUC-JP.
QByteArray encodedAs(const QString &text, TextEncoding encoding);

// Random bytes in pieces: whole characters of the encoding (Japanese, and
// in UTF-8 and UTF-16 one beyond the Basic Multilingual Plane), cut-off
// characters, line breaks and stray bytes, so that every kind of sequence
// meets every other.
QByteArray mixedEncodedText(TextEncoding encoding, quint32 seed, qsizetype pieces = 4000);

// Japanese sentences of every kind the hint must tell apart: kana, kanji,
// katakana words, mixed with ASCII.
QStringList japaneseSentences();

// `text` with lone surrogates as U+FFFD and each run of U+FFFD as one: Qt's
// decoders and ours then read alike, though Qt writes one U+FFFD for some
// ill-formed sequences where ours writes one per maximal subpart.
QString withReplacementRunsAsOne(const QString &text);
