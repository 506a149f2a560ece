// A choice of images on the web page, and what it shows: each image handed to the vorlund
// module, and what the module prints shown as text, never as markup, and as a table. A worker runs
// the module on each image (worker.mjs), one run for each, in the order of the names. The page
// reads images' first blocks, which hold their headers, on its own thread, where every engine can
// read a chosen file, and hands them over; the worker asks for images and reads them too, where it
// can (WebKit's cannot, in a page opened from disk): the two share the work as fast as each goes,
// which differs from engine to engine. Each choice has a worker of its own, which a later choice
// ends at once.
import { rangedHere, readImage } from './read.mjs';
import { csvOf, makeTable } from './table.mjs';

/* global WORKER -- the worker's script, worker.mjs with what it imports, which the build puts
   before this one as text */

const $ = (id) => document.getElementById(id);
const statusLine = $('status'), progress = $('progress'), output = $('output');
const buttons = ['copy', 'save', 'csv'].map($);
const table = makeTable($('table-box'), $('table'));
// Images read on the page's thread at once: WebKit reads best with many under way.
const READING = 32;
const RANGED = rangedHere();
// A screen reader is told how far the reading is at this pace, and the end at once.
const TOLD_EVERY_MS = 20000;
// The text goes into chapters of about this many characters (see vorlund.css).
const CHAPTER = 65536;
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
        images, worker: new Worker(workerScript), next: 0, // the next image that no one reads yet
        done: 0, failed: 0, bytes: 0, text: [], chapter: null, inChapter: 0, told: performance.now(),
    };
    status(`Reading ${count(images.length, 'image')}…`);
    Object.assign(progress, { hidden: false, max: images.length, value: 0 });
    mine.worker.onmessage = ({ data }) => {
        if (choice !== mine) return;
        if (data.banner !== undefined) append(mine, data.banner);
        // The next images, for the worker that asks: the chosen files, as they are; an image that
        // is opened when it is read (a dropped entry's, a launch handle's) is read here.
        const files = [];
        for (let n = 0; n < (data.want ?? 0) && mine.next < mine.images.length; n++) {
            const at = mine.next++, { name, file } = mine.images[at];
            if (file) files.push({ at, name, file });
            else readHere(mine, at);
        }
        if (files.length) mine.worker.postMessage({ files });
        if (data.results) show(mine, data.results);
    };
    // Where the worker stops short of its images (the browser ended it), the page says so.
    mine.worker.onerror = (e) => {
        e.preventDefault();
        if (choice !== mine) return;
        status(`vorlund stopped after ${mine.done} of ${count(images.length, 'image')}: ${e.message || 'the browser ended its worker'}.`);
        mine.worker.terminate();
        for (const button of buttons) button.disabled = !mine.done;
    };
    mine.worker.postMessage({ module, total: images.length, ranged: RANGED });
    for (let i = 0; i < READING; i++) readNext(mine);
}

// The next image not yet handed to a reader, read here; then the next, until none is left.
function readNext(mine) {
    if (mine.next >= mine.images.length) return;
    const at = mine.next++;
    readHere(mine, at).then(() => readNext(mine));
}

// The image at AT read here, and handed to the worker.
async function readHere(mine, at) {
    const { name, file, open } = mine.images[at];
    const image = await readImage(open ? open() : file, RANGED);
    if (choice === mine) mine.worker.postMessage({ images: [{ at, name, ...image }] }, image.block ? [image.block] : []);
}

// Text at the end of what is shown: a block of its own, in the last chapter while it has room.
function append(mine, text) {
    mine.text.push(text);
    if (!mine.chapter || mine.inChapter + text.length > CHAPTER) {
        mine.chapter = output.appendChild(Object.assign(document.createElement('div'), { className: 'chapter' }));
        mine.inChapter = 0;
    }
    mine.chapter.append(Object.assign(document.createElement('pre'), { textContent: text }));
    mine.inChapter += text.length;
}

// The runs that the worker sends: their text, their rows, and how far the reading is.
function show(mine, results) {
    // Each report begins with an empty line after the banner or the report before it, as the
    // module prints it; each message has one of its own before it, beside the image's name.
    let text = '';
    const rows = results.map(({ out, err, fields, bytes }, i) => {
        const name = shownName(mine.images[mine.done + i].name);
        mine.bytes += bytes;
        text += shown(out);
        if (err) {
            text += `\n${name}: ${shown(err)}`;
            mine.failed++;
        }
        // A report's Megabits is its number alone, and its Message empty.
        const cells = fields ? [...fields.slice(0, 4), fields[4].split(' ')[0], ''].map(shown)
            : [name, '', '', '', '', shown(out || err).replace(/\n$/, '')];
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
