#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <QtGlobal>

// A share that plays a slow or stalled file server: a read-only FUSE
// passthrough of a folder (scripts/throttlefs.py), mounted for the life of
// this object in a folder of its own.
class ThrottledShare
{
public:
    struct Options
    {
        double bytesPerSecond = 0; // 0: as fast as the folder's disk
        qint64 stallAt = -1;       // the first read that reaches this offset hangs
        int stallSeconds = 20;
    };

    // Why no share can be mounted here (no /dev/fuse, fusermount or
    // python3-fusepy); empty when one can.
    static QString unavailableReason();
    // Throws std::runtime_error when the share does not come up.
    ThrottledShare(const QString &folder, const Options &options);
    // Unmounts, and ends the server even in the middle of a stall.
    ~ThrottledShare();
    ThrottledShare(const ThrottledShare &) = delete;
    ThrottledShare &operator=(const ThrottledShare &) = delete;

    // A file of the folder, as the share serves it.
    QString path(const QString &name) const { return m_mountPoint.filePath(name); }

private:
    bool isMounted() const;

    QTemporaryDir m_mountPoint;
    QProcess m_server;
};
