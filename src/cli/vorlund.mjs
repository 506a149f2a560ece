#!/usr/bin/env node
// vorlund as a command wherever Node.js runs (version 18 or later): runs vorlund.wasm, the module
// beside this file, with the arguments given, as the native program runs.
//
//     node vorlund.mjs IMAGE
//
// The module's system calls are answered here, by the few WASI calls it makes, rather than by
// Node.js's own WASI, which resolves a path as text (so that lnk/../x.ngp, lnk a link to real/a,
// opened ./x.ngp instead of real/x.ngp, and a/../x.ngp opened x.ngp where a does not exist) and
// needs a working directory it can name. Here the image is opened by the system itself, from the
// path as the module asks for it, exactly as the native program's open(2) resolves it: links,
// `..` and `.` through the real file system, from the real working directory, whatever its name.
// The module is given two directories: / for an absolute path, and /proc/self/cwd, the name Linux
// gives the working directory, which the module stands in (PWD) and which routes a relative path
// to a relative open here; elsewhere no file has that name. A name that Node.js could not hand
// over exactly (its arguments are text: a name that is not UTF-8 arrives with U+FFFD in it) is
// refused, never opened as another file. Output goes to this process's own standard output and
// standard error, which the module sees for what they are: a terminal is a terminal. Its exit
// status is the command's.
import { closeSync, constants, fstatSync, openSync, readFileSync, readSync, statSync, writeSync } from 'node:fs';
import process from 'node:process';
import { isatty } from 'node:tty';

// Run as an emulator (by CMake and the tests, as they run qemu), it is given the module first.
const args = process.argv.slice(2);
const module = process.env.VORLUND_WASI_EMULATOR === '1' ? args.shift() : new URL('vorlund.wasm', import.meta.url);

const SUCCESS = 0, BADF = 8, INVAL = 28, IO = 29, ILSEQ = 25, NOTSUP = 58, SPIPE = 70;
// The errors of the system that have a WASI number of their own; the module needs only to know
// that a call failed.
const ERRNO = { EACCES: 2, EAGAIN: 6, EISDIR: 31, ELOOP: 32, ENAMETOOLONG: 37, ENOENT: 44, ENOSPC: 51, ENOTDIR: 54,
    ENXIO: 60, EPERM: 63, EPIPE: 64, ESPIPE: SPIPE };
const errno = (error) => ERRNO[error?.code] ?? IO;
const CHARACTER_DEVICE = 2, DIRECTORY = 3, REGULAR_FILE = 4;
const ALL_RIGHTS = 0x1fffffffn, SEEK_RIGHTS = 0x4n | 0x20n; // fd_seek and fd_tell
// The two directories, as descriptors 3 and 4; the images open from 5 on.
const ROOT = 3, HERE = 4, HERE_NAME = '/proc/self/cwd';
const DIRECTORIES = { [ROOT]: '/', [HERE]: HERE_NAME };
const REPLACEMENT = Buffer.from('\ufffd');

const encoder = new TextEncoder();
const strings = (list) => list.map((s) => encoder.encode(`${s}\0`));
const argv = strings(['vorlund', ...args]);
const environ = strings([`PWD=${HERE_NAME}`]);
const open = new Map(); // fd: { fd, position }, the host's descriptor and where the module stands
let next = 5;
let memory = null;
const view = () => new DataView(memory.buffer);
const bytes = (at, length) => new Uint8Array(memory.buffer, at, length);
const iovecs = (at, count) => Array.from({ length: count }, (_, i) =>
    bytes(view().getUint32(at + 8 * i, true), view().getUint32(at + 8 * i + 4, true)));

class Exit { constructor(code) { this.code = code; } }

// Each call answers as WASI asks: a number, 0 for success, and what it gives written where the
// module said.
const sizes = (list) => (count, size) => {
    view().setUint32(count, list.length, true);
    view().setUint32(size, list.reduce((sum, s) => sum + s.length, 0), true);
    return SUCCESS;
};
const put = (list) => (pointers, buffer) => {
    for (const s of list) {
        view().setUint32(pointers, buffer, true);
        bytes(buffer, s.length).set(s);
        pointers += 4;
        buffer += s.length;
    }
    return SUCCESS;
};
// The host's path that the module's PATH, given relative to one of its directories, names.
const hostPath = (dirfd, at, length) => {
    const path = Buffer.from(bytes(at, length));
    if (path.includes(REPLACEMENT)) return null;
    return dirfd === ROOT ? Buffer.concat([Buffer.from('/'), path]) : path;
};
// Whether the host's descriptor can be positioned: a read of nothing in place cannot tell, one of
// a byte at offset 0 can, and moves nothing.
const seekable = (fd) => {
    try {
        readSync(fd, Buffer.alloc(1), 0, 1, 0);
        return true;
    } catch (error) {
        return error.code !== 'ESPIPE';
    }
};
const filestat = (at, stat) => {
    bytes(at, 64).fill(0);
    view().setBigUint64(at, stat.dev, true);
    view().setBigUint64(at + 8, stat.ino, true);
    view().setUint8(at + 16, stat.isDirectory() ? DIRECTORY : stat.isFile() ? REGULAR_FILE : stat.isCharacterDevice() ? CHARACTER_DEVICE : 0);
    view().setBigUint64(at + 24, stat.nlink, true);
    view().setBigUint64(at + 32, stat.size, true);
    return SUCCESS;
};

