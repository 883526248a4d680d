#!/usr/bin/python3
"""A read-only FUSE passthrough that plays a slow or stalled file server.

    throttlefs.py SOURCE MOUNTPOINT [--rate BYTES_PER_S] [--stall-at OFFSET --stall-seconds S]

Serves SOURCE's files under MOUNTPOINT in the foreground. Reads are paced to
--rate bytes per second over all files; the first read that reaches
--stall-at hangs for --stall-seconds, as a share does while its server
reboots. Unmount with `fusermount -u MOUNTPOINT` or by ending the process.
Needs python3-fusepy and fuse3 (Debian) and /dev/fuse.
"""

import argparse
import ctypes
import errno
import os
import signal
import threading
import time

try:
    from fusepy import FUSE, FuseOSError, Operations  # Debian names the module so
except ImportError:
    from fuse import FUSE, FuseOSError, Operations


class Throttled(Operations):
    def __init__(self, source, rate, stall_at, stall_seconds):
        self.source = os.path.realpath(source)
        self.rate = rate
        self.stall_at = stall_at
        self.stall_seconds = stall_seconds
        self.guard = threading.Lock()
        self.next_free = time.monotonic()  # when the pacing lets the next byte through

    def _path(self, path):
        return os.path.join(self.source, path.lstrip('/'))

    def getattr(self, path, fh=None):
        st = os.lstat(self._path(path))
        keys = ('st_mode', 'st_size', 'st_nlink', 'st_uid', 'st_gid', 'st_atime', 'st_mtime', 'st_ctime')
        return {key: getattr(st, key) for key in keys}

    def readdir(self, path, fh):
        return ['.', '..'] + os.listdir(self._path(path))

    def open(self, path, flags):
        if flags & (os.O_WRONLY | os.O_RDWR):
            raise FuseOSError(errno.EROFS)
        return os.open(self._path(path), os.O_RDONLY)

    def release(self, path, fh):
        os.close(fh)

    def read(self, path, size, offset, fh):
        self._stall_if_reached(offset, size)
        data = os.pread(fh, size, offset)
        self._pace(len(data))
        return data

    def _stall_if_reached(self, offset, size):
        with self.guard:
            due = self.stall_at is not None and offset + size > self.stall_at
            if due:
                self.stall_at = None
        if due:
            time.sleep(self.stall_seconds)

    def _pace(self, count):
        if not self.rate:
            return
        with self.guard:
            now = time.monotonic()
            self.next_free = max(self.next_free, now) + count / self.rate
            wait = self.next_free - now
        time.sleep(wait)


def end_with_parent():
    """A benchmark or test that dies does not leave its share mounted."""
    try:
        ctypes.CDLL(None, use_errno=True).prctl(1, signal.SIGTERM)  # PR_SET_PDEATHSIG
    except (OSError, AttributeError):
        pass


def main():
    end_with_parent()
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('source')
    parser.add_argument('mountpoint')
    parser.add_argument('--rate', type=float, default=0, help='bytes per second (0: as fast as the source)')
    parser.add_argument('--stall-at', type=int, default=None, help='the first read reaching this offset hangs')
    parser.add_argument('--stall-seconds', type=float, default=20)
    args = parser.parse_args()
    FUSE(Throttled(args.source, args.rate, args.stall_at, args.stall_seconds), args.mountpoint,
         foreground=True, ro=True, nothreads=False)


if __name__ == '__main__':
    main()
