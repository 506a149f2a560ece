// The web page's worker: runs the vorlund module once for each image of a choice, under the same
// WASI host as the command, and sends back what each run printed, in the order of the images. The
// page reads images on its own thread, where every engine can read a chosen file, and hands over
// their first blocks; this worker, where it can read a file at all (WebKit's cannot, in a page
// opened from disk), asks for images and reads them too, several at once: the two share the work
// as fast as each goes, which differs from engine to engine.
//
// From the page: { module, total, ranged }, the compiled module, how many images there are and
// how to read them (read.mjs), first;
// then { images: [{ at, name, size, block }] }, images it has read, `at` their place in the
// choice, `block` their first block (null for a read that failed); and { files: [{ at, name, file
// }] }, images for this worker to read. To the page: { banner }, what every report begins with,
// first; { want: n }, images for it to read, where it can read them; and { results: [{ out, err,
// fields, bytes }] }, the runs of each tenth of a second, in the order of the images: what each
// wrote on standard output, without the banner, and on standard error, the five fields of its
// report (null for a run that has a message instead), and how many of its bytes were read.
import { host } from '../src/cli/wasi.mjs';
import { readImage } from './read.mjs';

// Images read here at once, and how long the runs done wait to go to the page.
const READING = 16, BATCH_MS = 100;
const decoder = new TextDecoder();
let runs, banner, column, ranged, total = 0, results = [], sent = 0, timer = null;
const ready = new Map(); // at: an image read, waiting for those before it
let done = 0;

// One run on the image, the module's own argument its name, standard output a terminal, as the
// page shows what a terminal would: the module opens only its argument, which is this image.
function identify(name, image) {
    const written = { 1: [], 2: [] };
    const write = (fd, bytes) => {
        written[fd].push(bytes.slice());
        return bytes.length;
    };
    runs({ args: ['vorlund', name], open: () => opened(image), write, terminal: () => true });
    return { out: text(written[1]), err: text(written[2]) };
}

// What a stream took, in however many writes (the module makes one), as text.
function text(chunks) {
    const all = new Uint8Array(chunks.reduce((sum, chunk) => sum + chunk.length, 0));
    chunks.reduce((at, chunk) => (all.set(chunk, at), at + chunk.length), 0);
    return decoder.decode(all);
}

// An image as it was read: its size, and its first block, as long as the image or BLOCK, whichever
// is less. The module's reads are of its header, which is inside that block; anything else could
// not be read, and is a read that failed.
function opened(image) {
    if (!image.block) throw { code: 'EIO' };
    const block = new Uint8Array(image.block), size = BigInt(image.size);
    return {
        positioned: true,
        size: () => size,
        read(buffer, position) {
            if (position >= size) return 0;
            const end = position + BigInt(buffer.length);
            if (end > BigInt(block.length) && BigInt(block.length) < size) throw { code: 'EIO' };
            const got = block.subarray(Number(position), Number(end < size ? end : size));
            buffer.set(got);
            return got.length;
        },
        close() {},
    };
}

// The report's five lines, each field where the report puts it: behind its label, which every
// line pads to one width, as the run on an empty image named "-" shows.
const fieldsOf = (out) => out.split('\n').slice(-6, -1).map((line) => line.slice(column));

// Runs each image whose turn has come, in order.
function drain() {
    while (ready.has(done)) {
        const { name, ...image } = ready.get(done);
        ready.delete(done++);
        // A run can never take the others with it: whatever it throws is a read that failed.
        let result;
        try {
            result = identify(name, image);
        } catch {
            result = identify(name, { block: null });
        }
        const out = result.out.startsWith(banner) ? result.out.slice(banner.length) : result.out;
        results.push({ out, err: result.err, fields: out && !result.err ? fieldsOf(out) : null, bytes: image.block?.byteLength ?? 0 });
    }
    // What is done goes out once a tenth of a second has passed since the last went, or at the
    // end: at once then, and otherwise when it has passed, whether or not more come before it.
    const waited = performance.now() - sent;
    if (waited >= BATCH_MS || done === total) send();
    else timer ??= setTimeout(send, BATCH_MS - waited);
}

function send() {
    clearTimeout(timer);
    timer = null;
    if (!results.length) return;
    postMessage({ results });
    results = [];
    sent = performance.now();
}

onmessage = async ({ data }) => {
    if (data.module) {
        runs = host(data.module);
        ({ total, ranged } = data);
        // What every report begins with, from the module itself: all but the report of an empty
        // image, the last six lines, its first one empty.
        const lines = identify('-', { size: 0, block: new ArrayBuffer(0) }).out.split('\n');
        banner = lines.slice(0, -7).join('\n') + '\n';
        column = lines.at(-6).length - 1;
        postMessage({ banner });
        sent = performance.now();
        // Whether this worker may read a file at all, asked of a file it makes itself.
        if (await new Blob([new Uint8Array(1)]).arrayBuffer().then(() => true, () => false)) postMessage({ want: READING });
        return;
    }
    for (const image of data.images ?? []) ready.set(image.at, image);
    // Each image given to read, and one more asked for as each is read.
    for (const { at, name, file } of data.files ?? []) {
        readImage(file, ranged).then((image) => {
            ready.set(at, { name, ...image });
            postMessage({ want: 1 });
            drain();
        });
    }
    drain();
};
