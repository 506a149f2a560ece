// The site, as a static host serves it, in Chromium and Firefox ESR: an app that Chromium can
// install and that opens .ngp and .ngc files, that works offline after one visit and takes the next
// release at the next visit; its table and its CSV, byte for byte; and no request but for its own
// files. The test is the web server, on 127.0.0.1, with the site in a folder of the host, as
// GitHub Pages serves a project's site.
// Usage: node site_test.mjs SITE SAMPLES_DIR SCREENSHOTS
import { execFileSync } from 'node:child_process';
import { mkdirSync, mkdtempSync, readFileSync, readdirSync, rmSync } from 'node:fs';
import { createServer } from 'node:http';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { BROWSERS, driver, finish, launch, statusOf, verdict } from './browsers.mjs';

const [site, samples, screenshots] = process.argv.slice(2);
const puppeteer = await driver('the site in browsers');

const SIZE = 'Incorrect filesize. Corrupt image?';
const IO = 'File IO error encountered. Aborting...';
const work = mkdtempSync(join(tmpdir(), 'vorlund-site-'));
const image = (name, ...fields) => {
    execFileSync('sh', [join(samples, 'make-image'), join(work, name), ...fields]);
    return join(work, name);
};
const a = image('a.ngp', '128K', 'FIRST IMAGE OF TWO..........', '\\000\\001', 'FIRST.......');
const bad = image('bad.ngp', '131073', 'ONE BYTE OVER A MEGABIT.....', '\\000\\000', 'BAD SIZE....');
// What a spreadsheet would take for a formula, a separator, a quote and line ends, in the name and
// in the header's texts, whose control bytes the page shows as '?'.
const hostile = image('=cmd.ngp', '256K', '=HYPERLINK("http://x",1);,..', '\\022\\064', '-2\\r\\n@SUM(1).');
const big = image('big.ngp', '4M', 'THIRTY-TWO MEGABITS.........', '\\000\\011', 'BIG.........');

// The table, as the page shows it, and the CSV, as it saves it.
const TABLE = [
    ['=cmd.ngp', '-2??@SUM(1).', '=HYPERLINK("http://x",1);,..', 'NEOP1234', '2', ''],
    ['a.ngp', 'FIRST.......', 'FIRST IMAGE OF TWO..........', 'NEOP0001', '1', ''],
    ['bad.ngp', '', '', '', '', SIZE],
    ['big.ngp', 'BIG.........', 'THIRTY-TWO MEGABITS.........', 'NEOP0009', '32', ''],
];
const CSV = 'Filename,Internal Name,Copyright,Catalog No.,Megabits,Message\r\n' +
    '\'=cmd.ngp,\'-2??@SUM(1).,"\'=HYPERLINK(""http://x"",1);,..",NEOP1234,2,\r\n' +
    'a.ngp,FIRST.......,FIRST IMAGE OF TWO..........,NEOP0001,1,\r\n' +
    'bad.ngp,,,,,Incorrect filesize. Corrupt image?\r\n' +
    'big.ngp,BIG.........,THIRTY-TWO MEGABITS.........,NEOP0009,32,\r\n';
// Each sort, by the button of a column: the names in the order it gives, and each column's
// aria-sort then (Filename, ..., Message).
const SORTS = [
    { column: 'Megabits', names: ['bad.ngp', 'a.ngp', '=cmd.ngp', 'big.ngp'], sort: 'none none none none ascending none' },
    { column: 'Megabits', names: ['big.ngp', '=cmd.ngp', 'a.ngp', 'bad.ngp'], sort: 'none none none none descending none' },
    { column: 'Message', names: ['=cmd.ngp', 'a.ngp', 'big.ngp', 'bad.ngp'], sort: 'none none none none none ascending' },
];