const wasi = {
    args_sizes_get: sizes(argv),
    args_get: put(argv),
    environ_sizes_get: sizes(environ),
    environ_get: put(environ),
    fd_prestat_get(fd, at) {
        if (!DIRECTORIES[fd]) return BADF;
        view().setUint32(at, 0, true);
        view().setUint32(at + 4, DIRECTORIES[fd].length, true);
        return SUCCESS;
    },
    fd_prestat_dir_name(fd, at, length) {
        if (!DIRECTORIES[fd] || length < DIRECTORIES[fd].length) return BADF;
        bytes(at, length).set(encoder.encode(DIRECTORIES[fd]));
        return SUCCESS;
    },
    fd_fdstat_get(fd, at) {
        // Standard output is a terminal where it is one, which the module then keeps safe.
        let type = REGULAR_FILE;
        if (fd <= 2 && isatty(fd)) type = CHARACTER_DEVICE;
        else if (DIRECTORIES[fd]) type = DIRECTORY;
        else if (fd > 2 && !open.has(fd)) return BADF;
        bytes(at, 24).fill(0);
        view().setUint8(at, type);
        view().setBigUint64(at + 8, type === CHARACTER_DEVICE ? ALL_RIGHTS & ~SEEK_RIGHTS : ALL_RIGHTS, true);
        view().setBigUint64(at + 16, ALL_RIGHTS, true);
        return SUCCESS;
    },
    path_filestat_get(dirfd, flags, at, length, result) {
        if (!DIRECTORIES[dirfd]) return BADF;
        const path = hostPath(dirfd, at, length);
        if (path === null) return ILSEQ;
        try {
            return filestat(result, statSync(path, { bigint: true }));
        } catch (error) {
            return errno(error);
        }
    },
    path_open(dirfd, _lookup, at, length, oflags, _base, _inheriting, fdflags, result) {
        if (!DIRECTORIES[dirfd]) return BADF;
        // Read-only, as the program opens its image: nothing is made, cut or written.
        if (oflags & ~0x2) return NOTSUP;
        const path = hostPath(dirfd, at, length);
        if (path === null) return ILSEQ;
        let flags = constants.O_RDONLY;
        if (oflags & 0x2) flags |= constants.O_DIRECTORY ?? 0;
        if (fdflags & 0x4) flags |= constants.O_NONBLOCK ?? 0;
        try {
            const fd = next++;
            open.set(fd, { fd: openSync(path, flags), position: 0n });
            view().setUint32(result, fd, true);
            return SUCCESS;
        } catch (error) {
            return errno(error);
        }
    },
    fd_seek(fd, offset, whence, result) {
        const it = open.get(fd);
        if (!it) return fd <= 2 ? SPIPE : BADF;
        if (!seekable(it.fd)) return SPIPE;
        let base;
        try {
            base = [0n, it.position, fstatSync(it.fd, { bigint: true }).size][whence];
        } catch (error) {
            return errno(error);
        }
        if (base === undefined || base + offset < 0n) return INVAL;
        it.position = base + offset;
        view().setBigUint64(result, it.position, true);
        return SUCCESS;
    },
    fd_read(fd, at, count, result) {
        const it = open.get(fd);
        if (!it) return BADF;
        let total = 0;
        try {
            for (const buffer of iovecs(at, count)) {
                const got = readSync(it.fd, buffer, 0, buffer.length, it.position);
                it.position += BigInt(got);
                total += got;
                if (got < buffer.length) break;
            }
        } catch (error) {
            if (total === 0) return errno(error);
        }
        view().setUint32(result, total, true);
        return SUCCESS;
    },
    fd_write(fd, at, count, result) {
        if (fd !== 1 && fd !== 2) return BADF;
        let total = 0;
        try {
            for (const buffer of iovecs(at, count)) {
                const wrote = writeSync(fd, buffer);
                total += wrote;
                if (wrote < buffer.length) break;
            }
        } catch (error) {
            if (total === 0) return errno(error);
        }
        view().setUint32(result, total, true);
        return SUCCESS;
    },
    fd_close(fd) {
        const it = open.get(fd);
        if (!it) return BADF;
        open.delete(fd);
        try {
            closeSync(it.fd);
            return SUCCESS;
        } catch (error) {
            return errno(error);
        }
    },
    proc_exit(code) { throw new Exit(code); },
};

const instance = new WebAssembly.Instance(new WebAssembly.Module(readFileSync(module)), { wasi_snapshot_preview1: wasi });
memory = instance.exports.memory;
try {
    instance.exports._start();
    process.exitCode = 0;
} catch (error) {
    if (!(error instanceof Exit)) throw error;
    process.exitCode = error.code;
}
