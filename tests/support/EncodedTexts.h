#pragma once

#include "TextEncoding.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// Text in each encoding, made by converters other than the program's own:
// Qt's for UTF-8 and UTF-16, the system's iconv for code page 932 and EUC-JP.
QByteArray encodedAs(const QString &text, TextEncoding encoding);

// Japanese sentences of every kind the hint must tell apart: kana, kanji,
// katakana words, mixed with ASCII.
QStringList japaneseSentences();