// The host: the site's files under /vorlund/, its folder answered by its index.html, nothing
// else. `next` stands in for the next release put on the host; every path asked for is kept.
const FOLDER = '/vorlund/';
const files = readdirSync(site);
const asked = [];
let next = null;
const TYPES = { html: 'text/html; charset=utf-8', js: 'text/javascript', webmanifest: 'application/manifest+json', png: 'image/png' };
const server = createServer((request, response) => {
    asked.push(request.url);
    const path = new URL(request.url, 'http://host').pathname;
    const name = path === FOLDER ? 'index.html' : path.slice(FOLDER.length);
    if (!path.startsWith(FOLDER) || !files.includes(name)) {
        response.writeHead(404).end();
        return;
    }
    response.writeHead(200, { 'content-type': TYPES[name.split('.').pop()] });
    response.end(next?.[name] ?? readFileSync(join(site, name)));
});
await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
const origin = `http://127.0.0.1:${server.address().port}`;
const url = origin + FOLDER;

const until = (tab, test, arg, timeout = 20000) => tab.waitForFunction(test, { timeout, polling: 50 }, arg).then(() => true, () => false);
const ready = (tab) => until(tab, () => document.getElementById('status').textContent === 'Ready.');
const settled = (tab) => until(tab, () => / identified[.;]/.test(document.getElementById('status').textContent), undefined, 60000);
// The saved file: the page's link is clicked, and what it would save kept instead.
const keepSaved = () => {
    const create = URL.createObjectURL;
    URL.createObjectURL = (blob) => {
        window.lastBlob = blob;
        return create.call(URL, blob);
    };
    HTMLAnchorElement.prototype.click = function click() { window.saved = { name: this.download, blob: window.lastBlob }; };
};
// The rows of the table, as the next frame shows them.
const tableOf = async (tab) => {
    await tab.evaluate(() => new Promise(requestAnimationFrame));
    return tab.$$eval('#table tbody tr:not(.spacer)', (rows) =>
        rows.map((row) => ({ cells: [...row.cells].map((cell) => cell.textContent), failed: row.className === 'failed' })));
};

