#include "AtSpiClient.h"
#include "FileName.h"
#include "Twips.h"
#include "X11Display.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <fcntl.h>
#include <unistd.h>

// The real program under its own Xvfb: a user clicks "ファイルを開く", types a
// path into the real file dialog and presses Enter, or names the file on the
// command line. What the window then shows is read as a screen reader reads
// it, over AT-SPI, on a private session bus with its own accessibility bus.
class HexmothEndToEndTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void cleanupTestCase();

    void dumpsAFileChosenInTheRealDialog();
    void closingTheWindowDuringARunExitsWithStatusZero();
    void dumpsAFileNamedOnTheCommandLine_data();
    void dumpsAFileNamedOnTheCommandLine();
    void aMissingFileOnTheCommandLineGetsTheMessageAndTheWindowStays();
    void aUtf8FileIsReadAsUtf8OnceChosenInText2sMenu();

private:
    // Starts the program as `command` does, from the test's folder: its
    // arguments as the shell gives them.
    void launch(const QString &command = QString());
    QString writeFile(const QByteArray &name, const QByteArray &bytes);
    QString writeSjisFile(const QByteArray &name) { return writeFile(name, "Hello\r\n\x83\x41\x93\xfa\x96\x7b\x8c\xea"); }
    void verifySjisFileShown();
    void clickText2();
    void goToTheTrailByteOfA();
    void findTypedText();
    void startServer(QProcess &process, const QString &program, const QStringList &arguments, QByteArray &firstLine);
    QString xdotool(const QStringList &arguments);
    QProcessEnvironment environment() const;
    void openInRealDialog(const QString &path);
    AtSpiClient::Object waitForObject(const QString &role, const QString &name, const QString &description = QString());
    QString waitForStatus(const AtSpiClient::Object &label, const QString &prefix);

    QTemporaryDir m_dir;
    QProcess m_xvfb;
    QProcess m_sessionBus;
    QProcess m_hexmoth;
    QByteArray m_display;
    QByteArray m_sessionAddress;
    std::unique_ptr<AtSpiClient> m_accessibility;
    QString m_window;
};

namespace {

const QString App = QStringLiteral("hexmoth");
constexpr int StepTimeout = 20000;

} // namespace

void HexmothEndToEndTest::startServer(QProcess &process, const QString &program, const QStringList &arguments,
                                      QByteArray &firstLine)
{
    process.setProcessEnvironment(environment());
    process.start(program, arguments);
    QVERIFY2(process.waitForStarted(), qPrintable(program + QStringLiteral(" is missing")));
    const QDeadlineTimer deadline(StepTimeout);
    while (!process.canReadLine() && !deadline.hasExpired())
        process.waitForReadyRead(100);
    firstLine = process.readLine().trimmed();
    QVERIFY2(!firstLine.isEmpty(), qPrintable(program + QStringLiteral(" did not start")));
}

void HexmothEndToEndTest::initTestCase()
{
#ifdef HEXMOTH_SKIP_END_TO_END
    QSKIP(HEXMOTH_SKIP_END_TO_END);
#endif
    QVERIFY(m_dir.isValid());
    QByteArray displayNumber;
    startServer(m_xvfb, QStringLiteral("Xvfb"), {"-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"},
                displayNumber);
    m_display = ':' + displayNumber;
    startServer(m_sessionBus, QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--print-address=1"},
                m_sessionAddress);
    // Asking for the accessibility bus starts it, as a desktop session does.
    const QString sessionName = QStringLiteral("hexmoth-e2e-session");
    QDBusConnection session = QDBusConnection::connectToBus(QString::fromUtf8(m_sessionAddress), sessionName);
    const QDBusMessage reply = session.call(QDBusMessage::createMethodCall(
        QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"), QStringLiteral("org.a11y.Bus"),
        QStringLiteral("GetAddress")), QDBus::Block, StepTimeout);
    QDBusConnection::disconnectFromBus(sessionName);
    QVERIFY2(reply.type() == QDBusMessage::ReplyMessage, qPrintable(reply.errorMessage()));
    m_accessibility = std::make_unique<AtSpiClient>(reply.arguments().constFirst().toString());
}

