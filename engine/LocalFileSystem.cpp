#include "LocalFileSystem.h"

#include "FileName.h"
#include "LocalInputFile.h"
#include "SystemReason.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace {

// Not in <linux/magic.h>.
constexpr long ConfigFsMagic = 0x62656570;
constexpr long CifsMagic = 0xFF534D42;
constexpr long Smb2Magic = 0xFE534D42;
constexpr long FuseMagic = 0x65735546;
constexpr long CephMagic = 0x00C36400;
constexpr long NcpMagic = 0x564C;
constexpr long LustreMagic = 0x0BD00BD0;
constexpr long Gfs2Magic = 0x01161970;

// Pseudo file systems, whose files report a nominal size (0, or a page)
// whatever they hold.
bool hasNominalSizes(const struct statfs &fileSystem)
{
    switch (long(fileSystem.f_type)) {
    case PROC_SUPER_MAGIC:
    case SYSFS_MAGIC:
    case DEBUGFS_MAGIC:
    case TRACEFS_MAGIC:
    case SECURITYFS_MAGIC:
    case CGROUP_SUPER_MAGIC:
    case CGROUP2_SUPER_MAGIC:
    case ConfigFsMagic:
        return true;
    default:
        return false;
    }
}

// File systems whose reads can stall for as long as a server or a FUSE
// daemon takes: their files are never mapped, since a paint or a screen
// reader's query that touched a page of one would freeze the window until
// the server came back. Their text is a copy (TextStorage), which stays
// readable while the share is gone.
bool mayStall(const struct statfs &fileSystem)
{
    switch (long(fileSystem.f_type)) {
    case NFS_SUPER_MAGIC:
    case SMB_SUPER_MAGIC:
    case CifsMagic:
    case Smb2Magic:
    case FuseMagic:
    case CODA_SUPER_MAGIC:
    case AFS_SUPER_MAGIC:
    case AFS_FS_MAGIC:
    case CephMagic:
    case V9FS_MAGIC:
    case NcpMagic:
    case LustreMagic:
    case OCFS2_SUPER_MAGIC:
    case Gfs2Magic:
        return true;
    default:
        return false;
    }
}

// Whether a regular file's size is its length. `fileSystem` is nullptr when
// it could not be examined; its sizes are then taken as real.
bool sizeIsKnown(const struct stat &file, const struct statfs *fileSystem)
{
    return file.st_size > 0 && !(fileSystem && hasNominalSizes(*fileSystem));
}

} // namespace

FileSystem::Status LocalFileSystem::status(const QString &path)
{
    const QByteArray name = FileName::toBytes(path);
    struct stat info {};
    Status result;
    if (::stat(name.constData(), &info) != 0) {
        result.errorText = SystemReason::text(errno);
        return result;
    }
    struct statfs fileSystem {};
    const bool examined = ::statfs(name.constData(), &fileSystem) == 0;
    result.ok = true;
    result.isRegular = S_ISREG(info.st_mode);
    result.size = result.isRegular ? qint64(info.st_size) : 0;
    result.sizeKnown = result.isRegular && sizeIsKnown(info, examined ? &fileSystem : nullptr);
    return result;
}

std::unique_ptr<InputFile> LocalFileSystem::open(const QString &path, QString &errorText)
{
    // O_NONBLOCK: a FIFO swapped in for the file must not hang the open.
    const int fd = ::open(FileName::toBytes(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        errorText = SystemReason::text(errno);
        return nullptr;
    }
    struct stat info {};
    const bool examined = ::fstat(fd, &info) == 0;
    if (!examined || !S_ISREG(info.st_mode)) {
        errorText = examined ? SystemReason::notRegularFile() : SystemReason::text(errno);
        ::close(fd);
        return nullptr;
    }
    struct statfs fileSystem {};
    const bool fileSystemKnown = ::fstatfs(fd, &fileSystem) == 0;
    const bool sized = sizeIsKnown(info, fileSystemKnown ? &fileSystem : nullptr);
    if (sized) {
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    }
    const qint64 memory = availableMemory();
    const bool dropBehind = sized && memory >= 0 && qint64(info.st_size) > memory / 2;
    return std::make_unique<LocalInputFile>(fd, dropBehind, !(fileSystemKnown && mayStall(fileSystem)));
}

qint64 LocalFileSystem::availableMemory()
{
    QFile meminfo(QStringLiteral("/proc/meminfo"));
    if (!meminfo.open(QIODevice::ReadOnly))
        return -1;
    // readAll reads on to the real end: the file reports a size of 0, so
    // atEnd() is true before the first line.
    const QList<QByteArray> lines = meminfo.readAll().split('\n');
    for (const QByteArray &line : lines) {
        if (line.startsWith("MemAvailable:")) {
            bool ok = false;
            const qint64 kib = line.mid(13).trimmed().split(' ').value(0).toLongLong(&ok);
            return ok ? kib * 1024 : -1;
        }
    }
    return -1;
}
