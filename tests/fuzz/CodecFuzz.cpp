#include "EncodedTexts.h"
#include "FuzzInput.h"
#include "TextCodec.h"

#include <QStringDecoder>
#include <vector>

// Each codec over bytes the input gives: its characters cover every byte
// once and decode as the whole does; the start of the character that holds
// any byte, from a known start the input picks, is the one a walk from the
// text's start finds; and the UTF codecs find invalid bytes where Qt's
// decoders do.

namespace {

std::vector<qsizetype> walk(const TextCodec &codec, const QByteArray &bytes)
{
    std::vector<qsizetype> starts;
    QString pieces;
    for (qsizetype i = 0; i < bytes.size();) {
        const qsizetype length = codec.characterLength(bytes.constData() + i, bytes.size() - i);
        if (length < 1 || length > bytes.size() - i)
            fuzzFinding(QStringLiteral("%1: a character of %2 bytes at %3").arg(codec.name()).arg(length).arg(i));
        pieces += codec.decode(bytes.constData() + i, length, i == 0);
        starts.push_back(i);
        i += length;
    }
    if (pieces != codec.decode(bytes.constData(), bytes.size(), true))
        fuzzFinding(QStringLiteral("%1: the characters one at a time decode otherwise than the whole").arg(codec.name()));
    return starts;
}

void checkStarts(const TextCodec &codec, const QByteArray &bytes, const std::vector<qsizetype> &starts, unsigned knownChoice)
{
    const qsizetype known = starts.empty() ? 0 : starts[knownChoice % starts.size()];
    for (std::size_t s = 0; s < starts.size(); ++s) {
        const qsizetype end = s + 1 < starts.size() ? starts[s + 1] : bytes.size();
        for (qsizetype p = std::max(starts[s], known); p < end; ++p)
            if (codec.characterStart(bytes.constData(), bytes.size(), p, known) != starts[s])
                fuzzFinding(QStringLiteral("%1: the start of the character at %2 from %3").arg(codec.name()).arg(p).arg(known));
    }
}

void checkAgainstQt(TextEncoding encoding, const QByteArray &bytes)
{
    QStringConverter::Encoding qtEncoding;
    switch (encoding) {
    case TextEncoding::Utf8: qtEncoding = QStringConverter::Utf8; break;
    case TextEncoding::Utf16Le: qtEncoding = QStringConverter::Utf16LE; break;
    case TextEncoding::Utf16Be: qtEncoding = QStringConverter::Utf16BE; break;
    default: return;
    }
    // Qt 6.4 writes nothing at all for a single byte of UTF-16.
    if (encoding != TextEncoding::Utf8 && bytes.size() == 1)
        return;
    QStringDecoder qt(qtEncoding, QStringConverter::Flag::Stateless);
    const QString theirs = qt.decode(bytes);
    const QString ours = textCodec(encoding).decode(bytes.constData(), bytes.size(), true);
    if (withReplacementRunsAsOne(ours) != withReplacementRunsAsOne(theirs))
        fuzzFinding(QStringLiteral("%1 decodes otherwise than Qt's").arg(textCodec(encoding).name()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzInput input(data, size);
    const TextEncoding encoding = AllTextEncodings[input.take(std::size(AllTextEncodings))];
    const unsigned knownChoice = input.take(65536);
    const QByteArray bytes = input.rest();
    const TextCodec &codec = textCodec(encoding);
    checkStarts(codec, bytes, walk(codec, bytes), knownChoice);
    checkAgainstQt(encoding, bytes);
    return 0;
}
