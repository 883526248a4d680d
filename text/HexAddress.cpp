#include "HexAddress.h"

#include <limits>

QString formatAddress(qint64 address)
{
    return QStringLiteral("%1").arg(address, 8, 16, QLatin1Char('0')).toUpper();
}

namespace {

std::optional<int> hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return std::nullopt;
}

AddressEntry failure(const QString &error)
{
    return {std::nullopt, error};
}

} // namespace

AddressEntry parseAddress(QStringView input, qint64 size)
{
    // Full-width digits and letters, as a Japanese input method types them.
    const QString normalized = input.toString().normalized(QString::NormalizationForm_KC).trimmed();
    QStringView digits(normalized);
    if (digits.startsWith(u"0x", Qt::CaseInsensitive))
        digits = digits.mid(2);
    if (normalized.isEmpty())
        return failure(QStringLiteral("アドレスを16進数で入力してください。"));
    if (digits.isEmpty())
        return failure(QStringLiteral("「0x」の後に16進数の数字がありません。"));
    constexpr quint64 Largest = quint64(std::numeric_limits<qint64>::max());
    quint64 value = 0;
    for (QChar c : digits) {
        const std::optional<int> digit = hexDigit(c);
        if (!digit)
            return failure(QStringLiteral("「%1」は16進数の数字ではありません。0-9 と A-F で入力してください。").arg(c));
        if (value > (Largest - quint64(*digit)) / 16)
            return failure(QStringLiteral("アドレスが大きすぎます。最後のアドレスは %1 です。").arg(formatAddress(size)));
        value = value * 16 + quint64(*digit);
    }
    if (qint64(value) > size)
        return failure(QStringLiteral("アドレス %1 はテキストの終わり (%2) より後です。").arg(formatAddress(qint64(value)), formatAddress(size)));
    return {qint64(value), QString()};
}
