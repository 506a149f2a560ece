// The site, as a static host serves it, in Chromium, Firefox and WebKit: an app that Chromium can
// install and that opens .ngp and .ngc files; that works offline after one visit, at its folder's
// address with or without the slash, beside another copy of itself on the same host; and that
// shows the next release at the first visit after it is put on the host. Its table and its CSV,
// byte for byte, and the CSV in each of LibreOffice's ways of importing it, where no cell is ever
// a formula; and no request but for its own files. The test is the web server, on 127.0.0.1, with
// the site in a folder of the host, as GitHub Pages serves a project's site, and another copy in
// another folder.
// Usage: node site_test.mjs SITE SAMPLES_DIR SCREENSHOTS
import { execFileSync } from 'node:child_process';
import { existsSync, mkdirSync, mkdtempSync, readFileSync, readdirSync, rmSync, writeFileSync } from 'node:fs';
import { createServer } from 'node:http';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { CANNOT, drivers, ENGINES, finish, launch, leftOut, statusOf, verdict } from './browsers.mjs';

const [site, samples, screenshots] = process.argv.slice(2);
await drivers('the site in browsers');

const SIZE = 'Incorrect filesize. Corrupt image?';
const IO = 'File IO error encountered. Aborting...';
const work = mkdtempSync(join(tmpdir(), 'vorlund-site-'));
const image = (name, ...fields) => {
    execFileSync('sh', [join(samples, 'make-image'), join(work, name), ...fields]);
    return join(work, name);
};
const a = image('a.ngp', '128K', 'FIRST IMAGE OF TWO..........', '\\000\\001', 'FIRST.......');
const bad = image('bad.ngp', '131073', 'ONE BYTE OVER A MEGABIT.....', '\\000\\000', 'BAD SIZE....');
// What a spreadsheet would take for a formula, as the line is split at commas, at semicolons or
// at both, with blanks trimmed or not: in the names and in the header's texts, whose control bytes
// the page shows as '?'; and a quote and line ends.
const hostile = image('=cmd.ngp', '256K', '=HYPERLINK("http://x",1);,..', '\\022\\064', '-2\\r\\n@SUM(1).');
const semicolons = image('x;=1+1.ngp', '128K', 'A;=1+1;B; @2;-3.............', '\\200\\377', ' =1+1;+2....');
const blank = image(' =1+1.ngp', '128K', 'X;=2+2......................', '\\000\\131', '\\t=3+3.......');
const big = image('big.ngp', '4M', 'THIRTY-TWO MEGABITS.........', '\\000\\011', 'BIG.........');
const hex = image('hex.ngp', '2M', 'CATALOG OF HIGH BYTES.......', '\\233\\033', 'HEX.........');

// The table, as the page shows it, and the CSV, as it saves it.
const TABLE = [
    [' =1+1.ngp', '?=3+3.......', 'X;=2+2......................', 'NEOP0059', '1', ''],
    ['=cmd.ngp', '-2??@SUM(1).', '=HYPERLINK("http://x",1);,..', 'NEOP1234', '2', ''],
    ['a.ngp', 'FIRST.......', 'FIRST IMAGE OF TWO..........', 'NEOP0001', '1', ''],
    ['bad.ngp', '', '', '', '', SIZE],
    ['big.ngp', 'BIG.........', 'THIRTY-TWO MEGABITS.........', 'NEOP0009', '32', ''],
    ['hex.ngp', 'HEX.........', 'CATALOG OF HIGH BYTES.......', 'NEOP9b1b', '16', ''],
    ['x;=1+1.ngp', ' =1+1;+2....', 'A;=1+1;B; @2;-3.............', 'NEOP80ff', '1', ''],
];
const CSV = '\ufeffFilename,Internal Name,Copyright,Catalog No.,Megabits,Message\r\n' +
    '\' =1+1.ngp,?=3+3.......,"X;\'=2+2......................",NEOP0059,1,\r\n' +
    '\'=cmd.ngp,\'-2??@SUM(1).,"\'=HYPERLINK(""http://x"",1);,..",NEOP1234,2,\r\n' +
    'a.ngp,FIRST.......,FIRST IMAGE OF TWO..........,NEOP0001,1,\r\n' +
    'bad.ngp,,,,,Incorrect filesize. Corrupt image?\r\n' +
    'big.ngp,BIG.........,THIRTY-TWO MEGABITS.........,NEOP0009,32,\r\n' +
    'hex.ngp,HEX.........,CATALOG OF HIGH BYTES.......,NEOP9b1b,16,\r\n' +
    '"x;\'=1+1.ngp","\' =1+1;\'+2....","A;\'=1+1;B;\' @2;\'-3.............",NEOP80ff,1,\r\n';
