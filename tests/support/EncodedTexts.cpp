#include "EncodedTexts.h"

#include <QRandomGenerator>
#include <QStringEncoder>
#include <iconv.h>
#include <stdexcept>

namespace {

QByteArray throughIconv(const QString &text, const char *to)
{
    iconv_t cd = iconv_open(to, "UTF-8");
    if (cd == iconv_t(-1))
        throw std::runtime_error("no iconv converter");
    QByteArray in = text.toUtf8();
    QByteArray out(in.size() * 2 + 16, '\0');
    char *inPtr = in.data();
    char *outPtr = out.data();
    size_t inLeft = size_t(in.size());
    size_t outLeft = size_t(out.size());
    const size_t result = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (result == size_t(-1))
        throw std::runtime_error("iconv cannot convert the text");
    out.truncate(out.size() - qsizetype(outLeft));
    return out;
}

} // namespace

QByteArray encodedAs(const QString &text, TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Cp932: return throughIconv(text, "CP932");
    case TextEncoding::EucJp: return throughIconv(text, "EUC-JP");
    case TextEncoding::Utf8: return QStringEncoder(QStringConverter::Utf8).encode(text);
    case TextEncoding::Utf16Le: return QStringEncoder(QStringConverter::Utf16LE).encode(text);
    case TextEncoding::Utf16Be: return QStringEncoder(QStringConverter::Utf16BE).encode(text);
    }
    return {};
}

QStringList japaneseSentences()
{
    return {
        QStringLiteral("今日は朝から雨が降っていたので、駅まで傘をさして歩きました。"),
        QStringLiteral("このファイルは設定を保存するためのものです。編集しないでください。"),
        QStringLiteral("会議の資料を明日までに送ってください。"),
        QStringLiteral("東京都の人口は約千四百万人です。"),
        QStringLiteral("エラー：ファイルが見つかりません"),
        QStringLiteral("コンピュータ、プログラム、データベース"),
        QStringLiteral("情報処理技術者試験合格証書"),
        QStringLiteral("README の日本語版です (version 2.1)"),
        QStringLiteral("name=山田太郎, age=42, city=大阪"),
    };
}

QString withReplacementRunsAsOne(const QString &text)
{
    QString result;
    for (char32_t c : text.toUcs4()) {
        if (c != 0xFFFD || !result.endsWith(QChar(0xFFFD)))
            result.append(QStringView(QChar::fromUcs4(c)));
    }
    return result;
}

QByteArray mixedEncodedText(TextEncoding encoding, quint32 seed, qsizetype pieces)
{
    QRandomGenerator random(seed);
    const bool unicode = encoding != TextEncoding::Cp932 && encoding != TextEncoding::EucJp;
    const QString sentences = japaneseSentences().join(unicode ? QStringLiteral("\r\n\U0001F600\r") : QStringLiteral("\r\n\r"));
    QByteArray bytes;
    for (qsizetype i = 0; i < pieces; ++i) {
        const qsizetype at = random.bounded(sentences.size() - 4);
        const QByteArray piece = encodedAs(sentences.mid(at, random.bounded(1, 4)), encoding);
        switch (random.bounded(4)) {
        case 0: bytes += char(random.bounded(256)); break;
        case 1: bytes += piece.left(random.bounded(1, qMax(2, int(piece.size())))); break;
        default: bytes += piece; break;
        }
    }
    return bytes;
}
