#include "ThrottledShare.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QStandardPaths>
#include <QThread>
#include <stdexcept>
#include <sys/vfs.h>

namespace {

constexpr long FuseMagic = 0x65735546;
const QString Python = QStringLiteral("/usr/bin/python3");
const QString Script = QStringLiteral(HEXMOTH_SOURCE_DIR "/scripts/throttlefs.py");

QString fusermount()
{
    const QString three = QStandardPaths::findExecutable(QStringLiteral("fusermount3"));
    return three.isEmpty() ? QStandardPaths::findExecutable(QStringLiteral("fusermount")) : three;
}

} // namespace

QString ThrottledShare::unavailableReason()
{
    if (!QFile::exists(QStringLiteral("/dev/fuse")))
        return QStringLiteral("no /dev/fuse");
    if (fusermount().isEmpty())
        return QStringLiteral("no fusermount (apt-get install fuse3)");
    const int found = QProcess::execute(Python, {QStringLiteral("-c"), QStringLiteral("import fusepy")});
    if (found != 0)
        return QStringLiteral("no python3-fusepy (apt-get install python3-fusepy)");
    return {};
}

ThrottledShare::ThrottledShare(const QString &folder, const Options &options)
{
    QStringList arguments{Script, folder, m_mountPoint.path(), QStringLiteral("--rate"), QString::number(options.bytesPerSecond, 'f', 0)};
    if (options.stallAt >= 0)
        arguments << QStringLiteral("--stall-at") << QString::number(options.stallAt) << QStringLiteral("--stall-seconds")
                  << QString::number(options.stallSeconds);
    m_server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_server.start(Python, arguments);
    const QDeadlineTimer deadline(10'000);
    while (!isMounted() && !deadline.hasExpired() && m_server.state() != QProcess::NotRunning)
        QThread::msleep(20);
    if (!isMounted())
        throw std::runtime_error("the throttled share did not come up");
}

ThrottledShare::~ThrottledShare()
{
    QProcess::execute(fusermount(), {QStringLiteral("-u"), QStringLiteral("-z"), m_mountPoint.path()});
    m_server.kill();
    m_server.waitForFinished(5'000);
}

bool ThrottledShare::isMounted() const
{
    struct statfs fileSystem {};
    return ::statfs(QFile::encodeName(m_mountPoint.path()).constData(), &fileSystem) == 0 && long(fileSystem.f_type) == FuseMagic;
}
