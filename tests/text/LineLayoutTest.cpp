#include "Cp932.h"
#include "FileText.h"
#include "LineLayout.h"
#include "RandomBytes.h"
#include "TestTexts.h"
#include "TextNavigator.h"
#include "TextUnitsTesting.h"

#include <QRandomGenerator>
#include <QTest>

namespace {


// Advances that differ from character to character, in odd units, kerning
// on some ASCII pairs, and tab stops every 200.5 pixels.
std::shared_ptr<const TextMetrics> unevenMetrics()
{
    TextMetrics::Kerning kerning(TextMetrics::KerningSide * TextMetrics::KerningSide);
    QRandomGenerator random(7);
    for (qint16 &k : kerning)
        k = random.bounded(4) == 0 ? qint16(random.bounded(-80, 20)) : 0;
    return std::make_shared<TextMetrics>([](char16_t c) { return qint32(c % 13 * 61 + 130); }, XUnits(12832), kerning);
}

// The x of every character start and of the end of one line, added up from
// its start, character by character.
std::vector<std::pair<BytePosition, XUnits>> placesOf(const QByteArray &bytes, BytePosition from, BytePosition to, const TextMetrics &metrics)
{
    std::vector<std::pair<BytePosition, XUnits>> places;
    const qint64 end = to.value();
    XUnits x(0);
    for (qint64 at = from.value(); at < end;) {
        places.push_back({BytePosition(at), x});
        const auto b = std::uint8_t(bytes[at]);
        const qint64 length = Cp932::characterLength(bytes.constData() + at, end - at);
        if (b == '\t')
            x = metrics.nextTabStop(x);
        else
            x += XUnits(length == 2 ? metrics.doubleByte(b, std::uint8_t(bytes[at + 1])) : metrics.single(b));
        if (length == 1 && at + 1 < end)
            x += XUnits(metrics.kerning(b, std::uint8_t(bytes[at + 1])));
        at += length;
    }
    places.push_back({to, x});
    return places;
}

// Long lines of ASCII, tabs, double-byte characters and runs of lead bytes.
QByteArray mixedText(qsizetype size, quint32 seed)
{
    QRandomGenerator random(seed);
    QByteArray bytes = randomBytes(size, seed, 0.3);
    for (char &b : bytes) {
        const int kind = random.bounded(100);
        if (kind < 30)
            b = char(random.bounded(0x20, 0x7F));
        else if (kind < 33)
            b = '\t';
        else if (kind < 34)
            b = "\r\n"[random.bounded(2)];
        else if (b == '\r' || b == '\n')
            b = 'x';
    }
    return bytes;
}

} // namespace

class LineLayoutTest : public QObject
{
    Q_OBJECT

private slots:
    void placesEveryCharacterAsAddedUpFromTheLineStart_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<qint64>("blockLength");
        QTest::newRow("mixed text in odd blocks") << mixedText(200000, 1) << qint64(4093);
        QTest::newRow("mixed text a byte at a time") << mixedText(30000, 2) << qint64(1);
        QTest::newRow("one line of lead bytes and trail bytes")
            << [] {
                   QByteArray bytes = randomBytes(50000, 3, 0.6);
                   bytes.replace('\r', 'r').replace('\n', 'n');
                   return bytes;
               }()
            << qint64(4096);
        QTest::newRow("a double-byte character across every stride")
            << [] {
                   QByteArray bytes(6 * 4096, 'W');
                   for (qsizetype at = 4095; at + 1 < bytes.size(); at += 4096)
                       bytes[at] = '\x83', bytes[at + 1] = '\x41';
                   return bytes;
               }()
            << qint64(4096);
    }

    void placesEveryCharacterAsAddedUpFromTheLineStart()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(qint64, blockLength);
        const auto metrics = unevenMetrics();
        const auto text = fileTextOf(bytes, blockLength, metrics);
        const TextNavigator navigator(*text);
        const LineLayout layout(*text, text->index().characters());
        XUnits widest;
        for (const auto &line : navigator.lines(0_line, navigator.lineCount().value())) {
            const auto places = placesOf(bytes, line.start, line.end, *metrics);
            widest = std::max(widest, places.back().second);
            for (std::size_t i = 0; i < places.size(); i += 1 + i % 5) {
                const auto [position, x] = places[i];
                QCOMPARE(layout.xOf(line, position), x);
                if (i + 1 < places.size()) {
                    QCOMPARE(layout.characterAt(line, x).position, position);
                    QCOMPARE(layout.characterAt(line, places[i + 1].second - 1_units).position, position);
                }
            }
            QCOMPARE(layout.characterAt(line, places.back().second).position, line.end);
        }
        QCOMPARE(layout.widestLine(), widest);
    }

    void countsCharactersAsATextBoxDoes_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<qint64>("blockLength");
        QTest::newRow("mixed text with CR LF across blocks") << mixedText(100000, 4) << qint64(4097);
        QTest::newRow("CR LF, CR, LF and a lead byte at the end") << QByteArray("a\r\n\r\n\n\r\x83\x41\x83") << qint64(1);
    }

    void countsCharactersAsATextBoxDoes()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(qint64, blockLength);
        const auto text = fileTextOf(bytes, blockLength);
        const TextNavigator navigator(*text);
        const QString plain = navigator.plainText(0_byte, navigator.end());
        QCOMPARE(navigator.characterCount(), CharacterCount(plain.size()));
        CharacterCount count;
        for (BytePosition at; at < navigator.end(); at = navigator.positionAfter(at), ++count) {
            if (count.value() % 7 != 0)
                continue;
            QCOMPARE(navigator.charactersBefore(at), count);
            QCOMPARE(navigator.positionAfterCharacters(count), at);
        }
        QCOMPARE(navigator.positionAfterCharacters(count), navigator.end());
    }

    void aClickOnTheRightHalfOfACharacterIsAfterIt()
    {
        const auto text = fileTextOf("a\x93\xFA", 16, TextMetrics::uniform(640, XUnits(6400)));
        const LineLayout layout(*text, text->index().characters());
        const LineLayout::Span line{0_byte, 3_byte};
        QCOMPARE(layout.positionAt(line, 319_units), 0_byte);
        QCOMPARE(layout.positionAt(line, 320_units), 1_byte);
        QCOMPARE(layout.positionAt(line, 959_units), 1_byte);
        QCOMPARE(layout.positionAt(line, 960_units), 3_byte);
        QCOMPARE(layout.positionAt(line, 100000_units), 3_byte);
        QCOMPARE(layout.characters(line, 700_units, 1300_units).size(), std::size_t(1));
    }
};

QTEST_APPLESS_MAIN(LineLayoutTest)
#include "LineLayoutTest.moc"