// Each sort, by the button of a column: the names in the order it gives, and each column's
// aria-sort then (Filename, ..., Message). The catalog number sorts by its bytes' values, the
// megabits as numbers.
const SORTS = [
    { column: 4, names: ['bad.ngp', ' =1+1.ngp', 'a.ngp', 'x;=1+1.ngp', '=cmd.ngp', 'hex.ngp', 'big.ngp'], sort: 'none none none none ascending none' },
    { column: 4, names: ['big.ngp', 'hex.ngp', '=cmd.ngp', ' =1+1.ngp', 'a.ngp', 'x;=1+1.ngp', 'bad.ngp'], sort: 'none none none none descending none' },
    { column: 3, names: ['bad.ngp', 'a.ngp', 'big.ngp', ' =1+1.ngp', '=cmd.ngp', 'x;=1+1.ngp', 'hex.ngp'], sort: 'none none none ascending none none' },
    { column: 5, names: [' =1+1.ngp', '=cmd.ngp', 'a.ngp', 'big.ngp', 'hex.ngp', 'x;=1+1.ngp', 'bad.ngp'], sort: 'none none none none none ascending' },
];

// The host: the site's files under /vorlund/, its folder answered by its index.html, and /vorlund
// sent there, as GitHub Pages sends it; another copy of the site under /old/; nothing else.
// `next` stands in for the next release put on the host at /vorlund/; every path asked for is kept.
const FOLDER = '/vorlund/', OTHER = '/old/';
const files = readdirSync(site);
const asked = [];
let next = null;
const TYPES = { html: 'text/html; charset=utf-8', js: 'text/javascript', webmanifest: 'application/manifest+json', png: 'image/png' };
const server = createServer((request, response) => {
    asked.push(request.url);
    const path = new URL(request.url, 'http://host').pathname;
    if (path === FOLDER.slice(0, -1)) {
        response.writeHead(301, { location: FOLDER, 'cache-control': 'max-age=600' }).end();
        return;
    }
    const folder = [FOLDER, OTHER].find((prefix) => path.startsWith(prefix));
    const name = path === folder ? 'index.html' : path.slice(folder?.length);
    if (!folder || !files.includes(name)) {
        response.writeHead(404).end();
        return;
    }
    response.writeHead(200, { 'content-type': TYPES[name.split('.').pop()] });
    response.end((folder === FOLDER && next?.[name]) || readFileSync(join(site, name)));
});
const listen = (port = 0) => new Promise((resolve) => server.listen(port, '127.0.0.1', resolve));
await listen();
const origin = `http://127.0.0.1:${server.address().port}`;
const url = origin + FOLDER;
const release = readFileSync(join(site, 'sw.js'), 'utf8').match(/const RELEASE = '([^']+)'/)[1];
const cacheOf = (version, scope) => `vorlund ${version} ${scope}`;

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
const ready = (tab) => tab.until(() => document.getElementById('status').textContent === 'Ready.');
const settled = (tab) => tab.until(() => / identified[.;]/.test(document.getElementById('status').textContent), undefined, 60000);
// The saved file: the page's link is clicked, and what it would save kept instead.
const keepSaved = () => {
    const create = URL.createObjectURL;
    URL.createObjectURL = (blob) => {
        window.lastBlob = blob;
        return create.call(URL, blob);
    };
    HTMLAnchorElement.prototype.click = function click() {
        window.saved = { name: this.download, blob: window.lastBlob };
    };
};
// The rows of the table, as the next frame shows them.
const tableOf = (tab) => tab.evaluate(() => new Promise((resolve) => requestAnimationFrame(() => resolve(
    [...document.querySelectorAll('#table tbody tr:not(.spacer)')].map((row) =>
        ({ cells: [...row.cells].map((cell) => cell.textContent), failed: row.className === 'failed' }))))));
