#include "FileText.h"
#include "FindBytes.h"
#include "RandomBytes.h"
#include "TestTexts.h"
#include "TextNavigator.h"

#include <QRandomGenerator>
#include <QTest>

// Every faster path of the search finds what the plain, byte-at-a-time one
// finds, over bytes chosen to reach their filters' edges; and a character
// start is told from the bytes before it as the index tells it.

namespace {

const uint8_t *bytesOf(const QByteArray &bytes)
{
    return reinterpret_cast<const std::uint8_t *>(bytes.constData());
}

// A piece of `bytes` as a pattern, some of its bytes made `??`.
FindPattern patternFrom(const QByteArray &bytes, QRandomGenerator &random)
{
    const qsizetype length = 1 + random.bounded(random.bounded(2) ? 3 : 40);
    const qsizetype at = random.bounded(bytes.size() - length);
    FindPattern pattern;
    for (qsizetype i = 0; i < length; ++i) {
        pattern.bytes.push_back(std::uint8_t(bytes[at + i]));
        pattern.any.push_back(random.bounded(6) == 0);
    }
    return pattern;
}

} // namespace

class FindBytesTest : public QObject
{
    Q_OBJECT

private slots:
    void eachPathFindsWhatThePlainPathFinds_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("random bytes") << randomBytes(20000, 1);
        QTest::newRow("mostly lead bytes, in long runs") << randomBytes(20000, 2, 0.9);
        QTest::newRow("ASCII with a high byte now and then")
            << randomBytes(20000, 3).replace('\x80', 'a').replace('\xfd', '\x81').replace('\xa0', '\x87');
        QByteArray repeated;
        for (int i = 0; i < 3000; ++i)
            repeated += i % 97 == 0 ? "\x87\x40\xfb\xfc\x81" : "\x83\x41\x83";
        QTest::newRow("one pattern over and over, platform-dependent pairs between") << repeated;
    }

    void eachPathFindsWhatThePlainPathFinds()
    {
        QFETCH(QByteArray, bytes);
        QRandomGenerator random(7);
        const auto *data = bytesOf(bytes);
        const qint64 size = bytes.size();
        const auto text = fileTextOf(bytes);
        const TextNavigator navigator(*text);
        for (int round = 0; round < 300; ++round) {
            const FindPattern pattern = patternFrom(bytes, random);
            const qint64 from = random.bounded(size);
            const qint64 to = from + random.bounded(size - from + 1);
            const qint64 first = FindBytes::first(FindPath::Plain, data, size, from, to, pattern);
            const qint64 last = FindBytes::last(FindPath::Plain, data, size, from, to, pattern);
            const qint64 start = navigator.characterStart(BytePosition(from)) == BytePosition(from) ? from : from + 1;
            const auto kind = round % 2 ? CharacterKind::Invalid : CharacterKind::PlatformDependent;
            const qint64 character = FindBytes::firstCharacter(FindPath::Plain, kind, data, size, start, to);
            for (FindPath path : runnableFindPaths()) {
                QCOMPARE(FindBytes::first(path, data, size, from, to, pattern), first);
                QCOMPARE(FindBytes::last(path, data, size, from, to, pattern), last);
                QCOMPARE(FindBytes::firstCharacter(path, kind, data, size, start, to), character);
            }
        }
    }

    // Reaching back far enough always tells; reaching less tells right or
    // not at all.
    void aCharacterStartIsToldAsTheIndexTellsIt()
    {
        const QByteArray bytes = randomBytes(30000, 4, 0.8);
        const auto text = fileTextOf(bytes);
        const TextNavigator navigator(*text);
        for (qint64 at = 0; at < bytes.size(); ++at) {
            const bool starts = navigator.characterStart(BytePosition(at)) == BytePosition(at);
            QCOMPARE(FindBytes::startsCharacter(bytesOf(bytes), at, at), std::optional<bool>(starts));
            const std::optional<bool> near = FindBytes::startsCharacter(bytesOf(bytes), at, 3);
            QVERIFY(!near || *near == starts);
        }
    }
};

QTEST_GUILESS_MAIN(FindBytesTest)
#include "FindBytesTest.moc"
