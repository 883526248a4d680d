#include "CommandLine.h"
#include "FileName.h"

#include <QTest>

// `hexmoth [FILE]`: what the program opens or answers for each command line.
class CommandLineTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QCoreApplication::setApplicationVersion(QStringLiteral("9.8")); }

    void readsTheCommandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("japanese");
        QTest::addColumn<QString>("file");     // null: none
        QTest::addColumn<int>("exitCode");     // -1: the window opens
        QTest::addColumn<QString>("output");   // what standard output holds
        QTest::addColumn<QString>("errors");   // what standard error holds

        const QString sjis = FileName::fromBytes("/tmp/\x93\xfa.txt");
        QTest::newRow("no file: the window alone") << QStringList() << false << QString() << -1 << "" << "";
        QTest::newRow("a relative path is taken from the working directory")
            << QStringList{"dir/./a.bin"} << false << "/work/dir/a.bin" << -1 << "" << "";
        QTest::newRow("a path through .. keeps it: a link need not lead back")
            << QStringList{"link/../a.bin"} << false << "/work/link/../a.bin" << -1 << "" << "";
        QTest::newRow("an empty name is no file, not the working directory") << QStringList{""} << false << "" << -1 << "" << "";
        QTest::newRow("an absolute path is kept") << QStringList{"/tmp/a.bin"} << false << "/tmp/a.bin" << -1 << "" << "";
        QTest::newRow("a file URL, its bytes kept") << QStringList{"file:///tmp/%93%FA.txt"} << false << sjis << -1 << "" << "";
        QTest::newRow("a file URL of another machine is refused")
            << QStringList{"file://example.org/a"} << false << QString() << 2 << "" << "hexmoth: 'file://example.org/a' is not a file on this computer.\n";
        QTest::newRow("several files: the first opens, the others are named")
            << QStringList{"a.bin", "b.bin", "c d.bin"} << false << "/work/a.bin" << -1 << ""
            << "hexmoth: only the first file is opened; start hexmoth again for each of these: 'b.bin' 'c d.bin'\n";
        QTest::newRow("several files in Japanese, a Shift-JIS name marked")
            << QStringList{"a.bin", FileName::fromBytes("\x93\xfa.txt")} << true << "/work/a.bin" << -1 << ""
            << "hexmoth: 開くのは最初のファイルだけです。ほかのファイルは hexmoth をもう一度起動して開いてください: 「\\x93\\xFA.txt」\n";
        QTest::newRow("a name after -- is a file") << QStringList{"--", "-v"} << false << "/work/-v" << -1 << "" << "";
        QTest::newRow("an unknown option: one line, status 2")
            << QStringList{"--bogus", "a.bin"} << false << QString() << 2 << "" << "hexmoth: unknown option 'bogus' (see hexmoth --help).\n";
        QTest::newRow("an unknown option in Japanese")
            << QStringList{"-x"} << true << QString() << 2 << "" << "hexmoth: 不明なオプション「x」です（hexmoth --help を参照）。\n";
        QTest::newRow("the version") << QStringList{"--version"} << false << QString() << 0 << "hexmoth 9.8\n" << "";
    }

    void answersWithoutAWindow_data()
    {
        QTest::addColumn<QByteArrayList>("arguments");
        QTest::addColumn<bool>("answer");
        QTest::newRow("a file needs the window") << QByteArrayList{"a.bin"} << false;
        QTest::newRow("help") << QByteArrayList{"a.bin", "-h"} << true;
        QTest::newRow("an unknown option is refused without a display") << QByteArrayList{"--bogus"} << true;
        QTest::newRow("Qt's own option with its value is Qt's") << QByteArrayList{"-platform", "offscreen", "a.bin"} << false;
        QTest::newRow("Qt's option with two dashes and =") << QByteArrayList{"--style=fusion", "--reverse"} << false;
        QTest::newRow("the value of Qt's option is no option") << QByteArrayList{"-title", "-x"} << false;
        QTest::newRow("after -- nothing is an option") << QByteArrayList{"--", "--bogus"} << false;
    }

    void answersWithoutAWindow()
    {
        QFETCH(QByteArrayList, arguments);
        QFETCH(bool, answer);
        arguments.prepend("hexmoth");
        std::vector<char *> argv;
        for (QByteArray &argument : arguments)
            argv.push_back(argument.data());
        QCOMPARE(CommandLine::asksForAnswer(int(argv.size()), argv.data()), answer);
    }

    void readsTheCommandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, japanese);
        QFETCH(QString, file);
        QFETCH(int, exitCode);
        QFETCH(QString, output);
        QFETCH(QString, errors);
        const CommandLine line(QStringList{"hexmoth"} + arguments, QStringLiteral("/work"), japanese);
        QCOMPARE(line.file().value_or(QString()), file);
        QCOMPARE(line.exitCode().value_or(-1), exitCode);
        QCOMPARE(line.output(), output);
        QCOMPARE(line.errors(), errors);
    }

    void helpsInTheLocalesLanguage_data()
    {
        QTest::addColumn<bool>("japanese");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("English") << false
                                 << QStringList{"Usage: ", " [options] [FILE]", "-h, --help     Shows this help and exits.",
                                                "FILE           The file to show: a path or a file:// URL."};
        QTest::newRow("Japanese") << true
                                  << QStringList{"使い方: ", " [オプション] [FILE]", "-v, --version  バージョンを表示して終了します。",
                                                 "FILE           表示するファイル。パスまたは file:// URL。"};
    }

    void helpsInTheLocalesLanguage()
    {
        QFETCH(bool, japanese);
        QFETCH(QStringList, lines);
        const CommandLine line({"hexmoth", "--help", "a.bin"}, QStringLiteral("/work"), japanese);
        QCOMPARE(line.exitCode(), 0);
        QVERIFY(!line.file());
        for (const QString &text : lines)
            QVERIFY2(line.output().contains(text), qPrintable(line.output()));
    }
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "CommandLineTest.moc"