// The caches of the origin, once the site's worker controls the page and the cache of RELEASE
// for SCOPE (if given) is there.
const cachesOf = (tab, wanted) => tab.evaluate(async (name) => {
    await navigator.serviceWorker.ready;
    for (let i = 0; i < 100 && name && !(await caches.keys()).includes(name); i++) await new Promise((resolve) => setTimeout(resolve, 100));
    const keys = (await caches.keys()).sort();
    return { keys, files: keys.includes(name) ? (await (await caches.open(name)).keys()).map((r) => r.url).sort() : [] };
}, wanted);

let savedCsv = null;
for (const engine of ENGINES) {
    const browser = await launch(engine);
    const tab = await browser.open();
    // The first visit, as a user types the address: without the slash, which the host adds.
    await tab.goto(origin + FOLDER.slice(0, -1));
    let faults = [];
    if (!(await ready(tab))) faults.push(`says ${JSON.stringify(await statusOf(tab))}`);
    const own = cacheOf(release, url);
    const first = await cachesOf(tab, own);
    const wanted = ['apple-touch-icon.png', 'icon-192.png', 'icon-512.png', 'icon-maskable.png', 'index.html', 'manifest.webmanifest'].map((f) => url + f);
    if (first.keys.join() !== own) faults.push(`caches ${first.keys.join(', ')}, not ${own}`);
    if (first.files.join() !== wanted.join()) faults.push(`cached ${first.files.join(', ')}`);
    verdict(engine, 'a first visit keeps the site in a cache of its release and its folder', faults);

    // Installable, and the handler of .ngp and .ngc files, as Chromium reads the manifest.
    if (engine !== 'chromium') leftOut(engine, 'installable, the handler of .ngp and .ngc files', 'only Chromium\'s driver asks whether a page can be installed');
    else {
        faults = [];
        const session = await tab.page.createCDPSession();
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
        verdict(engine, 'installable, the handler of .ngp and .ngc files', faults);
        await session.detach();
    }

    // The table and the CSV of reports, a bad size and hostile names and header texts.
    faults = [];
    await tab.viewport(1280, 900);
    await tab.evaluate(keepSaved);
    await tab.choose('#files', [big, bad, hostile, a, semicolons, blank, hex]);
    if (!(await settled(tab))) faults.push(`says ${JSON.stringify(await statusOf(tab))}`);
    const shown = await tableOf(tab);
    if (JSON.stringify(shown.map((row) => row.cells)) !== JSON.stringify(TABLE)) faults.push(`table ${JSON.stringify(shown)}`);
    if (shown.map((row) => row.failed).join() !== 'false,false,false,true,false,false,false') faults.push('the failure is not marked');
    if (await tab.evaluate(() => document.getElementById('table').getAttribute('aria-rowcount')) !== '8') faults.push('aria-rowcount is not 8');
    await tab.evaluate(() => document.getElementById('csv').click());
    const saved = await tab.evaluate(async () => window.saved &&
        { name: window.saved.name, type: window.saved.blob.type, bytes: [...new Uint8Array(await window.saved.blob.arrayBuffer())] });
    if (saved?.name !== 'vorlund.csv' || saved.type !== 'text/csv;charset=utf-8') faults.push(`saved ${saved?.name} as ${saved?.type}`);
    else if (!Buffer.from(saved.bytes).equals(Buffer.from(CSV, 'utf8'))) faults.push(`the CSV is ${JSON.stringify(Buffer.from(saved.bytes).toString())}`);
    else savedCsv ??= Buffer.from(saved.bytes);
    if (screenshots) {
        mkdirSync(screenshots, { recursive: true });
        await tab.screenshot(join(screenshots, `${engine}-table-1280.png`));
    }
    verdict(engine, 'the table and the CSV, byte for byte', faults);

    faults = [];
    for (const { column, names, sort } of SORTS) {
        await tab.evaluate((i) => document.querySelectorAll('#table th button')[i].click(), column);
        const order = (await tableOf(tab)).map((row) => row.cells[0]);
        const state = await tab.evaluate(() => [...document.querySelectorAll('#table th')].map((th) =>
            [th.getAttribute('aria-sort'), th.querySelector('button').firstChild.textContent === th.querySelector('button').textContent.replace(/[\u25b2\u25bc]$/, '')]));
        const sorts = state.map(([order]) => order).join(' ');
        if (order.join() !== names.join() || sorts !== sort) faults.push(`by column ${column}: ${order.join(', ')}; ${sorts}`);
        if (state.some(([, named]) => !named)) faults.push('a column\'s name holds its sign');
    }
    verdict(engine, 'sorted by the button of each column, both ways, catalog numbers by their bytes', faults);

    // Installed, the app is handed files by the file manager through the launch queue, as Chromium
    // hands them: each is taken as if chosen, and one that can no longer be read is a failed read.
    if (engine !== 'chromium') leftOut(engine, 'files opened from the file manager, as if chosen', CANNOT[engine]?.launch ?? 'its driver cannot hand the page a launch queue');
    else {
        faults = [];
        const launched = await browser.puppeteer.newPage();
        await launched.evaluateOnNewDocument((bytes) => {
            const handle = (file, contents) => ({ name: file, getFile: async () => {
                if (!contents) throw new DOMException('gone', 'NotFoundError');
                return new File([Uint8Array.from(atob(contents), (c) => c.charCodeAt(0))], file);
            } });
            Object.defineProperty(window, 'launchQueue', { value: {
                setConsumer: (consume) => consume({ files: [handle('gone.ngp', ''), handle('a.ngp', bytes)] }) } });
        }, readFileSync(a).toString('base64'));
        await launched.goto(url);
        await launched.waitForFunction(() => / identified[.;]/.test(document.getElementById('status').textContent), { timeout: 60000 }).catch(() => {});
        const opened = await launched.evaluate(() => [...document.querySelectorAll('#table tbody tr:not(.spacer)')].map((row) => [...row.cells].map((cell) => cell.textContent)));
        if (JSON.stringify(opened) !== JSON.stringify([TABLE[2], ['gone.ngp', '', '', '', '', IO]])) faults.push(`shows ${JSON.stringify(opened)}`);
        verdict(engine, 'files opened from the file manager, as if chosen', faults);
        await launched.close();
    }

    // Another copy of the site on the same host, which keeps a cache of its own.
    faults = [];
    await tab.goto(origin + OTHER);
    if (!(await ready(tab))) faults.push(`says ${JSON.stringify(await statusOf(tab))}`);
    const other = cacheOf(release, origin + OTHER);
    const both = await cachesOf(tab, other);
    if (both.keys.join() !== [own, other].sort().join()) faults.push(`caches ${both.keys.join(', ')}`);
    verdict(engine, 'another copy of the site on the host, with its own cache', faults);

    // The next release on the host: the first visit after it shows it, and its worker drops the
    // last release's cache of its own folder, and no other.
    faults = [];
    next = {
        'sw.js': readFileSync(join(site, 'sw.js'), 'utf8').replace(`const RELEASE = '${release}'`, 'const RELEASE = \'0.0.0-next\''),
        'index.html': readFileSync(join(site, 'index.html'), 'utf8').replace('<title>', '<title>next: '),
    };
    await tab.goto(url);
    await ready(tab);
    const title = await tab.evaluate(() => document.title);
    if (!title.startsWith('next: ')) faults.push(`the first visit shows ${title}`);
    const newer = cacheOf('0.0.0-next', url);
    let keys = [];
    for (let i = 0; i < 100 && keys.join() !== [newer, other].sort().join(); i++) {
        keys = await tab.evaluate(() => caches.keys().then((all) => all.sort()));
        await sleep(100);
    }
    if (keys.join() !== [newer, other].sort().join()) faults.push(`caches ${keys.join(', ')}`);
    verdict(engine, 'the next release, at the first visit after it', faults);

    // No network at all: the page comes from the cache and identifies an image, at either address
    // of its folder; and so does the other copy, from its own.
    faults = [];
    server.close();
    server.closeAllConnections();
    await tab.reload();
    if (!(await ready(tab))) faults.push(`offline, says ${JSON.stringify(await statusOf(tab))}`);
    await tab.choose('#files', [a]);
    if (!(await settled(tab))) faults.push(`offline, says ${JSON.stringify(await statusOf(tab))}`);
    const rows = await tableOf(tab);
    if (JSON.stringify(rows.map((row) => row.cells)) !== JSON.stringify([TABLE[2]])) faults.push(`offline, shows ${JSON.stringify(rows)}`);
    await tab.goto(origin + OTHER);
    if (!(await ready(tab))) faults.push(`offline, the other copy says ${JSON.stringify(await statusOf(tab).catch((e) => e.message))}`);
    verdict(engine, 'offline after the first visit, and the other copy too', faults);
    // The host's redirect from the folder's address without the slash, which the browser keeps.
    if (CANNOT[engine]?.redirected) leftOut(engine, 'offline, at its folder\'s address without the slash', CANNOT[engine].redirected);
    else {
        await tab.goto(origin + FOLDER.slice(0, -1));
        verdict(engine, 'offline, at its folder\'s address without the slash', await ready(tab) ? [] : [`says ${await statusOf(tab).catch((e) => e.message)}`]);
    }
    await listen(new URL(origin).port);
    next = null;

    // Nothing but the site's own files, from its own folders (and the page's worker, from its
    // script, and the empty icon it holds until it is served).
    await tab.settle?.();
    const ownFile = (r) => /^(blob:|data:,$)/.test(r) || r === origin + FOLDER.slice(0, -1) ||
        [FOLDER, OTHER].some((folder) => r.startsWith(origin + folder) && files.includes(new URL(r).pathname.slice(folder.length) || 'index.html'));
    const others = [...tab.requests.filter((r) => !ownFile(r)), ...asked.filter((path) => !ownFile(origin + path))];
    verdict(engine, 'no request but for the site\'s own files', others.length ? [`asked for ${[...new Set(others)].join(', ')}`] : []);
    asked.length = 0;
    await tab.close();
    await browser.close();
}

