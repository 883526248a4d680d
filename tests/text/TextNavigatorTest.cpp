#include "Cp932.h"
#include "FileText.h"
#include "RandomBytes.h"
#include "TestTexts.h"
#include "TextNavigator.h"
#include "TextUnitsTesting.h"

#include <QTest>
#include <cstring>

namespace {

// For every byte, the start of its character, decoding from the first byte.
std::vector<qint64> startsFromTheBeginning(const QByteArray &bytes)
{
    std::vector<qint64> starts(std::size_t(bytes.size()));
    for (qint64 i = 0; i < bytes.size();) {
        const qint64 length = Cp932::characterLength(bytes.constData() + i, bytes.size() - i);
        for (qint64 k = 0; k < length; ++k)
            starts[std::size_t(i + k)] = i;
        i += length;
    }
    return starts;
}

} // namespace

class TextNavigatorTest : public QObject
{
    Q_OBJECT

private slots:
    void characterStartAgreesWithDecodingFromTheBeginning_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<qint64>("blockLength");
        QTest::newRow("random bytes") << randomBytes(100000, 1) << qint64(1 << 20);
        QTest::newRow("mostly lead bytes, in odd blocks") << randomBytes(100000, 2, 0.8) << qint64(4097);
        QTest::newRow("a run of 81 of odd length across many strides")
            << QByteArray(20001, '\x81') + "A" + QByteArray(9999, '\xE5') << qint64(1000);
        QTest::newRow("a run of E5 ending before a byte that is no trail byte")
            << "a" + QByteArray(3 * 4096, '\xE5') + "\n" + QByteArray(4096 * 2 + 1, '\xE5') + "\x7F" << qint64(4096);
        QTest::newRow("a lead byte just before each stride")
            << [] {
                   QByteArray bytes(5 * 4096, 'a');
                   for (int i = 4095; i < bytes.size(); i += 4096)
                       bytes[i] = '\x83';
                   return bytes;
               }()
            << qint64(1);
    }

    void characterStartAgreesWithDecodingFromTheBeginning()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(qint64, blockLength);
        const auto text = fileTextOf(bytes, blockLength);
        const TextNavigator navigator(*text);
        const std::vector<qint64> starts = startsFromTheBeginning(bytes);
        for (qint64 i = 0; i < bytes.size(); ++i) {
            const qint64 start = navigator.characterStart(BytePosition(i)).value();
            if (start != starts[std::size_t(i)])
                QFAIL(qPrintable(QStringLiteral("byte %1: %2, not %3").arg(i).arg(start).arg(starts[i])));
        }
        QCOMPARE(navigator.characterStart(navigator.end()), navigator.end());
    }

    void stepsOneCharacter_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QList<qint64>>("positions");
        QTest::newRow("single bytes, one each") << QByteArray("ab") << QList<qint64>{0, 1, 2};
        QTest::newRow("a double-byte character is one step") << QByteArray("\x83\x41z") << QList<qint64>{0, 2, 3};
        QTest::newRow("CR LF is one step") << QByteArray("a\r\nb") << QList<qint64>{0, 1, 3, 4};
        QTest::newRow("LF CR is two steps") << QByteArray("\n\r") << QList<qint64>{0, 1, 2};
        QTest::newRow("a lead byte before a line break is a character") << QByteArray("\x83\r\n") << QList<qint64>{0, 1, 3};
        QTest::newRow("a lead byte at the end is a character") << QByteArray("a\x83") << QList<qint64>{0, 1, 2};
        QTest::newRow("the empty text has one position") << QByteArray() << QList<qint64>{0};
    }

    void stepsOneCharacter()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QList<qint64>, positions);
        const auto text = fileTextOf(bytes, 1);
        const TextNavigator navigator(*text);
        QList<qint64> forward{0};
        while (forward.back() < bytes.size())
            forward.append(navigator.positionAfter(BytePosition(forward.back())).value());
        QCOMPARE(forward, positions);
        QList<qint64> backward{bytes.size()};
        while (backward.front() > 0)
            backward.prepend(navigator.positionBefore(BytePosition(backward.front())).value());
        QCOMPARE(backward, positions);
        QCOMPARE(navigator.positionAfter(navigator.end()), navigator.end());
    }

    void positionNearIsACharacterStartOutsideCrLf_data()
    {
        QTest::addColumn<qint64>("byte");
        QTest::addColumn<qint64>("position");
        // "a" 83 41 CR LF LF CR
        QTest::newRow("a character start is itself") << qint64(1) << qint64(1);
        QTest::newRow("a trail byte gives its character") << qint64(2) << qint64(1);
        QTest::newRow("the LF of a CR LF gives the CR") << qint64(4) << qint64(3);
        QTest::newRow("an LF after an LF is itself") << qint64(5) << qint64(5);
        QTest::newRow("the end is itself") << qint64(7) << qint64(7);
    }

    void positionNearIsACharacterStartOutsideCrLf()
    {
        QFETCH(qint64, byte);
        QFETCH(qint64, position);
        const auto text = fileTextOf(QByteArray("a\x83\x41\r\n\n\r"), 2);
        QCOMPARE(TextNavigator(*text).positionNear(BytePosition(byte)), BytePosition(position));
    }

    void plainTextHasOneLfPerLineBreak_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("CR LF, LF and CR each become one LF") << QByteArray("a\r\nb\nc\rd") << QStringLiteral("a\nb\nc\nd");
        QTest::newRow("LF CR is two breaks") << QByteArray("\n\r") << QStringLiteral("\n\n");
        QTest::newRow("CR CR LF is two breaks") << QByteArray("\r\r\n") << QStringLiteral("\n\n");
        QTest::newRow("other characters stay") << QByteArray("\x83\x41\t\x01") << QStringLiteral("ア\t\x01");
    }

    void plainTextHasOneLfPerLineBreak()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        const auto fileText = fileTextOf(bytes, 3);
        const TextNavigator navigator(*fileText);
        QCOMPARE(navigator.plainText(0_byte, navigator.end()), text);
    }

    void decodesAnyPartFromACharacterStart()
    {
        const QByteArray bytes("\x93\xFA\x96\x7B\r\nA\x83\x41");
        const auto text = fileTextOf(bytes, 5);
        const TextNavigator navigator(*text);
        QCOMPARE(navigator.decode(0_byte, navigator.end()), QStringLiteral("日本\r\nAア"));
        QCOMPARE(navigator.decode(2_byte, 4_byte), QStringLiteral("本"));
        QCOMPARE(navigator.decode(7_byte, 9_byte), QStringLiteral("ア"));
        QCOMPARE(navigator.decode(3_byte, 3_byte), QString());
    }
};

QTEST_APPLESS_MAIN(TextNavigatorTest)
#include "TextNavigatorTest.moc"
