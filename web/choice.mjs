// A choice of images on the web page, and what it shows: each image handed to the vorlund
// module, and what the module prints shown as text, never as markup, and as a table. The page
// reads each image's first block, which holds its header, on its own thread, where every engine
// can read a chosen file; a worker runs the module on it (worker.mjs), one run for each image, in
// the order of the names. Each choice has a worker of its own, which a later choice ends at once.
import { csvOf, makeTable } from './table.mjs';

/* global WORKER -- the worker's script, worker.mjs with what it imports, which the build puts
   before this one as text */

const $ = (id) => document.getElementById(id);
const statusLine = $('status'), progress = $('progress'), output = $('output');
const buttons = ['copy', 'save', 'csv'].map($);
const table = makeTable($('table-box'), $('table'));
// Of each image the page reads one block, the first: a read costs a browser the same for any
// size up to this, and the header is inside it. Several are read at once, as a browser reads
// best.
const BLOCK = 512, READING = 16;
// How long the read of a file that the browser calls empty may take before it is a failed one.
const WHOLE_MS = 2000;
// A screen reader is told how far the reading is at this pace, and the end at once.
const TOLD_EVERY_MS = 20000;
// The text goes into blocks of about this many characters: only the last is laid out again as
// reports come in, and ten thousand reports make a few dozen blocks.
const TEXT_BLOCK = 65536;
export const count = (n, what) => `${n} ${what}${n === 1 ? '' : 's'}`;
const workerScript = URL.createObjectURL(new Blob([WORKER], { type: 'text/javascript' }));

// What the module prints is shown as a terminal shows it, but for the characters that would
// reorder or hide what follows them on a page and that a terminal does not obey: the
// bidirectional controls, such as U+202E, each become '?'. A name beside a message has its
// control characters made '?' too, as the module does on a terminal.
const BIDI_CONTROLS = /[\u061c\u200e\u200f\u202a-\u202e\u2066-\u2069]/g;
const shown = (s) => s.replace(BIDI_CONTROLS, '?');
// eslint-disable-next-line no-control-regex -- control characters are what it finds
const shownName = (s) => shown(s.replace(/[\u0000-\u001f\u007f-\u009f]/g, '?'));

// The choice in hand, all that one choice of images has and makes: see choose().
let choice = null;

export function status(text) {
    statusLine.textContent = text;
}

// The text shown, and the table as a CSV, as they are.
export const text = () => choice?.text.join('') ?? '';
export const csv = () => csvOf(table.rows());

// Ends the choice in hand, if any, and clears what it showed.
export function clear() {
    choice?.worker.terminate();
    choice = null;
    output.replaceChildren();
    table.clear();
    progress.hidden = true;
    for (const button of buttons) button.disabled = true;
}

// choose(MODULE, IMAGES): a new choice of images, each { name, file } or { name, open }, open()
// giving the file as it is at the moment of the read (a dropped entry's, a launch handle's), to be
// run through MODULE, the compiled module. Each image gets a run of its own, in the order of the
// names.
export function choose(module, images) {
    clear();
    if (!images.length) {
        status('No Neo Geo Pocket images (.ngp, .ngc) there.');
        return;
    }
    images.sort((a, b) => (a.name < b.name ? -1 : a.name > b.name ? 1 : 0));
    const mine = choice = {
        images, worker: new Worker(workerScript),
        next: 0, reading: 0, ready: new Array(images.length), sent: 0, // read, and handed over
        done: 0, failed: 0, bytes: 0, text: [], pre: null, told: performance.now(),
    };
    status(`Reading ${count(images.length, 'image')}…`);
    Object.assign(progress, { hidden: false, max: images.length, value: 0 });
    mine.worker.onmessage = ({ data }) => {
        if (choice !== mine) return;
        if (data.banner !== undefined) append(mine, data.banner);
        else show(mine, data.results);
    };
    // Where the worker stops short of its images (the browser ended it), the page says so.
    mine.worker.onerror = (e) => {
        e.preventDefault();
        if (choice !== mine) return;
        status(`vorlund stopped after ${mine.done} of ${count(images.length, 'image')}: ${e.message || 'the browser ended its worker'}.`);
        mine.worker.terminate();
        for (const button of buttons) button.disabled = !mine.done;
    };
    mine.worker.postMessage({ module });
    read(mine);
}

