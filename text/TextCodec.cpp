#include "TextCodec.h"

#include "Cp932Codec.h"
#include "EucJpCodec.h"
#include "Utf16Codec.h"
#include "Utf8Codec.h"

qsizetype TextCodec::characterStart(const char *text, qsizetype size, qsizetype p, qsizetype knownStart) const
{
    qsizetype from = p;
    while (from > knownStart && !alwaysStarts(quint8(text[from])))
        --from;
    for (;;) {
        const qsizetype length = characterLength(text + from, size - from);
        if (from + length > p)
            return from;
        from += length;
    }
}

qsizetype TextCodec::lineBreakLength(const char *data, qsizetype n) const
{
    const DecodedCharacter c = characterAt(data, n);
    if (c.valid && c.codePoint == '\n')
        return c.length;
    if (!c.valid || c.codePoint != '\r')
        return 0;
    if (c.length < n) {
        const DecodedCharacter next = characterAt(data + c.length, n - c.length);
        if (next.valid && next.codePoint == '\n')
            return c.length + next.length;
    }
    return c.length;
}

qsizetype TextCodec::byteOrderMarkLength(const char *data, qsizetype n) const
{
    if (n <= 0)
        return 0;
    const DecodedCharacter c = characterAt(data, n);
    return c.valid && c.codePoint == ByteOrderMark ? c.length : 0;
}

QString TextCodec::decode(const char *data, qsizetype n, bool atTextStart) const
{
    QString text;
    text.reserve(n);
    qsizetype i = atTextStart ? byteOrderMarkLength(data, n) : 0;
    while (i < n) {
        const DecodedCharacter c = characterAt(data + i, n - i);
        const char32_t ucs4 = c.codePoint;
        text.append(QStringView(QChar::fromUcs4(ucs4)));
        i += c.length;
    }
    return text;
}

const TextCodec &textCodec(TextEncoding encoding)
{
    static const Cp932Codec cp932;
    static const Utf8Codec utf8;
    static const EucJpCodec eucJp;
    static const Utf16Codec utf16Le(Utf16Codec::LittleEndian);
    static const Utf16Codec utf16Be(Utf16Codec::BigEndian);
    switch (encoding) {
    case TextEncoding::Cp932: return cp932;
    case TextEncoding::Utf8: return utf8;
    case TextEncoding::EucJp: return eucJp;
    case TextEncoding::Utf16Le: return utf16Le;
    case TextEncoding::Utf16Be: return utf16Be;
    }
    Q_UNREACHABLE();
}
