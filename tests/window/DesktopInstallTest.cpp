#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

// `cmake --install` of this build into a fresh prefix: the program, its
// desktop entry and its icon in the hicolor theme.
class DesktopInstallTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void installsTheProgram();
    void installsADesktopEntry();
    void installsTheIconAtEverySize_data();
    void installsTheIconAtEverySize();

private:
    QTemporaryDir m_prefix;
};

void DesktopInstallTest::initTestCase()
{
    QProcess install;
    install.setProcessChannelMode(QProcess::MergedChannels);
    install.start(QStringLiteral(CMAKE_COMMAND), {"--install", HEXMOTH_BUILD_DIR, "--prefix", m_prefix.path()});
    QVERIFY(install.waitForFinished(60000));
    QVERIFY2(install.exitCode() == 0, install.readAll().constData());
}

void DesktopInstallTest::installsTheProgram()
{
    const QFileInfo program(m_prefix.filePath(QStringLiteral("bin/hexmoth")));
    QVERIFY(program.isFile());
    QVERIFY(program.isExecutable());
}

void DesktopInstallTest::installsADesktopEntry()
{
    const QString path = m_prefix.filePath(QStringLiteral("share/applications/hexmoth.desktop"));
    QVERIFY(QFileInfo::exists(path));
    QSettings entry(path, QSettings::IniFormat);
    entry.beginGroup(QStringLiteral("Desktop Entry"));
    QCOMPARE(entry.value(QStringLiteral("Type")).toString(), QStringLiteral("Application"));
    QCOMPARE(entry.value(QStringLiteral("Name")).toString(), QStringLiteral("Hexmoth"));
    QCOMPARE(entry.value(QStringLiteral("Exec")).toString(), QStringLiteral("hexmoth"));
    QCOMPARE(entry.value(QStringLiteral("Icon")).toString(), QStringLiteral("hexmoth"));
    QVERIFY(entry.value(QStringLiteral("Categories")).toString().split(u';').contains(QStringLiteral("Utility")));
    const QString comment = entry.value(QStringLiteral("Comment")).toString();
    QVERIFY2(comment.contains(QStringLiteral("ダンプ")), qPrintable(comment));
}

void DesktopInstallTest::installsTheIconAtEverySize_data()
{
    QTest::addColumn<int>("size");
    for (int size : {16, 32, 48, 64, 128, 256})
        QTest::addRow("%dx%d", size, size) << size;
}

void DesktopInstallTest::installsTheIconAtEverySize()
{
    QFETCH(int, size);
    const QImage icon(m_prefix.filePath(QStringLiteral("share/icons/hicolor/%1x%1/apps/hexmoth.png").arg(size)));
    QCOMPARE(icon.size(), QSize(size, size));
}

QTEST_GUILESS_MAIN(DesktopInstallTest)
#include "DesktopInstallTest.moc"
