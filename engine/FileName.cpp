#include "FileName.h"

#include <QUrl>

namespace {

constexpr char16_t HeldByteBase = 0xDC00;

bool isContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// The length of the valid UTF-8 sequence at `at`, or 0 when the byte there
// starts none (overlong forms, surrogates and code points past U+10FFFF
// are invalid).
int sequenceLength(const QByteArray &bytes, qsizetype at)
{
    const auto byte = [&](qsizetype i) { return i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : 0; };
    const unsigned char lead = byte(at);
    int length = 0;
    unsigned char low = 0x80, high = 0xBF; // bounds of the second byte
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else
        return 0;
    if (byte(at + 1) < low || byte(at + 1) > high)
        return 0;
    for (int i = 2; i < length; ++i) {
        if (!isContinuation(byte(at + i)))
            return 0;
    }
    return length;
}

bool isHeldByte(QStringView name, qsizetype at)
{
    const char16_t c = name[at].unicode();
    return c >= HeldByteBase + 0x80 && c <= HeldByteBase + 0xFF && (at == 0 || !name[at - 1].isHighSurrogate());
}

} // namespace

QString FileName::fromBytes(const QByteArray &bytes)
{
    QString name;
    name.reserve(bytes.size());
    qsizetype runStart = 0;
    qsizetype at = 0;
    while (at < bytes.size()) {
        const int length = sequenceLength(bytes, at);
        if (length > 0) {
            at += length;
            continue;
        }
        name += QString::fromUtf8(bytes.constData() + runStart, at - runStart);
        name += QChar(char16_t(HeldByteBase + static_cast<unsigned char>(bytes[at])));
        runStart = ++at;
    }
    name += QString::fromUtf8(bytes.constData() + runStart, bytes.size() - runStart);
    return name;
}

QByteArray FileName::toBytes(const QString &name)
{
    QByteArray bytes;
    bytes.reserve(name.size());
    qsizetype runStart = 0;
    for (qsizetype at = 0; at < name.size(); ++at) {
        if (!isHeldByte(name, at))
            continue;
        bytes += QStringView(name).mid(runStart, at - runStart).toUtf8();
        bytes += char(name[at].unicode() - HeldByteBase);
        runStart = at + 1;
    }
    bytes += QStringView(name).mid(runStart).toUtf8();
    return bytes;
}

QString FileName::displayed(const QString &name)
{
    QString shown;
    shown.reserve(name.size());
    for (qsizetype at = 0; at < name.size(); ++at) {
        if (isHeldByte(name, at))
            shown += QStringLiteral("\\x") + QString::number(name[at].unicode() - HeldByteBase, 16).toUpper();
        else
            shown += name[at];
    }
    return shown;
}

std::optional<QString> FileName::fromLocalUrl(const QUrl &url)
{
    if (!url.isValid() || url.scheme() != QLatin1String("file"))
        return std::nullopt;
    const QString host = url.host();
    if (!host.isEmpty() && host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) != 0)
        return std::nullopt;
    const QByteArray path = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    if (path.isEmpty())
        return std::nullopt;
    return fromBytes(path);
}
