// The WASI host of the vorlund module: the one place that answers what the module asks of its
// system (its arguments and environment, the directory it opens from, what each descriptor is,
// positioning, reading, writing, closing, its exit), for the command, vorlund.mjs, and for the web
// page's worker alike, so that the same question gets the same answer in both. What differs
// between them is handed in:
//
//     run(module, { args, open, write, terminal })      one run of the module
//     const runs = host(module); runs({ ... }) ...      as many as the caller makes, each its own
//
//   module    the compiled module
//   args      its arguments, the program's name first
//   open()    the image, which is all the module ever opens: its one argument. The command opens
//             the path as it was typed, the page the image that was chosen, whatever path the
//             module's C library made of it. Gives { positioned, size(), read(bytes, position),
//             close() }, or throws a system error: an object whose `code` names it ('ENOENT').
//   write(fd, bytes)  standard output (1) or standard error (2): how many bytes were taken
//   terminal(fd)      whether the descriptor is a terminal, which the module then keeps safe
//
// Each run returns the module's exit status. Sizes and positions are BigInts, as WASI's are.

// WASI's numbers for the errors a system call can give; the module needs only to know that one
// failed, but says which where it can.
const ERRNO = {
    SUCCESS: 0, EACCES: 2, EAGAIN: 6, EBADF: 8, EILSEQ: 25, EINVAL: 28, EIO: 29, EISDIR: 31, ELOOP: 32,
    ENAMETOOLONG: 37, ENOENT: 44, ENOSPC: 51, ENOSYS: 52, ENOTDIR: 54, ENXIO: 60, EPERM: 63, EPIPE: 64, ESPIPE: 70,
};
const errno = (error) => ERRNO[error?.code] ?? ERRNO.EIO;
const CHARACTER_DEVICE = 2, DIRECTORY = 3, REGULAR_FILE = 4;
const ALL_RIGHTS = 0x1fffffffn, SEEK_RIGHTS = 0x4n | 0x20n; // fd_seek and fd_tell
// The one directory, /, as descriptor 3; the image opens from 4 on.
const ROOT = 3, ROOT_NAME = new Uint8Array([0x2f]);

class Exit {
    constructor(code) {
        this.code = code;
    }
}

// One run of the module.
export const run = (module, options) => host(module)(options);

