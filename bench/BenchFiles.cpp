#include "BenchFiles.h"

#include "RandomBytes.h"
#include "ShiftJisTextGenerator.h"

#include <QDir>
#include <QFile>
#include <csignal>
#include <cstring>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr qint64 ChunkLength = qint64(1) << 20;

[[noreturn]] void fail(const QString &what, const QString &path, const QString &reason)
{
    throw std::runtime_error(QStringLiteral("%1 %2: %3").arg(what, path, reason).toStdString());
}

// The folder, removed with all in it when this process is ended by SIGINT,
// SIGTERM or SIGHUP, so that an interrupted run leaves no large files
// behind; the signal then takes its default course.
char folderToRemove[4096];
pid_t owner = 0; // forked children share the folder but leave it alone

// Only async-signal-safe calls here.
void removeFolderAndRaise(int signal)
{
    if (::getpid() == owner && folderToRemove[0]) {
        const pid_t remover = ::_Fork();
        if (remover == 0) {
            ::execl("/bin/rm", "rm", "-rf", folderToRemove, static_cast<char *>(nullptr));
            ::_exit(127);
        }
        if (remover > 0)
            ::waitpid(remover, nullptr, 0);
    }
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

} // namespace

BenchFiles::BenchFiles()
    : m_dir(QDir::tempPath() + QStringLiteral("/hexmoth-bench-XXXXXX"))
{
    const QByteArray folder = QFile::encodeName(m_dir.path());
    if (!m_dir.isValid() || folder.size() >= qsizetype(sizeof folderToRemove))
        fail(QStringLiteral("cannot make a folder in"), QDir::tempPath(), m_dir.errorString());
    std::memcpy(folderToRemove, folder.constData(), std::size_t(folder.size()) + 1);
    owner = ::getpid();
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        std::signal(signal, removeFolderAndRaise);
}

BenchFiles::~BenchFiles()
{
    folderToRemove[0] = 0;
}

QString BenchFiles::writeRandomBinary(const QString &name, qint64 size, quint32 seed, bool oneLine)
{
    RandomBytes random(seed);
    return write(name, size, [&random, oneLine](std::string &chunk, qint64, qint64 n) {
        const QByteArray bytes = oneLine ? random.nextLine(n) : random.next(n);
        chunk.append(bytes.constData(), std::size_t(n));
    });
}

QString BenchFiles::writeShiftJisText(const QString &name, qint64 size, quint64 seed)
{
    ShiftJisTextGenerator generator(seed);
    return write(name, size, [&generator](std::string &chunk, qint64, qint64 n) { generator.appendText(chunk, std::size_t(n)); });
}

QString BenchFiles::writeSparse(const QString &name, qint64 size, const QByteArray &tail)
{
    QFile file(m_dir.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || !file.resize(size) || !file.seek(size - tail.size()) || file.write(tail) != tail.size())
        fail(QStringLiteral("cannot make"), file.fileName(), file.errorString());
    return readOnce(file);
}

QString BenchFiles::write(const QString &name, qint64 size, const std::function<void(std::string &, qint64, qint64)> &fillChunk)
{
    QFile file(m_dir.filePath(name));
    if (!file.open(QIODevice::WriteOnly))
        fail(QStringLiteral("cannot create"), file.fileName(), file.errorString());
    std::string chunk;
    for (qint64 written = 0; written < size; written += qint64(chunk.size())) {
        chunk.clear();
        fillChunk(chunk, written, std::min(ChunkLength, size - written));
        if (file.write(chunk.data(), qint64(chunk.size())) != qint64(chunk.size()))
            fail(QStringLiteral("cannot write"), file.fileName(), file.errorString());
    }
    if (!file.flush() || ::fsync(file.handle()) != 0)
        fail(QStringLiteral("cannot write"), file.fileName(), file.errorString());
    return readOnce(file);
}

// Closed, then read through once; its path.
QString BenchFiles::readOnce(QFile &file)
{
    file.close();
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        fail(QStringLiteral("cannot read"), file.fileName(), file.errorString());
    std::string buffer(std::size_t(ChunkLength), '\0');
    while (file.read(buffer.data(), ChunkLength) > 0) {
    }
    return file.fileName();
}
