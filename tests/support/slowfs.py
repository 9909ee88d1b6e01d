#!/usr/bin/python3
"""A small file system, held in memory and read-only but for its control file, whose folders answer as
slowly as a test wants: the stand-in for a far network share or a sleeping disk. scripts/test mounts it
before the tests run.

    menu/                     the folder the tests open
      quick/                  lists at once
      slow/                   each listing waits the delay
      slow-attributes/        lists at once; each look at one of its files' attributes waits the delay
    control                   the delay: read "delay=<seconds> waiting=<calls>"; write a number of seconds

A delay written to `control` holds for the calls already waiting too: 0 releases them at once, a large
number keeps them waiting. The folders themselves always answer at once (Wine could not reach the slow
ones otherwise), and so does a look for one file by its name: only listing is slow, as on a far share.
That matters under Wine, which looks for desktop.ini in every folder it binds and, not finding a name,
lists the folder to search it without regard to case, all inside a lock of its own that every thread of
the process takes: slow/ therefore has a desktop.ini that its listing does not show. The slow folders
hold a few files each, as Wine may list a folder more than once to show it.

libfuse 3 (pyfuse3), not 2: with libfuse 2 the kernel makes every look-up in a folder wait for a listing
of it that is under way, which a far share does not do.

Usage: slowfs.py MOUNTPOINT [--delay SECONDS] [--verbose]   (unmount with fusermount3 -u, or end it)
"""

import argparse
import errno
import os
import signal
import stat
import sys
import time

import pyfuse3
import trio

FILES = ["a.txt", "b.txt", "c.txt", "d.txt"]
TREE = {
    "/": ["menu", "control"],
    "/menu": ["quick", "slow", "slow-attributes"],
    "/menu/quick": FILES,
    "/menu/slow": FILES,
    "/menu/slow-attributes": FILES[:2],
}
SLOW_LISTING = "/menu/slow"
SLOW_ATTRIBUTES = "/menu/slow-attributes"
UNLISTED = {"/menu/slow/desktop.ini": b"[.ShellClassInfo]\r\n"}
CONTROL = "/control"
CONTROL_SIZE = 40  # what reading it gives is padded to this size, so its size never changes
KEEP = 1.0  # seconds the kernel keeps names and attributes: one look at a file waits once, not per call
MOUNTED_NS = time.time_ns()


class Delay:
    """The one delay every slow call waits; setting it wakes the waiting calls to look again."""

    def __init__(self, seconds, verbose):
        self.seconds = seconds
        self.waiting = 0
        self.changed = trio.Event()
        self.verbose = verbose

    async def wait(self, what):
        if self.verbose:
            print("%.3f wait %s" % (trio.current_time(), what), file=sys.stderr, flush=True)
        start = trio.current_time()
        self.waiting += 1
        try:
            while True:
                left = start + self.seconds - trio.current_time()
                if left <= 0:
                    return
                with trio.move_on_after(left):
                    await self.changed.wait()
        finally:
            self.waiting -= 1

    def set(self, seconds):
        self.seconds = max(0.0, seconds)
        self.changed.set()
        self.changed = trio.Event()

    def text(self):
        line = "delay=%g waiting=%d" % (self.seconds, self.waiting)
        return line.ljust(CONTROL_SIZE - 1).encode() + b"\n"