// host(MODULE): runs of the module, each as a new instance of it would run: nothing of one run is
// left for the next. A module that exports its stack pointer, the one global that a run changes,
// is made an instance once, and each run is given the memory and the stack it had before its first
// (a twentieth of what a new instance costs); one that grew its memory is made anew.
export function host(module) {
    let memory = null, instance = null, pristine = null, stack = 0;
    let argv = [], open, write, terminal; // those of the run in hand
    const view = () => new DataView(memory.buffer);
    const bytes = (at, length) => new Uint8Array(memory.buffer, at, length);
    const iovecs = (at, count) => Array.from({ length: count }, (_, i) =>
        bytes(view().getUint32(at + 8 * i, true), view().getUint32(at + 8 * i + 4, true)));
    const encoder = new TextEncoder();
    const files = new Map(); // descriptor: { file, position }
    let next = ROOT + 1;

    // Each call answers as WASI asks: an error number, 0 for success, and what it gives written
    // where the module said.
    const sizes = (list) => (count, size) => {
        view().setUint32(count, list.length, true);
        view().setUint32(size, list.reduce((sum, s) => sum + s.length, 0), true);
        return ERRNO.SUCCESS;
    };
    const put = (list) => (pointers, buffer) => {
        for (const s of list) {
            view().setUint32(pointers, buffer, true);
            bytes(buffer, s.length).set(s);
            pointers += 4;
            buffer += s.length;
        }
        return ERRNO.SUCCESS;
    };
    // Each buffer in turn, until one is not filled whole; a failure after some bytes counts them.
    const transfer = (buffers, move, result) => {
        let total = 0;
        try {
            for (const buffer of buffers) {
                const moved = move(buffer);
                total += moved;
                if (moved < buffer.length) break;
            }
        } catch (error) {
            if (total === 0) return errno(error);
        }
        view().setUint32(result, total, true);
        return ERRNO.SUCCESS;
    };

    const wasi = {
        args_sizes_get: (count, size) => sizes(argv)(count, size),
        args_get: (pointers, buffer) => put(argv)(pointers, buffer),
        environ_sizes_get: sizes([]),
        environ_get: put([]),
        fd_prestat_get(fd, at) {
            if (fd !== ROOT) return ERRNO.EBADF;
            view().setUint32(at, 0, true);
            view().setUint32(at + 4, ROOT_NAME.length, true);
            return ERRNO.SUCCESS;
        },
        fd_prestat_dir_name(fd, at, length) {
            if (fd !== ROOT || length < ROOT_NAME.length) return ERRNO.EBADF;
            bytes(at, ROOT_NAME.length).set(ROOT_NAME);
            return ERRNO.SUCCESS;
        },
        fd_fdstat_get(fd, at) {
            let type = REGULAR_FILE;
            if (fd <= 2 && terminal(fd)) type = CHARACTER_DEVICE;
            else if (fd === ROOT) type = DIRECTORY;
            else if (fd > ROOT && !files.has(fd)) return ERRNO.EBADF;
            // A terminal is a character device that cannot be positioned, as the C library asks.
            bytes(at, 24).fill(0);
            view().setUint8(at, type);
            view().setBigUint64(at + 8, type === CHARACTER_DEVICE ? ALL_RIGHTS & ~SEEK_RIGHTS : ALL_RIGHTS, true);
            view().setBigUint64(at + 16, ALL_RIGHTS, true);
            return ERRNO.SUCCESS;
        },
        // Asked only where the module is told a working directory (PWD) to go to, which it is not.
        path_filestat_get: () => ERRNO.ENOSYS,
        path_open(dirfd, _lookup, _at, _length, oflags, _base, _inheriting, _fdflags, result) {
            if (dirfd !== ROOT) return ERRNO.EBADF;
            // Read-only, as the program opens its image: nothing is made, cut or written.
            if (oflags & ~0x2) return ERRNO.ENOSYS;
            try {
                const fd = next++;
                files.set(fd, { file: open(), position: 0n });
                view().setUint32(result, fd, true);
                return ERRNO.SUCCESS;
            } catch (error) {
                return errno(error);
            }
        },
        fd_seek(fd, offset, whence, result) {
            const it = files.get(fd);
            if (!it) return fd <= 2 ? ERRNO.ESPIPE : ERRNO.EBADF;
            if (!it.file.positioned) return ERRNO.ESPIPE;
            let base;
            try {
                base = [0n, it.position, whence === 2 ? it.file.size() : undefined][whence];
            } catch (error) {
                return errno(error);
            }
            if (base === undefined || base + offset < 0n) return ERRNO.EINVAL;
            it.position = base + offset;
            view().setBigUint64(result, it.position, true);
            return ERRNO.SUCCESS;
        },
        fd_read(fd, at, count, result) {
            const it = files.get(fd);
            if (!it) return ERRNO.EBADF;
            return transfer(iovecs(at, count), (buffer) => {
                const got = it.file.read(buffer, it.position);
                it.position += BigInt(got);
                return got;
            }, result);
        },
        fd_write(fd, at, count, result) {
            if (fd !== 1 && fd !== 2) return ERRNO.EBADF;
            return transfer(iovecs(at, count), (buffer) => write(fd, buffer), result);
        },
        fd_close(fd) {
            const it = files.get(fd);
            if (!it) return ERRNO.EBADF;
            files.delete(fd);
            try {
                it.file.close();
                return ERRNO.SUCCESS;
            } catch (error) {
                return errno(error);
            }
        },
        proc_exit(code) {
            throw new Exit(code);
        },
    };

    return (options) => {
        ({ open, write, terminal } = options);
        argv = options.args.map((arg) => encoder.encode(`${arg}\0`));
        files.clear();
        next = ROOT + 1;
        const reused = instance?.exports.__stack_pointer && memory.buffer.byteLength === pristine.length;
        if (reused) {
            bytes(0, pristine.length).set(pristine);
            instance.exports.__stack_pointer.value = stack;
        } else {
            instance = new WebAssembly.Instance(module, { wasi_snapshot_preview1: wasi });
            memory = instance.exports.memory;
            pristine = bytes(0, memory.buffer.byteLength).slice();
            stack = instance.exports.__stack_pointer?.value;
        }
        try {
            instance.exports._start();
        } catch (error) {
            if (!(error instanceof Exit)) throw error;
            return error.code;
        }
        return 0;
    };
}
