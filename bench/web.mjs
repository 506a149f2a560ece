// What the web page costs on a large collection, in each engine beside that engine's floor: 1,000
// and 10,000 images of 4 megabits (or the counts given), chosen at once, timed from the choice to
// the last report on the page, best of 3. The floor is the faster of two pages that only read the
// first 512 bytes of each image, as vorlund's page reads the block that holds the header, and do
// nothing else: one reads on the page's thread, so many at once, the other in a worker. Every page
// is served from 127.0.0.1, where each engine lets a worker read a chosen file. Prints, for each
// engine and count, both times, their ratio, the longest the page's thread was held up from the
// choice on (a timer that asks to run every 20 ms, and how late it runs), how many bytes of each
// image were read, and how long the table takes to sort by a column once all is in.
// Needs the browser tests' engines and driver (tests/web).
// Usage: node bench/web.mjs PAGE [COUNT...]   (PAGE: vorlund-web.html of a WASI build)
import { execFileSync } from 'node:child_process';
import { closeSync, ftruncateSync, mkdirSync, mkdtempSync, openSync, readFileSync, rmSync, writeSync } from 'node:fs';
import { createServer } from 'node:http';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { drivers, ENGINES, launch } from '../tests/web/browsers.mjs';

const [page, ...counts] = process.argv.slice(2);
const COUNTS = counts.length ? counts.map(Number) : [1000, 10000];
const ROUNDS = Number(process.env.VORLUND_ROUNDS) || 3;
await drivers('the benchmark of the web page');

// The images: one made as the tests make them, and copies of its first block, each with a hole up
// to its size.
const work = mkdtempSync(join(tmpdir(), 'vorlund-bench-'));
execFileSync('sh', [new URL('../samples/make-image', import.meta.url).pathname, join(work, 'one.ngp'), '4M',
    'BENCHMARK IMAGE, FOUR MBIT..', '\\001\\002', 'BENCH IMAGE.']);
const head = readFileSync(join(work, 'one.ngp')).subarray(0, 512);
function collection(count) {
    const folder = join(work, String(count));
    mkdirSync(folder);
    return Array.from({ length: count }, (_, i) => {
        const path = join(folder, `game ${String(i).padStart(5, '0')}.ngp`);
        const fd = openSync(path, 'w');
        writeSync(fd, head);
        ftruncateSync(fd, 4 * 1048576);
        closeSync(fd);
        return path;
    });
}

// The floors' pages: the same choice, then each file's first 512 bytes read, on the page's thread,
// READING at a time (16 or 64), or in a worker; the title says how many bytes when all are read.
const FLOOR = (where, reading) => `<!DOCTYPE html><input type="file" id="files" multiple><script>
const show = (read) => { document.title = 'read ' + read; };
const reader = () => { onmessage = ({ data }) => { const r = new FileReaderSync(); let read = 0;
  for (const file of data) read += r.readAsArrayBuffer(file.slice(0, 512)).byteLength; postMessage(read); }; };
document.getElementById('files').addEventListener('change', async (e) => {
  const files = [...e.target.files];
  if (${where === 'worker'}) {
    const work = new Worker(URL.createObjectURL(new Blob(['(' + reader + ')()'])));
    work.onmessage = ({ data }) => show(data);
    work.postMessage(files);
    return;
  }
  let next = 0, read = 0;
  // Each block counted once it is in: read += await ... would add to what read was before the await.
  const one = async () => { while (next < files.length) { const block = await files[next++].slice(0, 512).arrayBuffer(); read += block.byteLength; } };
  await Promise.all(Array.from({ length: ${reading} }, one));
  show(read);
});
</script>`;
const FLOORS = { 'the page\'s thread, 16 at once': FLOOR('thread', 16), 'the page\'s thread, 64 at once': FLOOR('thread', 64), 'a worker': FLOOR('worker') };
const PAGES = { '/vorlund.html': () => readFileSync(page) };
for (const [i, floor] of Object.values(FLOORS).entries()) PAGES[`/floor-${i}.html`] = () => floor;
const server = createServer((request, response) => {
    const body = PAGES[request.url];
    if (!body) return response.writeHead(404).end();
    response.writeHead(200, { 'content-type': 'text/html; charset=utf-8' }).end(body());
});
await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
const origin = `http://127.0.0.1:${server.address().port}`;

