// vorlund as a command wherever Node.js runs (version 18 or later): runs vorlund.wasm, the module
// beside this file, with the arguments given, as the native program runs.
//
//     node vorlund.mjs IMAGE
//
// The module sees the whole file system, from the root, and stands in the directory that the
// command was started in, so that a path opens as typed, relative or absolute. Its output goes to
// this process's own standard output and standard error, which it sees for what they are: a
// terminal is a terminal. Its exit status is the command's.
import { readFile } from 'node:fs/promises';
import process from 'node:process';

// Node.js notes on standard error that its WASI is experimental. The note is not the program's:
// it would break the output that scripts compare, so it alone is kept back.
const emitWarning = process.emitWarning;
process.emitWarning = function (warning, ...details) {
    const type = typeof details[0] === 'string' ? details[0] : details[0]?.type;
    if (type === 'ExperimentalWarning' && String(warning?.message ?? warning).includes('WASI'))
        return;
    emitWarning.call(process, warning, ...details);
};
const { WASI } = await import('node:wasi');

// Run as an emulator (by CMake and the tests, as they run qemu), it is given the module first.
const args = process.argv.slice(2);
const module =
    process.env.VORLUND_WASI_EMULATOR === '1' ? args.shift() : new URL('vorlund.wasm', import.meta.url);

const wasi = new WASI({
    version: 'preview1',
    args: ['vorlund', ...args],
    // The module's only setting: where it stands.
    env: { PWD: process.cwd() },
    preopens: { '/': '/' },
    returnOnExit: true,
});
const instance = await WebAssembly.instantiate(await WebAssembly.compile(await readFile(module)), {
    wasi_snapshot_preview1: wasi.wasiImport,
});
process.exitCode = wasi.start(instance);
