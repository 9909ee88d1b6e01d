#!/usr/bin/python3
"""A small read-only file system, held in memory, whose folders answer as slowly as a test wants: the
stand-in for a far network share or a sleeping disk. scripts/test mounts it before the tests run.

    menu/                     the folder the tests open
      quick/                  lists at once
      slow/                   each listing waits the delay
      slow-attributes/        lists at once; each of its files' attributes wait the delay
    control                   the delay: read "delay=<seconds> waiting=<calls>"; write a number of seconds

A delay written to `control` holds for the calls already waiting too: 0 releases them at once, a large
number keeps them waiting. The folders themselves always answer at once (Wine could not reach the slow
ones otherwise). The slow folders are small: Wine lists a folder again for each of its files' icons.

Usage: slowfs.py MOUNTPOINT [--delay SECONDS]   (runs in the foreground; unmount with fusermount3 -u)
"""

import argparse
import errno
import stat
import threading
import time

try:
    from fusepy import FUSE, FuseOSError, Operations  # Debian's python3-fusepy
except ImportError:
    from fuse import FUSE, FuseOSError, Operations  # fusepy from PyPI

FILES = ["a.txt", "b.txt", "c.txt", "d.txt"]
TREE = {
    "/": ["menu", "control"],
    "/menu": ["quick", "slow", "slow-attributes"],
    "/menu/quick": FILES,
    "/menu/slow": FILES,
    "/menu/slow-attributes": FILES[:2],
}
CONTROL = "/control"
CONTROL_SIZE = 40  # the text read back is padded to this size, so its size never changes


class Delay:
    """The one delay every slow call waits; changing it wakes the waiting calls to look again."""

    def __init__(self, seconds):
        self.seconds = seconds
        self.waiting = 0
        self.changed = threading.Condition()

    def wait(self):
        start = time.monotonic()
        with self.changed:
            self.waiting += 1
            try:
                while True:
                    left = start + self.seconds - time.monotonic()
                    if left <= 0:
                        return
                    self.changed.wait(left)
            finally:
                self.waiting -= 1

    def set(self, seconds):
        with self.changed:
            self.seconds = max(0.0, seconds)
            self.changed.notify_all()

    def text(self):
        with self.changed:
            line = "delay=%g waiting=%d" % (self.seconds, self.waiting)
        return line.ljust(CONTROL_SIZE - 1).encode() + b"\n"


class SlowFs(Operations):
    def __init__(self, delay):
        self.delay = delay
        self.mounted = time.time()

    def _parent(self, path):
        return path.rsplit("/", 1)[0] or "/"

    def _is_file(self, path):
        name = path.rsplit("/", 1)[1]
        return path != CONTROL and name in TREE.get(self._parent(path), []) and path not in TREE

    def getattr(self, path, fh=None):
        times = dict(st_atime=self.mounted, st_mtime=self.mounted, st_ctime=self.mounted)
        if path in TREE:
            return dict(st_mode=stat.S_IFDIR | 0o555, st_nlink=2, st_size=0, **times)
        if path == CONTROL:
            return dict(st_mode=stat.S_IFREG | 0o666, st_nlink=1, st_size=CONTROL_SIZE, **times)
        if not self._is_file(path):
            raise FuseOSError(errno.ENOENT)
        if self._parent(path) == "/menu/slow-attributes":
            self.delay.wait()
        return dict(st_mode=stat.S_IFREG | 0o444, st_nlink=1, st_size=len(self._content(path)), **times)

    def readdir(self, path, fh):
        if path not in TREE:
            raise FuseOSError(errno.ENOTDIR)
        if path == "/menu/slow":
            self.delay.wait()
        return [".", ".."] + TREE[path]

    def _content(self, path):
        return ("%s\n" % path).encode()

    def open(self, path, flags):
        writing = flags & (0o1 | 0o2)  # O_WRONLY, O_RDWR
        if path == CONTROL:
            return 0
        if not self._is_file(path):
            raise FuseOSError(errno.ENOENT)
        if writing:
            raise FuseOSError(errno.EROFS)
        return 0

    def read(self, path, size, offset, fh):
        data = self.delay.text() if path == CONTROL else self._content(path)
        return data[offset:offset + size]

    def write(self, path, data, offset, fh):
        if path != CONTROL:
            raise FuseOSError(errno.EROFS)
        try:
            self.delay.set(float(data.decode().strip() or "0"))
        except ValueError:
            raise FuseOSError(errno.EINVAL)
        return len(data)

    def truncate(self, path, length, fh=None):
        if path != CONTROL:
            raise FuseOSError(errno.EROFS)

    def getxattr(self, path, name, position=0):
        raise FuseOSError(errno.ENODATA)

    def listxattr(self, path):
        return []


def main():
    parser = argparse.ArgumentParser(description="A slow file system for the tests.")
    parser.add_argument("mountpoint")
    parser.add_argument("--delay", type=float, default=3.0, help="seconds each slow call waits")
    args = parser.parse_args()
    # The kernel keeps attributes for a second (its default): one look at a file's attributes, which
    # takes the platform several calls, waits the delay once.
    FUSE(SlowFs(Delay(args.delay)), args.mountpoint, foreground=True, nothreads=False, fsname="slowfs",
         subtype="slowfs")


if __name__ == "__main__":
    main()
