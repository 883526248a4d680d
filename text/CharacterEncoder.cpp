#include "CharacterEncoder.h"

#include "Cp932.h"
#include "Cp932Area.h"
#include "TextCodec.h"

#include <QStringEncoder>

namespace {

QByteArray bytesOf(std::initializer_list<int> bytes)
{
    QByteArray form;
    for (int b : bytes)
        form += char(b);
    return form;
}

// Double-byte leads in the order their forms are preferred: NEC-selected
// IBM (ED, EE) last, as converters write IBM's form of those.
std::vector<int> cp932Leads()
{
    std::vector<int> leads;
    for (int lead = 0x81; lead <= 0xFC; ++lead)
        if (Cp932::isLeadByte(std::uint8_t(lead)) && lead != 0xED && lead != 0xEE)
            leads.push_back(lead);
    leads.push_back(0xED);
    leads.push_back(0xEE);
    return leads;
}

QHash<char16_t, QByteArray> cp932Forms()
{
    const Cp932 &cp932 = Cp932::instance();
    QHash<char16_t, QByteArray> forms;
    for (int b = 0; b < 0x100; ++b)
        if (cp932.singleByte(std::uint8_t(b)) != Cp932::Replacement)
            forms.insert(cp932.singleByte(std::uint8_t(b)), bytesOf({b}));
    for (int lead : cp932Leads())
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            const char16_t c = Cp932::isTrailByte(std::uint8_t(trail)) ? cp932.doubleByte(std::uint8_t(lead), std::uint8_t(trail)) : Cp932::Replacement;
            if (c != Cp932::Replacement && !forms.contains(c))
                forms.insert(c, bytesOf({lead, trail}));
        }
    // Text pasted from where JIS's own mapping was used (〜 U+301C for ～).
    for (int lead : cp932Leads())
        for (int trail = 0x40; trail <= 0xFC; ++trail)
            if (const auto other = jisShiftJisDifference(std::uint8_t(lead), std::uint8_t(trail)); other && !forms.contains(*other))
                forms.insert(*other, bytesOf({lead, trail}));
    return forms;
}

// Every sequence the codec reads as a character, the first form kept.
QHash<char16_t, QByteArray> eucJpForms()
{
    const TextCodec &codec = textCodec(TextEncoding::EucJp);
    QHash<char16_t, QByteArray> forms;
    const auto add = [&](const QByteArray &form) {
        const DecodedCharacter c = codec.characterAt(form.constData(), form.size());
        if (c.valid && c.length == form.size() && c.codePoint <= 0xFFFF && !forms.contains(char16_t(c.codePoint)))
            forms.insert(char16_t(c.codePoint), form);
    };
    for (int b = 0; b < 0xA0; ++b)
        add(bytesOf({b}));
    for (int b = 0xA1; b <= 0xDF; ++b)
        add(bytesOf({0x8E, b}));
    for (int prefix : {-1, 0x8F})
        for (int first = 0xA1; first <= 0xFE; ++first)
            for (int second = 0xA1; second <= 0xFE; ++second)
                add(prefix < 0 ? bytesOf({first, second}) : bytesOf({prefix, first, second}));
    return forms;
}

// Code page 932's signs that JIS maps otherwise, in their JIS X 0208 form.
void addCp932Signs(QHash<char16_t, QByteArray> &forms)
{
    const Cp932 &cp932 = Cp932::instance();
    for (int lead : cp932Leads())
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            const auto jis = jisShiftJisDifference(std::uint8_t(lead), std::uint8_t(trail));
            const char16_t c = jis ? cp932.doubleByte(std::uint8_t(lead), std::uint8_t(trail)) : Cp932::Replacement;
            if (jis && !forms.contains(c) && forms.contains(*jis))
                forms.insert(c, forms.value(*jis));
        }
}

QStringConverter::Encoding unicodeEncoding(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf16Le: return QStringConverter::Utf16LE;
    case TextEncoding::Utf16Be: return QStringConverter::Utf16BE;
    default: return QStringConverter::Utf8;
    }
}

} // namespace

CharacterEncoder::CharacterEncoder(TextEncoding encoding)
    : m_encoding(encoding)
{
    if (encoding == TextEncoding::Cp932)
        m_forms = cp932Forms();
    if (encoding == TextEncoding::EucJp) {
        m_forms = eucJpForms();
        addCp932Signs(m_forms);
    }
}

// Each made when first asked for: a search in one encoding builds no table of another.
const CharacterEncoder &CharacterEncoder::of(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Cp932: { static const CharacterEncoder cp932(encoding); return cp932; }
    case TextEncoding::Utf8: { static const CharacterEncoder utf8(encoding); return utf8; }
    case TextEncoding::EucJp: { static const CharacterEncoder eucJp(encoding); return eucJp; }
    case TextEncoding::Utf16Le: { static const CharacterEncoder utf16Le(encoding); return utf16Le; }
    case TextEncoding::Utf16Be: { static const CharacterEncoder utf16Be(encoding); return utf16Be; }
    }
    Q_UNREACHABLE();
}

bool CharacterEncoder::append(char32_t c, std::vector<std::uint8_t> &out) const
{
    if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF)
        return false;
    QByteArray form;
    if (m_encoding == TextEncoding::Cp932 || m_encoding == TextEncoding::EucJp) {
        form = c <= 0xFFFF ? m_forms.value(char16_t(c)) : QByteArray();
    } else {
        QStringEncoder encoder(unicodeEncoding(m_encoding), QStringConverter::Flag::Stateless);
        form = encoder.encode(QStringView(QChar::fromUcs4(c)));
    }
    out.insert(out.end(), form.cbegin(), form.cend());
    return !form.isEmpty();
}