for (const name of Object.keys(BROWSERS)) {
    const browser = await launch(puppeteer, name);
    const tab = await browser.newPage();
    const requests = [];
    tab.on('request', (request) => requests.push(request.url()));
    await tab.evaluateOnNewDocument(keepSaved);
    await tab.goto(url);
    let faults = [];
    if (!(await ready(tab))) faults.push(`says ${JSON.stringify(await statusOf(tab))}`);
    // The first visit leaves the site in the cache of its release.
    const cached = await tab.evaluate(async () => {
        await navigator.serviceWorker.ready;
        for (let i = 0; i < 100; i++) {
            const keys = await caches.keys();
            if (keys.length) return { keys, files: (await (await caches.open(keys[0])).keys()).map((r) => r.url).sort() };
            await new Promise((resolve) => setTimeout(resolve, 100));
        }
        return { keys: [] };
    });
    const version = readFileSync(join(site, 'sw.js'), 'utf8').match(/'(vorlund-[^']+)'/)[1];
    const wanted = ['apple-touch-icon.png', 'icon-192.png', 'icon-512.png', 'icon-maskable.png', 'index.html', 'manifest.webmanifest'].map((f) => url + f);
    if (cached.keys.join() !== version) faults.push(`caches ${cached.keys.join(', ')}, not ${version}`);
    if (cached.files?.join() !== wanted.join()) faults.push(`cached ${cached.files?.join(', ')}`);
    verdict(name, 'a first visit keeps the site in the cache of its release', faults);

    // Installable, and the handler of .ngp and .ngc files, as Chromium reads the manifest.
    if (name === 'chromium') {
        faults = [];
        const session = await tab.createCDPSession();
        const { installabilityErrors } = await session.send('Page.getInstallabilityErrors');
        if (installabilityErrors.length) faults.push(`not installable: ${JSON.stringify(installabilityErrors)}`);
        const manifest = await session.send('Page.getAppManifest');
        // The app is the site's folder, not the whole host, which may hold other apps.
        const { appId } = await session.send('Page.getAppId');
        if (appId !== url) faults.push(`the app is ${appId}`);
        if (manifest.url !== url + 'manifest.webmanifest' || manifest.errors.length) faults.push(`manifest: ${manifest.url} ${JSON.stringify(manifest.errors)}`);
        const handlers = JSON.parse(manifest.data).file_handlers ?? [];
        const accepted = handlers.flatMap((handler) => Object.values(handler.accept).flat()).sort();
        if (accepted.join() !== '.ngc,.ngp' || handlers.some((handler) => new URL(handler.action, manifest.url).href !== url))
            faults.push(`file handlers ${JSON.stringify(handlers)}`);
        verdict(name, 'installable, the handler of .ngp and .ngc files', faults);
        await session.detach();
    }

    // The table and the CSV of a report, a bad size and hostile header texts.
    faults = [];
    await tab.setViewport({ width: 1280, height: 900 });
    await (await tab.$('#files')).uploadFile(big, bad, hostile, a);
    if (!(await settled(tab))) faults.push(`says ${JSON.stringify(await statusOf(tab))}`);
    const shown = await tableOf(tab);
    if (JSON.stringify(shown.map((row) => row.cells)) !== JSON.stringify(TABLE)) faults.push(`table ${JSON.stringify(shown)}`);
    if (shown.map((row) => row.failed).join() !== 'false,false,true,false') faults.push('the failure is not marked');
    if (await tab.$eval('#table', (e) => e.getAttribute('aria-rowcount')) !== '5') faults.push('aria-rowcount is not 5');
    await tab.click('#csv');
    const saved = await tab.evaluate(async () => window.saved &&
        { name: window.saved.name, type: window.saved.blob.type, bytes: [...new Uint8Array(await window.saved.blob.arrayBuffer())] });
    if (saved?.name !== 'vorlund.csv' || saved.type !== 'text/csv;charset=utf-8') faults.push(`saved ${saved?.name} as ${saved?.type}`);
    else if (!Buffer.from(saved.bytes).equals(Buffer.from(CSV, 'utf8'))) faults.push(`the CSV is ${JSON.stringify(Buffer.from(saved.bytes).toString())}`);
    if (screenshots) {
        mkdirSync(screenshots, { recursive: true });
        await tab.screenshot({ path: join(screenshots, `${name}-table-1280.png`), fullPage: true });
        await tab.setViewport({ width: 320, height: 900 });
        await tab.screenshot({ path: join(screenshots, `${name}-table-320.png`), fullPage: true });
        await tab.setViewport({ width: 1280, height: 900 });
    }
    verdict(name, 'the table and the CSV, byte for byte', faults);

    faults = [];
    for (const { column, names, sort } of SORTS) {
        await tab.evaluate((text) => [...document.querySelectorAll('#table th button')].find((b) => b.textContent === text).click(), column);
        const order = (await tableOf(tab)).map((row) => row.cells[0]);
        const sorts = await tab.$$eval('#table th', (all) => all.map((th) => th.getAttribute('aria-sort')).join(' '));
        if (order.join() !== names.join() || sorts !== sort) faults.push(`by ${column}: ${order.join(', ')}; ${sorts}`);
    }
    verdict(name, 'sorted by the button of each column, both ways', faults);

    // Installed, the app is handed files by the file manager through the launch queue, as Chromium
    // hands them: each is taken as if chosen, and one that can no longer be read is a failed read.
    if (name === 'chromium') {
        faults = [];
        const launched = await browser.newPage();
        await launched.evaluateOnNewDocument((bytes) => {
            const handle = (file, contents) => ({ name: file, getFile: async () => {
                if (!contents) throw new DOMException('gone', 'NotFoundError');
                return new File([Uint8Array.from(atob(contents), (c) => c.charCodeAt(0))], file);
            } });
            Object.defineProperty(window, 'launchQueue', { value: {
                setConsumer: (consume) => consume({ files: [handle('gone.ngp', ''), handle('a.ngp', bytes)] }) } });
        }, readFileSync(a).toString('base64'));
        await launched.goto(url);
        if (!(await settled(launched))) faults.push(`says ${JSON.stringify(await statusOf(launched))}`);
        const opened = (await tableOf(launched)).map((row) => row.cells);
        if (JSON.stringify(opened) !== JSON.stringify([TABLE[1], ['gone.ngp', '', '', '', '', IO]])) faults.push(`shows ${JSON.stringify(opened)}`);
        verdict(name, 'files opened from the file manager, as if chosen', faults);
        await launched.close();
    }

    // The next release on the host: the visit after it shows it, and the last release's cache is gone.
    faults = [];
    next = {
        'sw.js': readFileSync(join(site, 'sw.js'), 'utf8').replace(version, 'vorlund-0.0.0-next'),
        'index.html': readFileSync(join(site, 'index.html'), 'utf8').replace('<title>', '<title>next: '),
    };
    let title = '';
    // Each visit, as a user's, lasts until the browser has asked the host for the page's worker
    // (a second or so after the page is shown, in both browsers) and put a new one in place.
    for (let visit = 0; visit < 3 && !title.startsWith('next: '); visit++) {
        const before = asked.length;
        await tab.reload();
        await ready(tab);
        title = await tab.title();
        for (let i = 0; i < 100 && !asked.slice(before).includes(FOLDER + 'sw.js'); i++) await new Promise((resolve) => setTimeout(resolve, 100));
        await tab.evaluate(async () => {
            const registration = await navigator.serviceWorker.ready;
            for (let i = 0; i < 50 && (registration.installing || registration.waiting); i++) await new Promise((resolve) => setTimeout(resolve, 100));
        });
    }
    const keys = await tab.evaluate(async () => {
        for (let i = 0; i < 50 && (await caches.keys()).length !== 1; i++) await new Promise((resolve) => setTimeout(resolve, 100));
        return caches.keys();
    });
    if (!title.startsWith('next: ')) faults.push(`still ${title}`);
    if (keys.join() !== 'vorlund-0.0.0-next') faults.push(`caches ${keys.join(', ')}`);
    verdict(name, 'the next release, at the next visit', faults);

    // No network at all: the page comes from the cache and identifies an image.
    faults = [];
    server.close();
    server.closeAllConnections();
    await tab.reload();
    if (!(await ready(tab))) faults.push(`offline, says ${JSON.stringify(await statusOf(tab))}`);
    await (await tab.$('#files')).uploadFile(a);
    if (!(await settled(tab))) faults.push(`offline, says ${JSON.stringify(await statusOf(tab))}`);
    const rows = await tableOf(tab);
    if (JSON.stringify(rows.map((row) => row.cells)) !== JSON.stringify([TABLE[1]])) faults.push(`offline, shows ${JSON.stringify(rows)}`);
    verdict(name, 'offline after the first visit', faults);
    await new Promise((resolve) => server.listen(new URL(origin).port, '127.0.0.1', resolve));
    next = null;

    // Nothing but the site's own files, from its own folder (and the page's worker, from its
    // script, and the empty icon it holds until it is served).
    const own = (r) => /^(blob:|data:,$)/.test(r) || (r.startsWith(url) && files.includes(new URL(r).pathname.slice(FOLDER.length) || 'index.html'));
    const others = [...requests.filter((r) => !own(r)), ...asked.filter((path) => !own(origin + path))];
    verdict(name, 'no request but for the site\'s own files', others.length ? [`asked for ${[...new Set(others)].join(', ')}`] : []);
    asked.length = 0;
    await browser.close();
}

server.close();
rmSync(work, { recursive: true, force: true });
finish();
