// What the web page costs on a large collection, beside its floor: a folder of 1,000 and one of
// 10,000 images of 4 megabits, chosen at once in headless Chromium, timed from the choice to the
// last report on the page, best of 3; and, in the same browser and run, the floor: a page that only
// reads the first 512 bytes of each image of the same folder in a worker, as vorlund's page reads
// the block that holds the header, and does nothing else. Prints both times, their ratio, the
// longest task on the page's main thread from the choice on (Chromium reports each task over 50
// ms; the one that takes the choice is timed from the choice to its end), how many bytes of each
// image the page read, and how long the table takes to sort by a column once all is in. Needs
// Chromium (Debian: chromium) and the browser tests' driver (npm ci --prefix tests/web).
// Usage: node bench/web.mjs PAGE   (PAGE: vorlund-web.html of a WASI build)
import { execFileSync } from 'node:child_process';
import { closeSync, ftruncateSync, mkdirSync, mkdtempSync, openSync, readFileSync, rmSync, writeSync } from 'node:fs';
import { createRequire } from 'node:module';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';

const COUNTS = [1000, 10000];
const ROUNDS = 3;
const page = pathToFileURL(process.argv[2]).href;
const driver = createRequire(new URL('../tests/web/package.json', import.meta.url)).resolve('puppeteer-core');
const puppeteer = (await import(pathToFileURL(driver))).default;

// The images: one made as the tests make them, and copies of its first block, each with a hole up
// to its size.
const work = mkdtempSync(join(tmpdir(), 'vorlund-bench-'));
execFileSync('sh', [new URL('../samples/make-image', import.meta.url).pathname, join(work, 'one.ngp'), '4M',
    'BENCHMARK IMAGE, FOUR MBIT..', '\\001\\002', 'BENCH IMAGE.']);
const head = readFileSync(join(work, 'one.ngp')).subarray(0, 512);
function collection(count) {
    const folder = join(work, String(count));
    mkdirSync(folder);
    for (let i = 0; i < count; i++) {
        const fd = openSync(join(folder, `game ${String(i).padStart(5, '0')}.ngp`), 'w');
        writeSync(fd, head);
        ftruncateSync(fd, 4 * 1048576);
        closeSync(fd);
    }
    return folder;
}

// The floor's page: the same choice of a folder, then each file's first 512 bytes read in a worker.
const FLOOR = `<!DOCTYPE html><input type="file" id="folder" webkitdirectory><script>
const reader = () => { onmessage = ({ data }) => { const r = new FileReaderSync(); let read = 0;
  for (const file of data) read += r.readAsArrayBuffer(file.slice(0, 512)).byteLength; postMessage(read); }; };
document.getElementById('folder').addEventListener('change', (e) => {
  const files = [...e.target.files].filter((file) => /\\.ng[pc]$/i.test(file.name));
  const work = new Worker(URL.createObjectURL(new Blob(['(' + reader + ')()'])));
  work.onmessage = ({ data }) => { document.title = 'read ' + data; };
  work.postMessage(files);
});
</script>`;

const browser = await puppeteer.launch({
    executablePath: '/usr/bin/chromium', headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking', '--disable-component-update'],
});

// timed(OPEN, FOLDER, DONE): the best of ROUNDS times from the choice of FOLDER to DONE, in a tab
// that OPEN makes ready; with the longest main-thread task and what DONE's page says.
async function timed(open, folder, done, after = async () => 0) {
    let best = Infinity, longest = 0, said = '', then = Infinity;
    for (let round = 0; round < ROUNDS; round++) {
        const tab = await browser.newPage();
        // The page's tasks from the choice on. The driver hands the page the folder in a task
        // of its own, which lists the folder (a browser's file chooser lists it elsewhere) and
        // then dispatches the choice: of that task only what follows the choice is the page's.
        await tab.evaluateOnNewDocument(() => {
            window.longest = 0;
            document.addEventListener('change', () => {
                const chosen = performance.now();
                setTimeout(() => { window.longest = Math.max(window.longest, performance.now() - chosen); });
                new PerformanceObserver((list) => {
                    for (const task of list.getEntries()) {
                        if (task.startTime >= chosen) window.longest = Math.max(window.longest, task.duration);
                    }
                }).observe({ type: 'longtask' });
            }, true);
        });
        await open(tab);
        const start = performance.now();
        await (await tab.$('#folder')).uploadFile(folder);
        said = await tab.waitForFunction(done, { timeout: 300000, polling: 10 }).then((handle) => handle.jsonValue());
        best = Math.min(best, performance.now() - start);
        longest = Math.max(longest, await tab.evaluate(() => window.longest));
        then = Math.min(then, await after(tab));
        await tab.close();
    }
    return { best, longest, said, then };
}

const rows = [];
for (const count of COUNTS) {
    const folder = collection(count);
    const floor = await timed((tab) => tab.setContent(FLOOR), folder,
        () => document.title.startsWith('read') && document.title);
    const vorlund = await timed(async (tab) => {
        await tab.goto(page);
        await tab.waitForFunction(() => document.getElementById('status').textContent === 'Ready.');
    }, folder, () => /identified/.test(document.getElementById('status').textContent) &&
        document.getElementById('status').textContent,
    // The table sorted by its first column, from the press to the next frame on screen.
    (tab) => tab.evaluate(() => new Promise((resolve) => {
        const pressed = performance.now();
        document.querySelector('#table th button').click();
        requestAnimationFrame(() => setTimeout(() => resolve(performance.now() - pressed)));
    })));
    console.log(`${count}: ${vorlund.said}`);
    const read = Number(vorlund.said.match(/(\d+) bytes? of them read/)[1]);
    rows.push(`| ${count} | ${Math.round(vorlund.best)} ms | ${Math.round(floor.best)} ms | ` +
        `${(vorlund.best / floor.best).toFixed(2)} | ${Math.round(vorlund.longest)} ms | ` +
        `${read / count} | ${Math.round(vorlund.then)} ms |`);
    rmSync(folder, { recursive: true });
}
await browser.close();
rmSync(work, { recursive: true });

console.log(`| images | every report shown, best of ${ROUNDS} | floor: each header block read | ratio | longest main-thread task | bytes read per image | the table sorted |`);
console.log('|---:|---:|---:|---:|---:|---:|---:|');
for (const row of rows) console.log(row);
