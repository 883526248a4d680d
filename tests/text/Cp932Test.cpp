#include "Cp932.h"
#include "Cp932Area.h"
#include "FileText.h"
#include "TextMetrics.h"
#include "RandomBytes.h"

#include <QTest>
#include <set>

class Cp932Test : public QObject
{
    Q_OBJECT

private slots:
    void decode_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        const QString bad(QChar(0xFFFD));
        QTest::newRow("ASCII stays itself") << QByteArray("Hello\r\n") << QStringLiteral("Hello\r\n");
        QTest::newRow("5C and 7E are backslash and tilde") << QByteArray("\x5C\x7E") << QStringLiteral("\\~");
        QTest::newRow("half-width katakana A1 and DF") << QByteArray("\xA1\xDF") << QStringLiteral("\uFF61\uFF9F");
        QTest::newRow("83 41 is the katakana A") << QByteArray("\x83\x41") << QStringLiteral("ア");
        QTest::newRow("kanji 93 FA 96 7B") << QByteArray("\x93\xFA\x96\x7B") << QStringLiteral("日本");
        QTest::newRow("NEC row 13: 87 40 is a circled one") << QByteArray("\x87\x40") << QStringLiteral("①");
        QTest::newRow("IBM extension FA 40 is a small roman one") << QByteArray("\xFA\x40") << QStringLiteral("ⅰ");
        QTest::newRow("80, A0, FD, FE, FF are undefined")
            << QByteArray("\x80\xA0\xFD\xFE\xFF") << bad.repeated(5);
        QTest::newRow("unassigned pair 85 40 is one undefined character") << QByteArray("\x85\x40") << bad;
        QTest::newRow("lead byte at the end is one undefined character") << QByteArray("A\x83") << QStringLiteral("A") + bad;
        QTest::newRow("lead byte before a line feed keeps the line feed")
            << QByteArray("\x81\n") << bad + QStringLiteral("\n");
        QTest::newRow("lead byte before a lead byte pairs with it") << QByteArray("\x81\x81\x41") << QStringLiteral("＝A");
    }

    void decode()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(Cp932::instance().decode(bytes.constData(), bytes.size()), text);
    }

    void areas_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("cell");
        QTest::addColumn<Cp932Area>("area");
        QTest::newRow("81 40 opens row 1") << QByteArray("\x81\x40") << 1 << 1 << Cp932Area::Jis0208;
        QTest::newRow("81 9E closes row 1, 80 skipped") << QByteArray("\x81\x9E") << 1 << 94 << Cp932Area::Jis0208;
        QTest::newRow("81 9F opens row 2") << QByteArray("\x81\x9F") << 2 << 1 << Cp932Area::Jis0208;
        QTest::newRow("83 41 is 05-02") << QByteArray("\x83\x41") << 5 << 2 << Cp932Area::Jis0208;
        QTest::newRow("85 40 is row 9, unassigned") << QByteArray("\x85\x40") << 9 << 1 << Cp932Area::Unassigned;
        QTest::newRow("87 40 is NEC row 13") << QByteArray("\x87\x40") << 13 << 1 << Cp932Area::NecSpecial;
        QTest::newRow("87 9F is row 14, unassigned") << QByteArray("\x87\x9F") << 14 << 1 << Cp932Area::Unassigned;
        QTest::newRow("E0 40 is row 63") << QByteArray("\xE0\x40") << 63 << 1 << Cp932Area::Jis0208;
        QTest::newRow("ED 40 is NEC-selected IBM") << QByteArray("\xED\x40") << 89 << 1 << Cp932Area::NecSelectedIbm;
        QTest::newRow("F0 40 is user-defined") << QByteArray("\xF0\x40") << 95 << 1 << Cp932Area::UserDefined;
        QTest::newRow("FA 40 is an IBM extension") << QByteArray("\xFA\x40") << 115 << 1 << Cp932Area::IbmExtension;
        QTest::newRow("FC FC is row 120, unassigned") << QByteArray("\xFC\xFC") << 120 << 94 << Cp932Area::Unassigned;
    }

    void areas()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, row);
        QFETCH(int, cell);
        QFETCH(Cp932Area, area);
        const auto lead = std::uint8_t(bytes[0]);
        const auto trail = std::uint8_t(bytes[1]);
        QCOMPARE(cp932RowCell(lead, trail).row, row);
        QCOMPARE(cp932RowCell(lead, trail).cell, cell);
        QCOMPARE(cp932Area(lead, trail), area);
    }

    void everyDecodedPairLiesInAnAssignedAreaOnce()
    {
        std::set<std::pair<int, int>> seen;
        for (int lead = 0x81; lead <= 0xFC; ++lead) {
            for (int trail = 0x40; trail <= 0xFC; ++trail) {
                if (!Cp932::isLeadByte(std::uint8_t(lead)) || !Cp932::isTrailByte(std::uint8_t(trail)))
                    continue;
                const JisRowCell at = cp932RowCell(std::uint8_t(lead), std::uint8_t(trail));
                QVERIFY(at.cell >= 1 && at.cell <= 94);
                QVERIFY(seen.insert({at.row, at.cell}).second);
                const Cp932Area area = cp932Area(std::uint8_t(lead), std::uint8_t(trail));
                QCOMPARE(isPlatformDependent(area) && !isPlatformDependentLead(std::uint8_t(lead)), false);
                if (Cp932::instance().doubleByte(std::uint8_t(lead), std::uint8_t(trail)) != Cp932::Replacement)
                    QVERIFY2(area != Cp932Area::Unassigned, qPrintable(QString::number(lead * 256 + trail, 16)));
            }
        }
    }

    void splittingNeverLosesOrInventsBytes()
    {
        for (quint32 seed = 1; seed <= 20; ++seed) {
            const QByteArray bytes = randomBytes(4000, seed, 0.4);
            qsizetype total = 0;
            qsizetype characters = 0;
            while (total < bytes.size()) {
                total += Cp932::characterLength(bytes.constData() + total, bytes.size() - total);
                ++characters;
            }
            QCOMPARE(total, bytes.size());
            QCOMPARE(Cp932::instance().decode(bytes.constData(), bytes.size()).size(), characters);
        }
    }

    void fileTextDecodesWhatWasCommitted()
    {
        FileText text(8, TextMetrics::uniform(64, XUnits(512)));
        std::memcpy(text.blockBuffer(2), "\x83\x41", 2);
        text.commit(2);
        std::memcpy(text.blockBuffer(2), "bc", 2);
        text.commit(2);
        QCOMPARE(text.size(), 4);
        QCOMPARE(text.toString(), QStringLiteral("アbc"));
    }
};

QTEST_APPLESS_MAIN(Cp932Test)
#include "Cp932Test.moc"