void HexmothEndToEndTest::launch(const QString &command)
{
    m_hexmoth.setProcessEnvironment(environment());
    m_hexmoth.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_hexmoth.setWorkingDirectory(m_dir.path());
    // The shell passes a name's bytes as they are, which QProcess would not.
    m_hexmoth.start(QStringLiteral("/bin/sh"), {"-c", "exec \"$0\" " + command, QStringLiteral(HEXMOTH_BINARY)});
    QVERIFY(m_hexmoth.waitForStarted());
    m_window = xdotool({"search", "--sync", "--onlyvisible", "--name", "^Hexmoth$"}).section(u'\n', 0, 0);
    QVERIFY2(!m_window.isEmpty(), "the window did not appear");
    waitForObject(QStringLiteral("push button"), QStringLiteral("ファイルを開く"));
}

void HexmothEndToEndTest::cleanup()
{
    if (m_hexmoth.state() != QProcess::NotRunning) {
        m_hexmoth.kill();
        m_hexmoth.waitForFinished();
    }
}

void HexmothEndToEndTest::cleanupTestCase()
{
    m_accessibility.reset();
    for (QProcess *server : {&m_sessionBus, &m_xvfb}) {
        server->terminate();
        if (!server->waitForFinished(5000))
            server->kill();
    }
}

QProcessEnvironment HexmothEndToEndTest::environment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.remove(QStringLiteral("AT_SPI_BUS_ADDRESS"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.path());
    if (!m_display.isEmpty())
        environment.insert(QStringLiteral("DISPLAY"), QString::fromUtf8(m_display));
    if (!m_sessionAddress.isEmpty())
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QString::fromUtf8(m_sessionAddress));
    environment.insert(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
    return environment;
}

QString HexmothEndToEndTest::xdotool(const QStringList &arguments)
{
    QProcess process;
    process.setProcessEnvironment(environment());
    process.start(QStringLiteral("xdotool"), arguments);
    if (!process.waitForFinished(StepTimeout)) {
        process.kill();
        process.waitForFinished();
        qWarning() << "xdotool timed out:" << arguments;
        return QString();
    }
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

// Clicks Command1 and types `path` into the file dialog that opens.
void HexmothEndToEndTest::openInRealDialog(const QString &path)
{
    const QPoint command1 = Twips::rect(7920, 120, 1455, 375).center();
    xdotool({"mousemove", "--window", m_window, QString::number(command1.x()), QString::number(command1.y()), "click", "1"});
    const QString dialog = xdotool({"search", "--sync", "--onlyvisible", "--name", "開く"}).section(u'\n', 0, 0);
    QVERIFY2(!dialog.isEmpty(), "the file dialog did not open");
    xdotool({"windowfocus", "--sync", dialog});
    xdotool({"type", "--delay", "10", path});
    xdotool({"key", "Return"});
}

AtSpiClient::Object HexmothEndToEndTest::waitForObject(const QString &role, const QString &name, const QString &description)
{
    const QDeadlineTimer deadline(StepTimeout);
    std::optional<AtSpiClient::Object> object;
    while (!(object = m_accessibility->find(App, role, name, description)) && !deadline.hasExpired())
        QTest::qWait(100);
    if (!object)
        qWarning() << "no accessible" << role << name << description;
    return object.value_or(AtSpiClient::Object{});
}

// Waits until Label1 reads `prefix`...; returns what it reads then.
QString HexmothEndToEndTest::waitForStatus(const AtSpiClient::Object &label, const QString &prefix)
{
    const QDeadlineTimer deadline(StepTimeout);
    QString status;
    while (!(status = m_accessibility->refreshed(label).name).startsWith(prefix) && !deadline.hasExpired())
        QTest::qWait(20);
    return status;
}

QString HexmothEndToEndTest::writeFile(const QByteArray &name, const QByteArray &bytes)
{
    const QByteArray path = QFile::encodeName(m_dir.path()) + '/' + name;
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0 || ::write(fd, bytes.constData(), bytes.size()) != bytes.size())
        qWarning() << "cannot write" << path;
    ::close(fd);
    return FileName::fromBytes(path);
}

