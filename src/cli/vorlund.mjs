#!/usr/bin/env node
// vorlund as a command wherever Node.js runs (version 18 or later):
//
//     node vorlund.mjs IMAGE
//
// Where a folder beside this file holds vorlund's own program for this system, named as Node.js
// names the system (linux-x64/vorlund, win32-x64/vorlund.exe: the npm package has them), that
// program runs, with the arguments and the three standard streams as they are, and this command
// ends as it ended. Everywhere else (macOS, Windows on Arm, the BSDs, and the WebAssembly
// archive, which has no such folder) vorlund.wasm, the module beside this file, runs here under
// the WASI host of wasi.mjs.
//
// The module opens the one file its argument names, and the host hands the system that argument
// as it was typed, byte for byte, never a path rebuilt from what the module's C library asks
// for: the system resolves it as it resolves the native program's, links and `..` included. A
// name that Node.js cannot hand over as typed is refused, never opened as another file: a name
// that is not UTF-8 reaches Node.js with U+FFFD in it, as on Windows does one that is not
// UTF-16. The module's output goes to this process's own standard output and standard error,
// which it sees for what they are: a terminal is a terminal. Its exit status is the command's.
import { spawnSync } from 'node:child_process';
import { closeSync, constants, existsSync, fstatSync, openSync, readFileSync, readSync, statSync, writeSync } from 'node:fs';
import { devNull } from 'node:os';
import { isatty } from 'node:tty';
import { fileURLToPath } from 'node:url';
import { run } from './wasi.mjs';

// The global process: importing node:process would build its standard streams, which Node.js
// under Wine cannot do for a Unix pipe.
const { argv, env, platform, arch } = process;
const windows = platform === 'win32';
const args = argv.slice(2);
// Run as an emulator (by CMake and the tests, as they run qemu), it is given the module first,
// and runs that.
const emulated = env.VORLUND_WASI_EMULATOR === '1';
const module = emulated ? args.shift() : new URL('vorlund.wasm', import.meta.url);
const typedExactly = !args.some((arg) => arg.includes('\ufffd'));

// Node.js 22 and later put \\?\ before a path they open on Windows, which turns off Windows' own
// reading of it: a device name (NUL, nul.ngp, CON) is then a file of that name, and a trailing dot
// or blank stays part of the name, so that `game.ngp.` could open another file than vorlund.exe
// opens. Whether this Node.js does so is asked by opening NUL, which only Windows' own reading
// makes the null device; where it does, a path that those rules would read otherwise is refused.
// A path already in Windows' device form (\\.\ or \\?\) is handed over as it is by any Node.js.
let windowsReadsAsTyped;
const DEVICE = /^(CON|PRN|AUX|NUL|COM[0-9¹²³]|LPT[0-9¹²³]|CONIN\$|CONOUT\$)(\..*)?:?$/i;
function handedAsTyped(path) {
    if (path.includes('\ufffd')) return false;
    if (!windows || /^[\\/]{2}[.?][\\/]/.test(path)) return true;
    windowsReadsAsTyped ??= (() => {
        try {
            closeSync(openSync(Buffer.from('NUL'), constants.O_RDONLY));
            return true;
        } catch {
            return false;
        }
    })();
    const names = path.split(/[\\/]/);
    const trimmed = (name) => name !== '.' && name !== '..' && /[. ]$/.test(name);
    return windowsReadsAsTyped || !(names.some(trimmed) || DEVICE.test(names.at(-1).replace(/^[a-z]:/i, '')));
}

// The image: the one argument, opened read-only and non-blocking as the native program opens it
// (a FIFO with no writer is refused at once, a terminal's read does not wait), from the working
// directory, whatever its name. Whether the system can position it is told by what it is: files,
// directories and block devices can be, pipes, FIFOs and sockets cannot, and of the character
// devices those whose read cannot wait: on POSIX, where the open is non-blocking, every one (the
// null and zero devices read as empty files); on Windows, which opens nothing non-blocking, the
// null device alone (a console would wait for its keyboard).
function open() {
    const [typed] = args;
    if (!handedAsTyped(typed)) throw { code: 'EILSEQ' };
    const fd = openSync(Buffer.from(typed), constants.O_RDONLY | (constants.O_NONBLOCK ?? 0));
    const stat = fstatSync(fd, { bigint: true });
    const character = stat.isCharacterDevice() && (!windows || stat.rdev === statSync(devNull, { bigint: true }).rdev);
    return {
        positioned: stat.isFile() || stat.isDirectory() || stat.isBlockDevice() || character,
        size: () => fstatSync(fd, { bigint: true }).size,
        read: (buffer, position) => readSync(fd, buffer, 0, buffer.length, position),
        close: () => closeSync(fd),
    };
}

// A Windows console takes text through the console's own calls, which show every character in
// any code page: a plain write shows UTF-8 in the console's code page, as other characters.
function write(fd, bytes) {
    if (windows && isatty(fd)) {
        (fd === 1 ? process.stdout : process.stderr).write(bytes);
        return bytes.length;
    }
    return writeSync(fd, bytes);
}

// A terminal where the system says so; on Windows, as vorlund.exe takes it, any character device
// may be a console too: one opened for writing alone (cmd's `> CON`) has no mode to tell it by,
// and Node.js cannot describe it at all. Files and pipes it always can.
function terminal(fd) {
    if (isatty(fd)) return true;
    if (!windows) return false;
    try {
        return fstatSync(fd).isCharacterDevice();
    } catch {
        return true;
    }
}

// The program of this system, where there is one beside this file; one that cannot be started
// (a system that refuses it) leaves the work to the module. A name that Node.js could not hand it
// as typed goes to the module too, which refuses it.
const program = new URL(`${platform}-${arch}/vorlund${windows ? '.exe' : ''}`, import.meta.url);
const started = !emulated && typedExactly && existsSync(program) &&
    spawnSync(fileURLToPath(program), args, { stdio: 'inherit' });
if (started && !started.error) {
    // Ended by a signal, it ends this process by the same one, which Node.js ignores until a
    // handler of its own has come and gone: a reader gone from a pipe is SIGPIPE to the shell.
    if (started.signal) {
        process.on(started.signal, () => {});
        process.removeAllListeners(started.signal);
        process.kill(process.pid, started.signal);
    }
    process.exitCode = started.status ?? 1;
} else {
    process.exitCode = run(new WebAssembly.Module(readFileSync(module)), { args: ['vorlund', ...args], open, write, terminal });
}
