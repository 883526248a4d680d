#include "FileName.h"

#include <QTest>
#include <QUrl>

// Names that are not UTF-8 reach the file system byte for byte.
class FileNameTest : public QObject
{
    Q_OBJECT

private slots:
    void keepsTheBytesAndMarksWhatIsNoUtf8_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("displayed");
        QTest::newRow("UTF-8 reads as UTF-8") << QByteArray("/tmp/日本語.txt") << QStringLiteral("/tmp/日本語.txt");
        QTest::newRow("a Shift-JIS name is held byte by byte, ASCII among it read")
            << QByteArray("\x93\xfa\x96\x7b.txt") << QStringLiteral("\\x93\\xFA\\x96{.txt");
        QTest::newRow("a sequence cut short at the end") << QByteArray("a\xe3\x81") << QStringLiteral("a\\xE3\\x81");
        QTest::newRow("an encoded surrogate") << QByteArray("\xed\xb2\x80") << QStringLiteral("\\xED\\xB2\\x80");
        QTest::newRow("an overlong slash") << QByteArray("\xc0\xaf") << QStringLiteral("\\xC0\\xAF");
        QTest::newRow("past U+10FFFF") << QByteArray("\xf4\x90\x80\x80") << QStringLiteral("\\xF4\\x90\\x80\\x80");
        QTest::newRow("a four-byte character") << QByteArray("\xf0\x9f\x98\x80") << QStringLiteral("😀");
    }

    void keepsTheBytesAndMarksWhatIsNoUtf8()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, displayed);
        const QString name = FileName::fromBytes(bytes);
        QCOMPARE(FileName::toBytes(name), bytes);
        QCOMPARE(FileName::displayed(name), displayed);
    }

    void readsFileUrlsOfThisMachine_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QByteArray>("path"); // empty: refused
        QTest::newRow("percent-encoded Shift-JIS bytes") << "file:///tmp/%93%FA.txt" << QByteArray("/tmp/\x93\xfa.txt");
        QTest::newRow("localhost, a space") << "file://localhost/tmp/a%20b" << QByteArray("/tmp/a b");
        QTest::newRow("another host") << "file://example.org/tmp/a" << QByteArray();
        QTest::newRow("not a file") << "https://example.org/a.bin" << QByteArray();
    }

    void readsFileUrlsOfThisMachine()
    {
        QFETCH(QString, url);
        QFETCH(QByteArray, path);
        const std::optional<QString> name = FileName::fromLocalUrl(QUrl(url));
        QCOMPARE(name.has_value(), !path.isEmpty());
        if (name)
            QCOMPARE(FileName::toBytes(*name), path);
    }
};

QTEST_APPLESS_MAIN(FileNameTest)
#include "FileNameTest.moc"