// What a run on the file writeSjisFile wrote shows.
void HexmothEndToEndTest::verifySjisFileShown()
{
    const AtSpiClient::Object label1 = waitForObject(QStringLiteral("label"), QString(), QStringLiteral("実行状態"));
    QCOMPARE(waitForStatus(label1, QStringLiteral("実行終了")), QStringLiteral("実行終了F/F"));
    const QString dump = m_accessibility->text(waitForObject(QStringLiteral("text"), QStringLiteral("ダンプリスト")));
    QVERIFY2(dump.startsWith(QStringLiteral("Address |  0  1  2")), qPrintable(dump));
    QVERIFY2(dump.contains(QStringLiteral("\n00000000| 48 65 6C 6C 6F 0D 0A 83 41 93 FA 96 7B 8C EA   : Hello...A...{..\n")),
             qPrintable(dump));
    const QString text = m_accessibility->text(waitForObject(QStringLiteral("text"), QStringLiteral("ファイルのテキスト")));
    QCOMPARE(text, QStringLiteral("Hello\nア日本語"));
}

void HexmothEndToEndTest::clickText2()
{
    const QPoint text2 = Twips::rect(0, 3360, 7575, 2895).center();
    xdotool({"mousemove", "--window", m_window, QString::number(text2.x()), QString::number(text2.y()), "click", "1"});
}

// Go to the trail byte of ア: the caret lands on its lead byte.
void HexmothEndToEndTest::goToTheTrailByteOfA()
{
    clickText2();
    xdotool({"key", "ctrl+g"});
    xdotool({"type", "--delay", "10", "0x8"});
    xdotool({"key", "Return"});
    const AtSpiClient::Object infoLine = waitForObject(QStringLiteral("label"), QString(),
                                                       QStringLiteral("カーソル位置の文字または選択範囲の情報"));
    QCOMPARE(waitForStatus(infoLine, QStringLiteral("アドレス 00000007")),
             QStringLiteral("アドレス 00000007  バイト 83 41  U+30A2 ア  区点 05-02"));
    const AtSpiClient::Object command2 = waitForObject(QStringLiteral("push button"), QStringLiteral("停止"));
    QVERIFY(command2.states & AtSpiClient::Sensitive);
}

// Find, with the keys alone: Ctrl+F in the text, the text typed, Enter.
void HexmothEndToEndTest::findTypedText()
{
    clickText2();
    xdotool({"key", "ctrl+f"});
    waitForObject(QStringLiteral("text"), QStringLiteral("検索する文字列"));
    xdotool({"type", "--delay", "10", "llo"});
    xdotool({"key", "Return"});
    const AtSpiClient::Object text2Object = waitForObject(QStringLiteral("text"), QStringLiteral("ファイルのテキスト"));
    const QDeadlineTimer deadline(StepTimeout);
    while (m_accessibility->selection(text2Object) != qMakePair(2, 5) && !deadline.hasExpired())
        QTest::qWait(20);
    QCOMPARE(m_accessibility->selection(text2Object), qMakePair(2, 5));
}

void HexmothEndToEndTest::dumpsAFileChosenInTheRealDialog()
{
    launch();
    const QString path = writeSjisFile("sjis.txt");
    openInRealDialog(path);
    verifySjisFileShown();
    goToTheTrailByteOfA();
    findTypedText();
}

void HexmothEndToEndTest::dumpsAFileNamedOnTheCommandLine_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QString>("argument"); // as typed into the shell
    QTest::addColumn<QString>("shownName"); // in Text2's notice line
    QTest::newRow("a relative path") << QByteArray("sjis.txt") << "sjis.txt" << "sjis.txt";
    QTest::newRow("a file URL") << QByteArray("a b.txt") << "\"file://$PWD/a%20b.txt\"" << "a b.txt";
    QTest::newRow("a Shift-JIS name, its bytes kept")
        << QByteArray("\x93\xfa\x96\x7b.txt") << "\"$(printf '\\223\\372\\226{.txt')\"" << "\\x93\\xFA\\x96{.txt";
}