// Keeps READING reads going; each image read, and every one before it, goes to the worker.
function read(mine) {
    while (mine.reading < READING && mine.next < mine.images.length) {
        const at = mine.next++;
        mine.reading++;
        readImage(mine.images[at]).then((image) => {
            mine.reading--;
            if (choice !== mine) return;
            mine.ready[at] = image;
            mine.bytes += image.block?.byteLength ?? 0;
            const batch = [];
            while (mine.ready[mine.sent]) {
                batch.push(mine.ready[mine.sent]);
                mine.ready[mine.sent++] = null;
            }
            if (batch.length) {
                mine.worker.postMessage({ images: batch, last: mine.sent === mine.images.length },
                    batch.flatMap((image) => (image.block ? [image.block] : [])));
            }
            read(mine);
        });
    }
}

// An image's size and first block, as they are when it is read: { name, size, block }, block null
// for a read that failed. A read that brings less than the size says, a size past 2^53 (which a
// browser may have rounded), a file that is gone, changed or not the user's since it was chosen,
// is a read that failed, as it is to the command.
async function readImage({ name, file, open }) {
    try {
        const now = open ? await open() : file;
        const size = now.size;
        if (!Number.isSafeInteger(size)) return { name, size: 0, block: null };
        // A file the browser calls empty is read whole, and is empty only if that read ends, with
        // nothing: one gone since the choice is empty to Chromium until it is read, a file of
        // /proc is empty to every browser but has bytes, and a FIFO's read need never end.
        const block = await (size ? now.slice(0, Math.min(size, BLOCK)).arrayBuffer()
            : Promise.race([now.arrayBuffer(), new Promise((resolve) => setTimeout(resolve, WHOLE_MS, null))]));
        return { name, size, block: block?.byteLength === Math.min(size, BLOCK) ? block : null };
    } catch {
        return { name, size: 0, block: null };
    }
}

// Text at the end of what is shown, in the last block while it has room.
function append(mine, text) {
    mine.text.push(text);
    if (!mine.pre || mine.pre.textContent.length + text.length > TEXT_BLOCK) {
        mine.pre = document.createElement('pre');
        mine.pre.append(document.createTextNode(''));
        output.append(mine.pre);
    }
    mine.pre.firstChild.appendData(text);
}

// The runs that the worker sends: their text, their rows, and how far the reading is.
function show(mine, results) {
    // Each report begins with an empty line after the banner or the report before it, as the
    // module prints it; each message has one of its own before it, beside the image's name.
    let text = '';
    const rows = results.map(({ out, err, fields }, i) => {
        const name = shownName(mine.images[mine.done + i].name);
        text += shown(out);
        if (err) text += `\n${name}: ${shown(err)}`;
        if (err) mine.failed++;
        const cells = fields ? fields.map(shown) : [name, '', '', '', '', shown(out || err).replace(/\n$/, '')];
        if (fields) cells[4] = cells[4].split(' ')[0];
        if (fields) cells.push('');
        return { cells, failed: !fields };
    });
    mine.done += results.length;
    append(mine, text);
    table.add(rows);
    progress.value = mine.done;
    const total = mine.images.length;
    if (mine.done < total) {
        if (performance.now() - mine.told >= TOLD_EVERY_MS) {
            mine.told = performance.now();
            status(`Read ${mine.done} of ${count(total, 'image')}…`);
        }
        return;
    }
    status(`${total - mine.failed} of ${count(total, 'image')} identified` +
        (mine.failed ? `; ${mine.failed} not, each with its message beside its name` : '') +
        `. ${count(mine.bytes, 'byte')} of them read.`);
    progress.hidden = true;
    for (const button of buttons) button.disabled = false;
    mine.worker.terminate();
}
