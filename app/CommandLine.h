#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// What the command line asks for: `hexmoth [FILE]`, or an answer printed
// without a window (--help and --version on standard output, a refused
// option on standard error). Qt's own options are taken by the application
// before this reads what is left.
//
// FILE is a path, taken from the working directory when relative, or a
// file:// URL of this machine. Of several files the first is opened; the
// others are named on standard error.
class CommandLine
{
public:
    // The exit status of an option refused.
    static constexpr int UsageError = 2;

    // `arguments` start with the program's name; they and `workingDirectory`
    // are names as FileName holds them. Help and messages in Japanese when
    // `japanese`, else in English. Needs a QCoreApplication.
    CommandLine(const QStringList &arguments, const QString &workingDirectory, bool japanese);

    // This process's arguments and working directory, in the language of
    // its locale.
    static CommandLine ofProcess(int argc, char **argv);
    // Whether argv asks only for an answer (help, version, or the refusal
    // of an option that neither the program nor Qt knows): the program then
    // needs no window system.
    static bool asksForAnswer(int argc, char **argv);

    // Set when the program is to exit without a window, with this status.
    std::optional<int> exitCode() const { return m_exitCode; }
    QString output() const { return m_output; } // for standard output
    QString errors() const { return m_errors; } // for standard error
    // The file to open, as FileName holds names.
    std::optional<QString> file() const { return m_file; }

    // Prints output() and errors() to their streams.
    void print() const;

private:
    void takeFiles(const QStringList &files, const QString &workingDirectory);
    QString absolute(const QString &file, const QString &workingDirectory) const;

    bool m_japanese;
    std::optional<int> m_exitCode;
    QString m_output;
    QString m_errors;
    std::optional<QString> m_file;
};
