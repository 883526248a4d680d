#include "CommandLine.h"

#include <QRegularExpression>

#include "FileName.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QUrl>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <unistd.h>
#include <vector>

namespace {

const QStringList AnswerOptions = {"-h", "--help", "-v", "--version"};
// The application's own options, which it takes before the command line is
// read; those in the first list take the next argument as their value.
const QStringList QtValueOptions = {"platform", "platformpluginpath", "platformtheme", "plugin", "qmljsdebugger",
                                    "qwindowgeometry", "qwindowicon", "qwindowtitle", "session", "display",
                                    "geometry", "style", "stylesheet", "name", "title", "visual"};
const QStringList QtFlagOptions = {"reverse", "widgetcount", "nograb", "dograb", "sync", "testability"};

// An option neither this program nor the application knows.
bool isUnknownOption(const QByteArray &argument)
{
    if (argument.size() < 2 || !argument.startsWith('-'))
        return false;
    QString name = QString::fromLocal8Bit(argument).section(u'=', 0, 0);
    name.remove(0, name.startsWith(QLatin1String("--")) ? 2 : 1);
    return !QtValueOptions.contains(name) && !QtFlagOptions.contains(name);
}

QString workingDirectory()
{
    std::vector<char> buffer(4096);
    while (!::getcwd(buffer.data(), buffer.size())) {
        if (errno != ERANGE)
            return QString();
        buffer.resize(buffer.size() * 2);
    }
    return FileName::fromBytes(QByteArray(buffer.data()));
}

bool localeIsJapanese()
{
    return QLocale(QLocale::system().uiLanguages().value(0)).language() == QLocale::Japanese;
}

} // namespace

CommandLine::CommandLine(const QStringList &arguments, const QString &workingDirectory, bool japanese)
    : m_japanese(japanese)
{
    // Qt's own texts of the help (Usage:, Options:...) in the same language.
    QTranslator qtTexts;
    if (japanese && qtTexts.load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
                                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTexts);
    QCommandLineParser parser;
    parser.setApplicationDescription(japanese ? QStringLiteral("ファイルの中身を16進ダンプで表示します。")
                                              : QStringLiteral("Shows the contents of a file as a hexadecimal dump."));
    // Qt's own help and version options have no Japanese descriptions.
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  japanese ? QStringLiteral("このヘルプを表示して終了します。") : QStringLiteral("Shows this help and exits."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     japanese ? QStringLiteral("バージョンを表示して終了します。") : QStringLiteral("Shows the version and exits."));
    parser.addOptions({help, version});
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 japanese ? QStringLiteral("表示するファイル。パスまたは file:// URL。")
                                          : QStringLiteral("The file to show: a path or a file:// URL."),
                                 QStringLiteral("[FILE]"));
    if (!parser.parse(arguments)) {
        const QString option = parser.unknownOptionNames().value(0);
        m_errors = japanese ? QStringLiteral("hexmoth: 不明なオプション「%1」です（hexmoth --help を参照）。\n").arg(option)
                            : QStringLiteral("hexmoth: unknown option '%1' (see hexmoth --help).\n").arg(option);
        m_exitCode = UsageError;
    } else if (parser.isSet(help)) {
        m_output = parser.helpText();
        m_exitCode = 0;
    } else if (parser.isSet(version)) {
        m_output = QStringLiteral("hexmoth %1\n").arg(QCoreApplication::applicationVersion());
        m_exitCode = 0;
    } else
        takeFiles(parser.positionalArguments(), workingDirectory);
}

CommandLine CommandLine::ofProcess(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << FileName::fromBytes(QByteArray(argv[i]));
    return CommandLine(arguments, workingDirectory(), localeIsJapanese());
}

bool CommandLine::asksForAnswer(int argc, char **argv)
{
    for (int i = 1; i < argc && qstrcmp(argv[i], "--") != 0; ++i) {
        const QByteArray argument(argv[i]);
        if (AnswerOptions.contains(QLatin1String(argument)) || isUnknownOption(argument))
            return true;
        const QString name = QString::fromLocal8Bit(argument).remove(QRegularExpression(QStringLiteral("^--?")));
        if (argument.startsWith('-') && QtValueOptions.contains(name))
            ++i; // its value
    }
    return false;
}

void CommandLine::takeFiles(const QStringList &files, const QString &workingDirectory)
{
    if (files.isEmpty())
        return;
    const QString &first = files.constFirst();
    if (first.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)) {
        m_file = FileName::fromLocalUrl(QUrl(first));
        if (!m_file) {
            m_errors = m_japanese ? QStringLiteral("hexmoth: 「%1」はこのコンピューター上のファイルではありません。\n").arg(first)
                                  : QStringLiteral("hexmoth: '%1' is not a file on this computer.\n").arg(first);
            m_exitCode = UsageError;
            return;
        }
    } else
        m_file = absolute(first, workingDirectory);
    if (files.size() > 1) {
        QStringList others = files.mid(1);
        const QString quote = m_japanese ? QStringLiteral("「%1」") : QStringLiteral("'%1'");
        std::transform(others.begin(), others.end(), others.begin(),
                       [&quote](const QString &file) { return quote.arg(FileName::displayed(file)); });
        m_errors = m_japanese
            ? QStringLiteral("hexmoth: 開くのは最初のファイルだけです。ほかのファイルは hexmoth をもう一度起動して開いてください: %1\n")
                  .arg(others.join(QString()))
            : QStringLiteral("hexmoth: only the first file is opened; start hexmoth again for each of these: %1\n")
                  .arg(others.join(u' '));
    }
}

// Leaves ".." as it is: after a symbolic link it does not lead back.
QString CommandLine::absolute(const QString &file, const QString &workingDirectory) const
{
    if (file.isEmpty() || file.startsWith(u'/') || workingDirectory.isEmpty())
        return file;
    QStringList parts = (workingDirectory + u'/' + file).split(u'/');
    parts.removeIf([](const QString &part) { return part.isEmpty() || part == QLatin1String("."); });
    return u'/' + parts.join(u'/');
}

void CommandLine::print() const
{
    std::fputs(FileName::toBytes(m_output).constData(), stdout);
    std::fputs(FileName::toBytes(m_errors).constData(), stderr);
    std::fflush(stdout);
}