// The CSV in each of the six ways LibreOffice Calc imports it, formulas evaluated: split at
// commas, at semicolons or at both, blanks trimmed or not. The page's holds no formula; the same
// table written plainly, the control, holds one in each.
const plain = '\ufeff' + [['Filename', 'Internal Name', 'Copyright', 'Catalog No.', 'Megabits', 'Message'], ...TABLE]
    .map((cells) => cells.map((cell) => (/[",\r\n]/.test(cell) ? `"${cell.replaceAll('"', '""')}"` : cell)).join(',') + '\r\n').join('');
const soffice = ['/usr/bin/soffice', '/usr/bin/libreoffice'].find(existsSync);
const formulas = (csv, separators, trim) => {
    const folder = mkdtempSync(join(work, 'calc-'));
    writeFileSync(join(folder, 'table.csv'), csv);
    execFileSync(soffice, ['--headless', `-env:UserInstallation=file://${folder}/profile`,
        `--infilter=Text - txt - csv (StarCalc):${separators},34,76,1,,0,false,true,false,false,${trim},false,true`,
        '--convert-to', 'fods', '--outdir', folder, join(folder, 'table.csv')], { stdio: 'ignore', timeout: 120000 });
    return (readFileSync(join(folder, 'table.fods'), 'utf8').match(/table:formula=/g) ?? []).length;
};
if (!soffice) console.log('skipped: the CSV in LibreOffice: not installed: libreoffice-calc-nogui');
else if (!savedCsv) verdict('libreoffice', 'the CSV in each of six imports', ['no engine saved the CSV']);
else {
    for (const [separators, split] of [['44', 'commas'], ['59', 'semicolons'], ['44/59', 'both']]) {
        for (const trim of [false, true]) {
            const name = `split at ${split}, blanks ${trim ? '' : 'not '}trimmed`;
            const faults = [];
            const page = formulas(savedCsv, separators, trim), control = formulas(plain, separators, trim);
            if (page) faults.push(`the page's CSV holds ${page} formulas`);
            if (!control) faults.push('the control holds no formula: this import evaluates none');
            verdict('libreoffice', `the CSV ${name}: no formula (the control: ${control})`, faults);
        }
    }
}

server.close();
rmSync(work, { recursive: true, force: true });
finish();