void HexmothEndToEndTest::dumpsAFileNamedOnTheCommandLine()
{
    QFETCH(QByteArray, name);
    QFETCH(QString, argument);
    QFETCH(QString, shownName);
    writeSjisFile(name);
    launch(argument);
    verifySjisFileShown();
    QVERIFY2(waitForObject(QStringLiteral("label"), shownName).role == QStringLiteral("label"), "the notice line names the file");
}

void HexmothEndToEndTest::aMissingFileOnTheCommandLineGetsTheMessageAndTheWindowStays()
{
    launch(QStringLiteral("missing.bin"));
    const AtSpiClient::Object label1 = waitForObject(QStringLiteral("label"), QString(), QStringLiteral("実行状態"));
    const QString message = m_dir.filePath(QStringLiteral("missing.bin"));
    const AtSpiClient::Object box = waitForObject(
        QStringLiteral("label"), QStringLiteral("「%1」の大きさを取得できません。\n理由: そのようなファイルやディレクトリはありません").arg(message));
    QVERIFY2(!box.path.isEmpty(), "no message box");
    const QStringList windows = xdotool({"search", "--onlyvisible", "--name", "^Hexmoth$"}).split(u'\n');
    for (const QString &window : windows) {
        if (window != m_window) {
            xdotool({"windowfocus", "--sync", window});
            xdotool({"key", "Return"});
        }
    }
    QCOMPARE(waitForStatus(label1, QStringLiteral("実行終了")), QStringLiteral("実行終了0/0"));
    QVERIFY(m_hexmoth.state() == QProcess::Running);
    QVERIFY(!xdotool({"search", "--onlyvisible", "--name", "^Hexmoth$"}).isEmpty());
}

void HexmothEndToEndTest::closingTheWindowDuringARunExitsWithStatusZero()
{
    launch();
    const QString path = m_dir.filePath(QStringLiteral("large.bin"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.resize(qint64(4) << 30));
    file.close();
    const AtSpiClient::Object label1 = waitForObject(QStringLiteral("label"), QString(), QStringLiteral("実行状態"));

    openInRealDialog(path);
    const QString status = waitForStatus(label1, QStringLiteral("実行中 "));
    QVERIFY2(status.startsWith(QStringLiteral("実行中 ")), qPrintable(status));
    X11Display display(m_display);
    QVERIFY(display.requestClose(m_window.toUInt()));

    QVERIFY2(m_hexmoth.waitForFinished(StepTimeout), "the program did not end after its window was closed");
    QCOMPARE(m_hexmoth.exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_hexmoth.exitCode(), 0);
}

// Shift+F10 in the text, E for 「文字コード」, then UTF-8, its second item.
void HexmothEndToEndTest::aUtf8FileIsReadAsUtf8OnceChosenInText2sMenu()
{
    const QString content = QStringLiteral("Hello\n日本語のテキストです。\nこんにちは、世界");
    writeFile("utf8.txt", content.toUtf8());
    launch(QStringLiteral("utf8.txt"));
    const AtSpiClient::Object label1 = waitForObject(QStringLiteral("label"), QString(), QStringLiteral("実行状態"));
    QCOMPARE(waitForStatus(label1, QStringLiteral("実行終了")).left(4), QStringLiteral("実行終了"));
    const AtSpiClient::Object text2 = waitForObject(QStringLiteral("text"), QStringLiteral("ファイルのテキスト"));
    QVERIFY(m_accessibility->text(text2) != content);
    clickText2();
    xdotool({"key", "shift+F10"});
    waitForObject(QStringLiteral("menu item"), QStringLiteral("UTF-16BE"));
    for (const char *key : {"e", "Down", "Return"}) {
        QTest::qWait(300);
        xdotool({"key", key});
    }
    const QDeadlineTimer deadline(StepTimeout);
    while (m_accessibility->text(text2) != content && !deadline.hasExpired())
        QTest::qWait(50);
    QCOMPARE(m_accessibility->text(text2), content);
}

QTEST_GUILESS_MAIN(HexmothEndToEndTest)
#include "HexmothEndToEndTest.moc"
