#include "EngineFixture.h"
#include "RandomBytes.h"

#include <QTest>
#include <cerrno>
#include <functional>
#include <sys/stat.h>

// A run that meets a file it cannot read, or cannot read to its end: one
// message naming the file, the caption and both boxes showing what was read.

namespace {

using SetUp = std::function<void(EngineFixture &)>;

} // namespace

Q_DECLARE_METATYPE(SetUp)

class RunFailuresTest : public EngineFixture
{
    Q_OBJECT

private slots:
    void failures_data()
    {
        QTest::addColumn<SetUp>("setUp");
        QTest::addColumn<QString>("messageHas");
        QTest::addColumn<QString>("lastCaption");
        QTest::addColumn<qsizetype>("bytesDumped");
        QTest::newRow("the file vanished after the dialog")
            << SetUp([](EngineFixture &f) { f.window.chosenPath = f.files.path("gone.bin"); })
            << "大きさを取得できません" << "実行終了0/0" << qsizetype(0);
        QTest::newRow("a folder is refused") << SetUp([](EngineFixture &f) { f.window.chosenPath = f.files.path("."); })
                                             << "通常のファイルではない" << "実行終了0/0" << qsizetype(0);
        QTest::newRow("a FIFO is refused without blocking")
            << SetUp([](EngineFixture &f) { QCOMPARE(::mkfifo(qPrintable(*(f.window.chosenPath = f.files.path("pipe"))), 0600), 0); })
            << "通常のファイルではない" << "実行終了0/0" << qsizetype(0);
        QTest::newRow("the file cannot be opened") << SetUp([](EngineFixture &f) { f.fileSystem.openError = EACCES; })
                                                   << "を開けません。\n理由: アクセスが拒否されました" << "実行終了0/40" << qsizetype(0);
        QTest::newRow("a read fails midway") << SetUp([](EngineFixture &f) { f.fileSystem.readFailsAt = 40; })
                                             << "読み込み中にエラーが発生しました。\n理由: 入出力エラー" << "実行終了20/40" << qsizetype(32);
        QTest::newRow("the file shrank during the run") << SetUp([](EngineFixture &f) { f.fileSystem.endsAt = 40; })
                                                        << "短くなりました" << "実行終了28/40" << qsizetype(40);
        QTest::newRow("a size beyond any address space is read to the file's real end")
            << SetUp([](EngineFixture &f) { f.fileSystem.statusOverride = FileSystem::Status{true, true, qint64(1) << 60, {}}; })
            << "短くなりました" << "実行終了40/1000000000000000" << qsizetype(64);
    }

    void failures()
    {
        QFETCH(SetUp, setUp);
        QFETCH(QString, messageHas);
        QFETCH(QString, lastCaption);
        QFETCH(qsizetype, bytesDumped);
        const QByteArray bytes = randomBytes(64, 9);
        window.chosenPath = files.write("file.bin", bytes);
        setUp(*this);
        if (QTest::currentTestFailed())
            return;

        auto engine = engineWithBlocks(16);
        engine->RunDump();
        QCOMPARE(window.messages.size(), 1);
        QVERIFY2(window.messages.first().contains(messageHas), qPrintable(window.messages.first()));
        QVERIFY2(window.messages.first().contains(QStringLiteral("「")), "the message names the file");
        QCOMPARE(window.captions.last(), lastCaption);
        QCOMPARE(bytesFromDump(window.dumpText), bytes.left(bytesDumped));
        QCOMPARE(window.fileText->size(), bytesDumped);
        QCOMPARE(fileSystem.openFiles, 0);
        QVERIFY(!engine->isRunning());
    }
};

QTEST_APPLESS_MAIN(RunFailuresTest)
#include "RunFailuresTest.moc"
