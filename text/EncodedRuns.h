#pragma once

#include "EucJpCodec.h"
#include "Utf8Codec.h"

#include <QtGlobal>

// The scan's short cut for the encodings other than code page 932: a run of
// characters that need no look at what follows them (no control character,
// no line break, no tab, no ASCII where the font kerns it), whose advances
// are known (basicPlane[c] >= 0), taken in a tight loop that adds up their
// advances and counts. Each stops before the first character that is not
// such, or that would end past `end`; the scan's general step takes that
// one. Each returns where it stopped. The scan path chosen at start-up
// (ScanPath) picks the vector runs where the processor has them.
namespace EncodedRuns {

struct Sums
{
    const qint32 *basicPlane;
    bool kerned;
    qint64 x = 0;
    qint64 count = 0;

    // Adds the character c, if it may be taken here.
    bool take(char32_t c)
    {
        const qint32 advance = basicPlane[c];
        if (advance < 0 || c < 0x20 || (kerned && c < 0x7F))
            return false;
        x += advance;
        ++count;
        return true;
    }
};

// ASCII bytes, and the characters of `length` bytes that wide(p) reads
// (invalid: no such character at p), one after another.
template<class Wide>
qint64 asciiAndWide(const unsigned char *p, qint64 at, qint64 end, Sums &sums, qint64 length, Wide wide)
{
    while (at < end) {
        const unsigned char b = p[at];
        const bool ascii = b < 0x80;
        if (!ascii && at + length > end)
            break;
        const DecodedCharacter c = ascii ? DecodedCharacter{1, b, b != 0x7F} : wide(reinterpret_cast<const char *>(p + at));
        if (!c.valid || c.length != (ascii ? 1 : length) || !sums.take(c.codePoint))
            break;
        at += c.length;
    }
    return at;
}

// UTF-8's ASCII and three-byte characters (most of Japanese text).
inline qint64 utf8(const unsigned char *p, qint64 at, qint64 end, Sums &sums)
{
    return asciiAndWide(p, at, end, sums, 3, [](const char *c) { return Utf8Codec::read(c, 3); });
}

// EUC-JP's ASCII and two-byte JIS X 0208 characters.
inline qint64 eucJp(const EucJpCodec &codec, const unsigned char *p, qint64 at, qint64 end, Sums &sums)
{
    return asciiAndWide(p, at, end, sums, 2, [&codec](const char *c) {
        return EucJpCodec::isJisByte(quint8(c[0])) ? codec.read(c, 2) : DecodedCharacter{};
    });
}

template<bool BigEndian>
qint64 utf16(const unsigned char *p, qint64 at, qint64 end, Sums &sums)
{
    for (; at + 2 <= end; at += 2) {
        const char16_t u = BigEndian ? char16_t(p[at] << 8 | p[at + 1]) : char16_t(p[at] | p[at + 1] << 8);
        if ((u >= 0xD800 && u <= 0xDFFF) || u == 0x7F || !sums.take(u))
            break;
    }
    return at;
}

#if defined(__x86_64__) || defined(__i386__)
// The same runs 32 bytes at a time (EncodedRuns*Avx2.cpp), each ending in
// the plain one above; only where the processor has HEXMOTH_AVX2_FEATURES.
qint64 utf8Avx2(const unsigned char *p, qint64 at, qint64 end, Sums &sums);
qint64 eucJpAvx2(const EucJpCodec &codec, const unsigned char *p, qint64 at, qint64 end, Sums &sums);
qint64 utf16Avx2(bool bigEndian, const unsigned char *p, qint64 at, qint64 end, Sums &sums);
#else
// Never chosen elsewhere; the plain runs keep the callers free of #if.
inline qint64 utf8Avx2(const unsigned char *p, qint64 at, qint64 end, Sums &sums) { return utf8(p, at, end, sums); }
inline qint64 eucJpAvx2(const EucJpCodec &codec, const unsigned char *p, qint64 at, qint64 end, Sums &sums) { return eucJp(codec, p, at, end, sums); }
inline qint64 utf16Avx2(bool bigEndian, const unsigned char *p, qint64 at, qint64 end, Sums &sums)
{
    return bigEndian ? utf16<true>(p, at, end, sums) : utf16<false>(p, at, end, sums);
}
#endif

} // namespace EncodedRuns
