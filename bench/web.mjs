// What the web page costs on a large collection: a folder of 1000 images chosen at once in headless
// Chromium, timed from the choice to the last report on the page, best of 3, and how many bytes of
// each image it read. Needs Chromium (Debian: chromium) and the browser tests' driver
// (npm ci --prefix tests/web).
// Usage: node bench/web.mjs PAGE   (PAGE: vorlund-web.html of a WASI build)
import { execFileSync } from 'node:child_process';
import { mkdirSync, mkdtempSync, rmSync } from 'node:fs';
import { createRequire } from 'node:module';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';

const IMAGES = 1000;
const ROUNDS = 3;
const page = process.argv[2];
const driver = createRequire(new URL('../tests/web/package.json', import.meta.url)).resolve('puppeteer-core');
const puppeteer = (await import(pathToFileURL(driver))).default;

const folder = join(mkdtempSync(join(tmpdir(), 'vorlund-bench-')), 'collection');
mkdirSync(folder);
for (let i = 0; i < IMAGES; i++) {
    const name = `game ${String(i).padStart(4, '0')}.ngp`;
    execFileSync('sh', [new URL('../samples/make-image', import.meta.url).pathname, join(folder, name), '4M',
        'BENCHMARK IMAGE, FOUR MBIT..', '\\001\\002', 'BENCH IMAGE.']);
}

const browser = await puppeteer.launch({
    executablePath: '/usr/bin/chromium', headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking', '--disable-component-update'],
});
let best = Infinity, status = '';
for (let round = 0; round < ROUNDS; round++) {
    const tab = await browser.newPage();
    await tab.goto(pathToFileURL(page).href);
    await tab.waitForFunction(() => document.getElementById('status').textContent === 'Ready.');
    const start = performance.now();
    await (await tab.$('#folder')).uploadFile(folder);
    await tab.waitForFunction(() => /identified/.test(document.getElementById('status').textContent),
        { timeout: 60000, polling: 10 });
    best = Math.min(best, performance.now() - start);
    status = await tab.$eval('#status', (e) => e.textContent);
    await tab.close();
}
await browser.close();
rmSync(join(folder, '..'), { recursive: true });

const read = Number(status.match(/(\d+) bytes? of them read/)[1]);
console.log(`${status}`);
console.log(`| images | every report shown, best of ${ROUNDS} | images per second | bytes read per image |`);
console.log('|---:|---:|---:|---:|');
console.log(`| ${IMAGES} | ${Math.round(best)} ms | ${Math.round(IMAGES / (best / 1000))} | ${read / IMAGES} |`);
