// The web page itself: the module made ready, the images that a user chooses, drops on the page or
// opens with the installed app taken as a choice, and the text copied or saved. What becomes of a
// choice is choice.mjs's.
import { choose, count, csv, status, text } from './choice.mjs';

const $ = (id) => document.getElementById(id);
const IMAGE = /\.ng[pc]$/i;
// Files taken from a choice in one task: fifty thousand are taken without holding up the page.
const PIECE = 2000;
let module = null;

// Served from a web server, the page is an app as well, with the manifest, icons and service worker
// beside it (the release's site); a page opened from disk asks for none of them.
function app() {
    if (!/^https?:$/.test(location.protocol)) return;
    $('icon').href = 'icon-192.png';
    for (const [rel, href] of [['manifest', 'manifest.webmanifest'], ['apple-touch-icon', 'apple-touch-icon.png']]) {
        const link = document.createElement('link');
        link.rel = rel;
        link.href = href;
        document.head.append(link);
    }
    // Without one (a page on its own, a browser that keeps none) the page works all the same.
    navigator.serviceWorker?.register('sw.js').catch(() => {});
}
app();

async function ready() {
    // A browser with WebAssembly turned off (by a policy, or with its JIT) says nothing of it.
    if (typeof WebAssembly !== 'object') {
        status('This browser runs no WebAssembly (it may be turned off), which vorlund needs: it cannot identify images here.');
        return;
    }
    try {
        module = await WebAssembly.compile(Uint8Array.from(atob($('module').textContent.trim()), (c) => c.charCodeAt(0)));
    } catch (e) {
        status(`This browser cannot run vorlund's WebAssembly module: ${e.message}.`);
        return;
    }
    for (const input of document.querySelectorAll('input')) input.disabled = false;
    status('Ready.');
}
const loaded = ready();

// The next task, after whatever else the page has to do.
const nextTask = () => new Promise((resolve) => {
    const { port1, port2 } = new MessageChannel();
    port1.onmessage = resolve;
    port2.postMessage(null);
});

// Each choice is numbered, so that one still being gathered is dropped when a later one comes.
let chosen = 0;
async function take(gathering, mine = ++chosen) {
    const images = await gathering;
    if (mine === chosen) choose(module, images);
}

// The images among FILES, named by NAME(file): those whose names say so, or all of them.
async function imagesOf(files, name, all) {
    const images = [];
    for (let i = 0; i < files.length; i += PIECE) {
        if (i) await nextTask();
        for (const file of files.slice(i, i + PIECE)) {
            const named = name(file);
            if (all || IMAGE.test(named)) images.push({ name: named, file });
        }
    }
    return images;
}

// Chosen files are taken as they are, a chosen folder for the images in it, at any depth. The
// input is then emptied, so that choosing the same file again, once it has changed, is a choice.
// (WebKit gives each chosen file's entry too, whose file is the file as it is when read, but
// takes half a millisecond for each, all in one task.)
for (const [id, name, all] of [['files', (file) => file.name, true], ['folder', (file) => file.webkitRelativePath || file.name, false]]) {
    $(id).addEventListener('change', (e) => {
        const files = [...e.target.files];
        e.target.value = '';
        take(imagesOf(files, name, all));
    });
}

// Installed, the app opens the images the file manager hands it, as if they had been chosen, each
// file as it is when it is read.
window.launchQueue?.setConsumer(async ({ files }) => {
    if (!files?.length) return;
    await loaded;
    if (module) take(files.map((handle) => ({ name: handle.name, open: () => handle.getFile() })));
});

// Dropped images are taken as they are, and dropped folders for the images in them, at any depth,
// each file as it is when it is read. A drop that brings no image (text, a file of another kind)
// takes nothing, and the page keeps what it shows.
const fileOf = (entry) => new Promise((resolve, reject) => entry.file(resolve, reject));
async function entries(entry, found) {
    if (entry.isFile) {
        found.push({ name: entry.fullPath.replace(/^\//, ''), open: () => fileOf(entry) });
        return;
    }
    const reader = entry.createReader();
    for (;;) {
        const batch = await new Promise((resolve, reject) => reader.readEntries(resolve, reject));
        if (!batch.length) return;
        for (const child of batch) {
            if (child.isDirectory || IMAGE.test(child.name)) await entries(child, found);
        }
        status(`Found ${count(found.length, 'image')}…`);
    }
}

const drop = $('drop');
document.addEventListener('dragover', (e) => {
    e.preventDefault();
    drop.classList.add('over');
});
document.addEventListener('dragleave', () => drop.classList.remove('over'));
document.addEventListener('drop', async (e) => {
    e.preventDefault();
    drop.classList.remove('over');
    if (!module) return;
    // Entries are taken while the event lasts; they are read after it.
    const dropped = [...e.dataTransfer.items].filter((item) => item.kind === 'file')
        .map((item) => [item.webkitGetAsEntry?.(), item.getAsFile()]);
    if (!dropped.length) {
        status('That drop held no files: nothing was taken.');
        return;
    }
    const mine = ++chosen, found = [];
    try {
        for (const [entry, file] of dropped) {
            if (entry?.isDirectory) await entries(entry, found);
            else if (file && IMAGE.test(file.name)) found.push({ name: file.name, file });
        }
    } catch {
        // Chromium reads no dropped folder into a page opened from disk.
        status('This browser cannot read a folder dropped here: choose it with “A folder” instead.');
        return;
    }
    if (!found.length) status('That drop held no Neo Geo Pocket images (.ngp, .ngc): nothing was taken.');
    else take(found, mine);
});

$('copy').addEventListener('click', async () => {
    try {
        await navigator.clipboard.writeText(text());
        status('Copied.');
    } catch {
        getSelection().selectAllChildren($('output'));
        status('Selected: copy it with the keyboard.');
    }
});
function download(name, contents, type) {
    const link = document.createElement('a');
    link.href = URL.createObjectURL(new Blob([contents], { type }));
    link.download = name;
    link.click();
    setTimeout(() => URL.revokeObjectURL(link.href), 60000);
}
$('save').addEventListener('click', () => download('vorlund.txt', text(), 'text/plain;charset=utf-8'));
$('csv').addEventListener('click', () => download('vorlund.csv', csv(), 'text/csv;charset=utf-8'));
