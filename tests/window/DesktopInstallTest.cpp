#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

// `cmake --install` of this build into a fresh prefix: the program, its
// desktop entry, its icon in the hicolor theme, its AppStream metainfo and
// its manual pages, each file checked by the tool a desktop or Debian
// checks it with.
class DesktopInstallTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void installsTheProgram();
    void installsADesktopEntry();
    void installsTheIconAtEverySize_data();
    void installsTheIconAtEverySize();
    void installsMetainfoThatLaunchesTheDesktopEntry();
    void installedFilesPassTheirValidators_data();
    void installedFilesPassTheirValidators();
    void everyFileNamesTheProjectVersion_data();
    void everyFileNamesTheProjectVersion();

private:
    QString installed(const QString &path) const { return m_prefix.filePath(path); }

    QTemporaryDir m_prefix;
};

namespace {

const QString MetainfoPath = QStringLiteral("share/metainfo/io.github.hexmoth.Hexmoth.metainfo.xml");

QString readText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The keys of a desktop entry's main group. QSettings would read the ';'
// of a list as the start of a comment.
QHash<QString, QString> desktopEntry(const QString &path)
{
    QHash<QString, QString> keys;
    bool inMainGroup = false;
    for (const QString &line : readText(path).split(u'\n')) {
        if (line.startsWith(u'['))
            inMainGroup = line == QStringLiteral("[Desktop Entry]");
        else if (inMainGroup && !line.startsWith(u'#') && line.contains(u'='))
            keys.insert(line.section(u'=', 0, 0).trimmed(), line.section(u'=', 1).trimmed());
    }
    return keys;
}

} // namespace

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
    const QFileInfo program(installed(QStringLiteral("bin/hexmoth")));
    QVERIFY(program.isFile());
    QVERIFY(program.isExecutable());
}

void DesktopInstallTest::installsADesktopEntry()
{
    const QString path = installed(QStringLiteral("share/applications/hexmoth.desktop"));
    QVERIFY(QFileInfo::exists(path));
    const QHash<QString, QString> entry = desktopEntry(path);
    QCOMPARE(entry.value(QStringLiteral("Type")), QStringLiteral("Application"));
    QCOMPARE(entry.value(QStringLiteral("Name")), QStringLiteral("Hexmoth"));
    QCOMPARE(entry.value(QStringLiteral("Exec")), QStringLiteral("hexmoth %f"));
    // Listed under "Open With" for any file, the default application for none.
    QVERIFY(!entry.contains(QStringLiteral("MimeType")));
    QCOMPARE(entry.value(QStringLiteral("Icon")), QStringLiteral("hexmoth"));
    QVERIFY(entry.value(QStringLiteral("Categories")).split(u';').contains(QStringLiteral("Utility")));
    const QString comment = entry.value(QStringLiteral("Comment[ja]"));
    QVERIFY2(comment.contains(QStringLiteral("ダンプ")), qPrintable(comment));
    // What a person types into the desktop's search, in either language.
    const QStringList keywords = entry.value(QStringLiteral("Keywords")).split(u';');
    const QStringList japaneseKeywords = entry.value(QStringLiteral("Keywords[ja]")).split(u';');
    for (const QString &word : {QStringLiteral("hex"), QStringLiteral("dump"), QStringLiteral("binary")})
        QVERIFY2(keywords.contains(word), qPrintable(word));
    for (const QString &word : {QStringLiteral("16進"), QStringLiteral("ダンプ"), QStringLiteral("バイナリ")})
        QVERIFY2(japaneseKeywords.contains(word), qPrintable(word));
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
    const QImage icon(installed(QStringLiteral("share/icons/hicolor/%1x%1/apps/hexmoth.png").arg(size)));
    QCOMPARE(icon.size(), QSize(size, size));
}