class SlowFs(pyfuse3.Operations):
    def __init__(self, delay):
        super().__init__()
        self.delay = delay
        self.paths = {pyfuse3.ROOT_INODE: "/"}
        for path in list(TREE) + [p for d in TREE for p in self._children(d)] + list(UNLISTED):
            if path not in self.paths.values():
                self.paths[len(self.paths) + 1] = path  # inodes from 2 up, never given back
        self.inodes = {path: inode for inode, path in self.paths.items()}

    @staticmethod
    def _children(folder):
        return [(folder.rstrip("/") + "/" + name) for name in TREE[folder]]

    def _path(self, inode):
        try:
            return self.paths[inode]
        except KeyError:
            raise pyfuse3.FUSEError(errno.ENOENT)

    def _content(self, path):
        return UNLISTED.get(path, ("%s\n" % path).encode())

    def _attributes(self, path, keep=KEEP):
        entry = pyfuse3.EntryAttributes()
        entry.st_ino = self.inodes[path]
        if path in TREE:
            entry.st_mode, entry.st_nlink, entry.st_size = stat.S_IFDIR | 0o555, 2, 0
        elif path == CONTROL:
            entry.st_mode, entry.st_nlink, entry.st_size = stat.S_IFREG | 0o666, 1, CONTROL_SIZE
        else:
            entry.st_mode, entry.st_nlink, entry.st_size = stat.S_IFREG | 0o444, 1, len(self._content(path))
        entry.st_uid, entry.st_gid = os.getuid(), os.getgid()
        entry.st_atime_ns = entry.st_mtime_ns = entry.st_ctime_ns = MOUNTED_NS
        entry.entry_timeout = entry.attr_timeout = keep
        return entry

    async def _looked_at(self, path):
        if path.rsplit("/", 1)[0] == SLOW_ATTRIBUTES:
            await self.delay.wait("attributes " + path)
        return self._attributes(path)

    async def lookup(self, parent_inode, name, ctx=None):
        parent = self._path(parent_inode)
        path = parent.rstrip("/") + "/" + os.fsdecode(name)
        if path not in self.inodes or (path not in UNLISTED and path not in self._children(parent)):
            raise pyfuse3.FUSEError(errno.ENOENT)
        return await self._looked_at(path)

    async def getattr(self, inode, ctx=None):
        return await self._looked_at(self._path(inode))

    async def setattr(self, inode, attr, fields, fh, ctx):
        if self._path(inode) != CONTROL:
            raise pyfuse3.FUSEError(errno.EROFS)
        return self._attributes(CONTROL)  # truncating it changes nothing

    async def opendir(self, inode, ctx):
        if self._path(inode) not in TREE:
            raise pyfuse3.FUSEError(errno.ENOTDIR)
        return inode

    async def readdir(self, fh, start_id, token):
        folder = self._path(fh)
        if folder == SLOW_LISTING and start_id == 0:
            await self.delay.wait("listing " + folder)
        children = self._children(folder)
        for index in range(start_id, len(children)):
            # Kept by the kernel for no time: a look at a file afterwards still asks for its attributes.
            entry = self._attributes(children[index], keep=0)
            if not pyfuse3.readdir_reply(token, os.fsencode(children[index].rsplit("/", 1)[1]), entry,
                                         index + 1):
                return

    async def open(self, inode, flags, ctx):
        path = self._path(inode)
        if path in TREE:
            raise pyfuse3.FUSEError(errno.EISDIR)
        if path != CONTROL and flags & (os.O_WRONLY | os.O_RDWR):
            raise pyfuse3.FUSEError(errno.EROFS)
        info = pyfuse3.FileInfo(fh=inode)
        info.direct_io = path == CONTROL  # its text changes while its size does not
        return info

    async def read(self, fh, off, size):
        path = self._path(fh)
        data = self.delay.text() if path == CONTROL else self._content(path)
        return data[off:off + size]

    async def write(self, fh, off, buf):
        if self._path(fh) != CONTROL:
            raise pyfuse3.FUSEError(errno.EROFS)
        try:
            self.delay.set(float(buf.decode().strip() or "0"))
        except ValueError:
            raise pyfuse3.FUSEError(errno.EINVAL)
        return len(buf)

    async def getxattr(self, inode, name, ctx):
        raise pyfuse3.FUSEError(pyfuse3.ENOATTR)

    async def listxattr(self, inode, ctx):
        return []

    async def statfs(self, ctx):
        data = pyfuse3.StatvfsData()
        data.f_bsize = data.f_frsize = 4096
        data.f_blocks, data.f_files, data.f_namemax = 1024, len(self.paths), 255
        return data


async def serve():
    async with trio.open_nursery() as nursery:

        async def main_loop():
            await pyfuse3.main()
            nursery.cancel_scope.cancel()  # unmounted from outside

        async def end_on_signal():
            with trio.open_signal_receiver(signal.SIGTERM, signal.SIGINT) as signals:
                async for _ in signals:
                    nursery.cancel_scope.cancel()

        nursery.start_soon(main_loop)
        nursery.start_soon(end_on_signal)


def main():
    parser = argparse.ArgumentParser(description="A slow file system for the tests.")
    parser.add_argument("mountpoint")
    parser.add_argument("--delay", type=float, default=3.0, help="seconds each slow call waits")
    parser.add_argument("--verbose", action="store_true", help="print each call that waits")
    args = parser.parse_args()

    async def run():
        fs = SlowFs(Delay(args.delay, args.verbose))
        options = set(pyfuse3.default_options) | {"fsname=slowfs"}
        pyfuse3.init(fs, args.mountpoint, options)
        try:
            await serve()
        finally:
            pyfuse3.close(unmount=True)

    trio.run(run)


if __name__ == "__main__":
    main()
