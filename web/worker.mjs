// The web page's worker: runs the vorlund module once for each image that the page hands it,
// under the same WASI host as the command, and sends back what each run printed. It reads no
// file: the page reads each image's first block, which holds its header, and hands it over with
// the image's size, since in some engines (WebKit from disk) a worker may read no file at all.
//
// From the page: { module }, the compiled module, first; then { images: [{ name, size, block }]
// }, in the order the text shows them, as many times as it takes, `block` null for an image that
// could not be read whole. To the page: { banner }, what every report begins with; then
// { results: [{ out, err, fields }] }, the runs of each tenth of a second at a time, in the
// order given: what each wrote on standard output, without the banner, and on standard error,
// and the five fields of its report (null for a run that has a message instead).
import { run } from '../src/cli/wasi.mjs';

const BATCH_MS = 100;
const decoder = new TextDecoder();
let module, banner, column, results = [], sent = 0, timer = null;

// One run on the image, the module's own argument its name, standard output a terminal, as the
// page shows what a terminal would: the module opens only its argument, which is this image.
function identify(name, image) {
    const written = { 1: [], 2: [] };
    const write = (fd, bytes) => {
        written[fd].push(bytes.slice());
        return bytes.length;
    };
    run(module, { args: ['vorlund', name], open: () => opened(image), write, terminal: () => true });
    return { out: text(written[1]), err: text(written[2]) };
}

// What a stream took, in however many writes (the module makes one), as text.
function text(chunks) {
    const all = new Uint8Array(chunks.reduce((sum, chunk) => sum + chunk.length, 0));
    chunks.reduce((at, chunk) => (all.set(chunk, at), at + chunk.length), 0);
    return decoder.decode(all);
}

// An image as the page read it: its size, and its first block, which is as long as the image or
// the block that the page reads, whichever is less. The module's reads are of its header, which
// is inside that block; anything else the page could not read, and is a read that failed.
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

onmessage = ({ data }) => {
    if (data.module) {
        module = data.module;
        // What every report begins with, from the module itself: all but the report of an empty
        // image, the last six lines, its first one empty.
        const { out } = identify('-', { size: 0, block: new ArrayBuffer(0) });
        const lines = out.split('\n');
        banner = lines.slice(0, -7).join('\n') + '\n';
        column = lines.at(-6).length - 1;
        postMessage({ banner });
        sent = performance.now();
        return;
    }
    for (const { name, ...image } of data.images) {
        // A run can never take the others with it: whatever it throws is a read that failed.
        let result;
        try {
            result = identify(name, image);
        } catch {
            result = identify(name, { block: null });
        }
        const out = result.out.startsWith(banner) ? result.out.slice(banner.length) : result.out;
        results.push({ out, err: result.err, fields: out && !result.err ? fieldsOf(out) : null });
    }
    // What is done goes out once a tenth of a second has passed since the last went, or at the
    // end: at once then, and otherwise when it has passed, whether or not more come before it.
    const waited = performance.now() - sent;
    if (waited >= BATCH_MS || data.last) send();
    else timer ??= setTimeout(send, BATCH_MS - waited);
};

function send() {
    clearTimeout(timer);
    timer = null;
    if (!results.length) return;
    postMessage({ results });
    results = [];
    sent = performance.now();
}