// How late a timer that asks to run every 20 ms runs, at the most, from the choice on: how long
// the page's thread was held up at once.
const probe = () => {
    window.longest = 0;
    document.addEventListener('change', () => {
        let last = performance.now();
        const tick = () => {
            const now = performance.now();
            window.longest = Math.max(window.longest, now - last - 20);
            last = now;
            setTimeout(tick, 20);
        };
        setTimeout(tick, 20);
    }, true);
};

// timed(TAB, PATH, PATHS, DONE): the best of ROUNDS times from the choice of PATHS on PATH to
// DONE, with the longest hold-up and what DONE's page said.
async function timed(browser, path, paths, done, after = async () => 0) {
    let best = Infinity, longest = 0, said = '', then = Infinity;
    for (let round = 0; round < ROUNDS; round++) {
        const tab = await browser.open();
        await tab.goto(origin + path);
        await tab.until(() => document.readyState === 'complete' && (document.getElementById('status')?.textContent ?? 'Ready.') === 'Ready.');
        await tab.evaluate(probe);
        const start = performance.now();
        await tab.choose('#files', paths);
        await tab.until(done, undefined, 600000);
        best = Math.min(best, performance.now() - start);
        said = await tab.evaluate(done);
        longest = Math.max(longest, await tab.evaluate(() => window.longest));
        then = Math.min(then, await after(tab));
        await tab.close();
    }
    return { best, longest, said, then };
}

const rows = [];
for (const engine of ENGINES) {
    const browser = await launch(engine);
    for (const count of COUNTS) {
        const paths = collection(count);
        const floorDone = () => document.title.startsWith('read') && document.title;
        const floors = [];
        for (const [i, name] of Object.keys(FLOORS).entries()) floors.push({ name, ...(await timed(browser, `/floor-${i}.html`, paths, floorDone)) });
        const floor = floors.reduce((best, one) => (one.best < best.best ? one : best));
        const vorlund = await timed(browser, '/vorlund.html', paths, () => /identified/.test(document.getElementById('status').textContent) &&
            document.getElementById('status').textContent,
        // The table sorted by its first column, from the press to the next frame on screen.
        (tab) => tab.evaluate(() => new Promise((resolve) => {
            const pressed = performance.now();
            document.querySelector('#table th button').click();
            requestAnimationFrame(() => setTimeout(() => resolve(performance.now() - pressed)));
        })));
        console.log(`${engine} ${count}: ${vorlund.said} (floors: ${floors.map((one) => `${one.name} ${Math.round(one.best)} ms`).join(', ')})`);
        const read = Number(vorlund.said.match(/(\d+) bytes? of them read/)[1]);
        rows.push(`| ${engine} | ${count} | ${Math.round(vorlund.best)} ms | ${Math.round(floor.best)} ms (${floor.name}) | ` +
            `${(vorlund.best / floor.best).toFixed(2)} | ${Math.round(vorlund.longest)} ms | ${read / count} | ${Math.round(vorlund.then)} ms |`);
        rmSync(join(paths[0], '..'), { recursive: true });
    }
    await browser.close();
}
server.close();
rmSync(work, { recursive: true });

console.log(`| engine | images | every report shown, best of ${ROUNDS} | floor: each header block read | ratio | longest hold-up of the page | bytes read per image | the table sorted |`);
console.log('|---|---:|---:|---:|---:|---:|---:|---:|');
for (const row of rows) console.log(row);
process.exit(0);