// Software centres find the program through the metainfo: its file is named
// after its id, and its launchable is the entry that was installed.
void DesktopInstallTest::installsMetainfoThatLaunchesTheDesktopEntry()
{
    QFile file(installed(MetainfoPath));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    QString id;
    QString launchable;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == u"id")
            id = xml.readElementText();
        else if (xml.name() == u"launchable" && xml.attributes().value(QStringLiteral("type")) == u"desktop-id")
            launchable = xml.readElementText();
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    QCOMPARE(QFileInfo(file).fileName(), id + QStringLiteral(".metainfo.xml"));
    QVERIFY2(QFileInfo(installed(QStringLiteral("share/applications/") + launchable)).isFile(), qPrintable(launchable));
}

void DesktopInstallTest::installedFilesPassTheirValidators_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("outputIsReport"); // else the output is the formatted page

    const QStringList man = {"--warnings", "-E", "UTF-8", "-l", "-Tutf8", "-Z"};
    QTest::newRow("desktop entry") << "desktop-file-validate" << QStringList() << "share/applications/hexmoth.desktop" << true;
    QTest::newRow("metainfo") << "appstreamcli" << QStringList{"validate", "--no-net", "--no-color"} << MetainfoPath << true;
    // As lintian formats them; the Japanese page takes Japanese line
    // breaking from its folder.
    QTest::newRow("manual page") << "man" << man << "share/man/man1/hexmoth.1" << false;
    QTest::newRow("Japanese manual page") << "man" << man << "share/man/ja/man1/hexmoth.1" << false;
    // mandb indexes a page by its NAME line.
    QTest::newRow("manual page's name") << "lexgrog" << QStringList() << "share/man/man1/hexmoth.1" << false;
    QTest::newRow("Japanese manual page's name") << "lexgrog" << QStringList() << "share/man/ja/man1/hexmoth.1" << false;
}

void DesktopInstallTest::installedFilesPassTheirValidators()
{
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    QFETCH(QString, file);
    QFETCH(bool, outputIsReport);

    QProcess tool;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    environment.insert(QStringLiteral("MANROFFSEQ"), QString());
    environment.insert(QStringLiteral("MANWIDTH"), QStringLiteral("80"));
    tool.setProcessEnvironment(environment);
    tool.start(program, arguments << installed(file));
    QVERIFY2(tool.waitForStarted(), qPrintable(program + QStringLiteral(" is missing")));
    QVERIFY(tool.waitForFinished(60000));
    QString report = QString::fromUtf8(tool.readAllStandardError());
    if (outputIsReport)
        report += QString::fromUtf8(tool.readAllStandardOutput());
    // appstreamcli's own line for a file that passed.
    report.remove(QRegularExpression(QStringLiteral("^\\s*✔ Validation was successful.*$"),
                                     QRegularExpression::MultilineOption));
    QVERIFY2(tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0, qPrintable(report));
    QVERIFY2(report.trimmed().isEmpty(), qPrintable(report));
}

// A release changes the version in each of these at once.
void DesktopInstallTest::everyFileNamesTheProjectVersion_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("pattern");

    const QString man = QStringLiteral("^\\.TH \\S+ 1 \\S+ \"Hexmoth ([^\"]+)\"");
    QTest::newRow("metainfo") << installed(MetainfoPath) << QStringLiteral("<release version=\"([^\"]+)\"");
    QTest::newRow("manual page") << installed(QStringLiteral("share/man/man1/hexmoth.1")) << man;
    QTest::newRow("Japanese manual page") << installed(QStringLiteral("share/man/ja/man1/hexmoth.1")) << man;
    QTest::newRow("Debian changelog") << QDir(QStringLiteral(HEXMOTH_SOURCE_DIR)).filePath(QStringLiteral("debian/changelog"))
                                      << QStringLiteral("^hexmoth \\(([^)]+)\\)");
}

void DesktopInstallTest::everyFileNamesTheProjectVersion()
{
    QFETCH(QString, path);
    QFETCH(QString, pattern);
    const QRegularExpressionMatch match
        = QRegularExpression(pattern, QRegularExpression::MultilineOption).match(readText(path));
    QVERIFY2(match.hasMatch(), qPrintable(path));
    QCOMPARE(match.captured(1), QStringLiteral(HEXMOTH_VERSION));
}

QTEST_GUILESS_MAIN(DesktopInstallTest)
#include "DesktopInstallTest.moc"
