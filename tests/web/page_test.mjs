// The web page in the three engines, Chromium, Firefox and WebKit, opened from disk and served: what
// it shows of each image, byte for byte against what the command prints, how much of each image it
// reads, that it sends nothing anywhere, and that anyone can use it. Screenshots of it at 1280 px
// and a phone's width go to SCREENSHOTS.
// Usage: node page_test.mjs PAGE EXPECTED_DIR SAMPLES_DIR SCREENSHOTS (EXPECTED_DIR: tests/cli/expected)
import { execFileSync, spawn } from 'node:child_process';
import {
    chmodSync, closeSync, copyFileSync, ftruncateSync, mkdirSync, mkdtempSync, openSync, readFileSync, renameSync,
    rmSync, truncateSync, unlinkSync, utimesSync, writeFileSync, writeSync,
} from 'node:fs';
import { createServer } from 'node:http';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';
import { CANNOT, drivers, ENGINES, finish, launch as start, leftOut, statusOf, verdict } from './browsers.mjs';

const [page, expectedDir, samples, screenshots] = process.argv.slice(2);
await drivers('the page in browsers');

const USAGE = '\nUsage:\n\n    vorlund filename\n\n';
const IO = 'File IO error encountered. Aborting...\n';
const SIZE = 'Incorrect filesize. Corrupt image?\n';
const banner = readFileSync(join(expectedDir, 'usage.out'), 'utf8').slice(0, -USAGE.length) + '\n';
const report = (name, internal, copyright, catalog, megabits) =>
    `Filename      : ${name}\nInternal Name : ${internal}\nCopyright     : ${copyright}\n` +
    `Catalog No.   : NEOP${catalog}\nImage Size    : ${megabits} Megabit\n`;
const identified = (count, of, bytes) =>
    `${count} of ${of} image${of === 1 ? '' : 's'} identified` +
    (count < of ? `; ${of - count} not, each with its message beside its name` : '') +
    `. ${bytes} byte${bytes === 1 ? '' : 's'} of them read.`;

// The images, made as the command's own tests make them. The page reads one block of 512 bytes of
// each, the one that holds its header, whatever the image's size.
const work = mkdtempSync(join(tmpdir(), 'vorlund-web-'));
const image = (path, ...fields) => {
    mkdirSync(join(work, path, '..'), { recursive: true });
    execFileSync('sh', [join(samples, 'make-image'), join(work, path), ...fields]);
    return join(work, path);
};
mkdirSync(join(work, 'build'));
execFileSync('sh', [join(samples, 'make-sample'), join(work, 'build/sample.ngp')]);
const a = image('two/a.ngp', '128K', 'FIRST IMAGE OF TWO..........', '\\000\\001', 'FIRST.......');
const b = image('two/b.ngc', '256K', 'SECOND IMAGE OF TWO.........', '\\000\\002', 'SECOND......');
for (const path of ['tree/z.NGP', 'tree/sub/a.ngc', 'tree/sub/deeper/m.Ngp'])
    image(path, '128K', 'IN A FOLDER.................', '\\001\\002', 'FOLDER......');
writeFileSync(join(work, 'tree/notes.txt'), 'not an image\n');
writeFileSync(join(work, 'tree/sub/game.sav'), '');
const bad = image('bad.ngp', '131073', 'ONE BYTE OVER A MEGABIT.....', '\\000\\000', 'BAD SIZE....');
const empty = join(work, 'empty.ngp');
writeFileSync(empty, '');
// A name that would reorder what follows it (U+202E), a terminal's escape and markup.
const hostileName = '\u202egpn.exe\u001b[2J<img src=x onerror=alert(1)>.ngp';
const hostile = image(hostileName, '128K', '\\033[2J\\007\\037 ~\\177\\200\\302\\233\\351COPYRIGHT......',
    '\\000\\000', '\\033]0;NAME\\007\\000\\000\\000');
const hostileBad = image('\u202ebad\u0007.ngp', '100', 'NOT A WHOLE MEGABIT.........', '\\000\\000', 'HOSTILE.....');
const huge = image('huge.ngp', '1G', 'ONE GIBIBYTE, SPARSE........', '\\022\\064', 'HUGE........');
// Enough images that the page is still reading them seconds after they are chosen: copies of one,
// its header block and a hole to a whole megabit.
mkdirSync(join(work, 'many'));
const one = image('many.ngp', '128K', 'ONE OF MANY.................', '\\000\\003', 'MANY........');
const many = Array.from({ length: 2000 }, (_, i) => join(work, 'many', `${String(i).padStart(4, '0')}.ngp`));
for (const path of many) {
    const fd = openSync(path, 'w');
    writeSync(fd, readFileSync(one).subarray(0, 512));
    ftruncateSync(fd, 131072);
    closeSync(fd);
}
const MANY = many.map((path) => report(path.slice(-8), 'MANY........', 'ONE OF MANY.................', '0003', 1)).join('\n');
// The last of a choice, which goes, changes or is replaced before the page reaches it: last
// changed a minute before, as a file of a collection has been. (WebKit notices a change only once
// the file's time has moved to another second.)
const last = () => {
    const path = join(work, 'zzz.ngp');
    copyFileSync(a, path);
    utimesSync(path, Date.now() / 1000 - 60, Date.now() / 1000 - 60);
    return path;
};
const other = () => image('other.ngp', '256K', 'ANOTHER IMAGE PUT IN ITS WAY', '\\000\\004', 'OTHER.......');

// A file its user may not read (the browser runs unprivileged, where the test runs as root).
const secret = image('secret.ngp', '128K', 'NOBODY MAY READ THIS........', '\\000\\000', 'SECRET......');
chmodSync(secret, 0o000);
// A file of a size that a double does not hold exactly: 2^54 bytes and a megabit more, where the
// file system takes it (a tmpfs); the browser's size of it is 2^54.
let past = '', pastMade = true;
try {
    past = join(mkdtempSync('/dev/shm/vorlund-web-'), 'past.ngp');
    copyFileSync(a, past);
    execFileSync('truncate', ['-s', String(2n ** 54n + 131072n), past], { stdio: 'ignore' });
} catch {
    pastMade = false;
}
// Files that a browser calls empty and are not: a FIFO, whose writer never writes, and a file of
// /proc, which has bytes. Chromium reads each as an empty file, and so the page shows one.
const fifo = join(work, 'fifo.ngp');
execFileSync('mkfifo', [fifo]);
const nothing = join(work, 'nothing');
mkdirSync(nothing);
writeFileSync(join(nothing, 'notes.txt'), 'no image here\n');

const A = report('a.ngp', 'FIRST.......', 'FIRST IMAGE OF TWO..........', '0001', 1);
const TREE = report('tree/sub/a.ngc', 'FOLDER......', 'IN A FOLDER.................', '0102', 1) + '\n' +
    report('tree/sub/deeper/m.Ngp', 'FOLDER......', 'IN A FOLDER.................', '0102', 1) + '\n' +
    report('tree/z.NGP', 'FOLDER......', 'IN A FOLDER.................', '0102', 1);
const ZZZ = (message) => banner + MANY + '\nzzz.ngp: ' + message;

// Each row: what is done, then the text and the status that the page must show. `how` picks files
// (files), a folder (folder) or drops paths (drop), after picking `before` the same way if given;
// `after` changes the files once they are chosen. `text` may list what either of two timings
// shows, and may be a function of the engine and whether the page is served. A row that needs what
// an engine's driver cannot do (CANNOT) is left out there, saying why; `all` leaves it out
// everywhere, `engines` where the engine itself gives the page no way, each saying why.
const rows = [
    { name: 'one file, compared with the command\'s sample output', how: 'folder', paths: [join(work, 'build')],
      text: readFileSync(join(expectedDir, 'sample.out'), 'utf8'), status: identified(1, 1, 512) },
    { name: 'one file', how: 'files', paths: [a], text: banner + A, status: identified(1, 1, 512) },
    { name: 'several files, in the order of their names', how: 'files', paths: [b, a], text: banner + A + '\n' +
      report('b.ngc', 'SECOND......', 'SECOND IMAGE OF TWO.........', '0002', 2), status: identified(2, 2, 1024) },
    { name: 'a folder with sub-folders, its images only', how: 'folder', paths: [join(work, 'tree')],
      text: banner + TREE, status: identified(3, 3, 1536) },
    // Chromium reads no folder dropped on a page from disk.
    { name: 'a folder dropped on the page', how: 'drop', paths: [join(work, 'tree')],
      text: (_, served) => (served ? banner + TREE : ''), status: (_, served) => (served ? identified(3, 3, 1536)
          : 'This browser cannot read a folder dropped here: choose it with “A folder” instead.') },
    { name: 'files dropped, images only', how: 'drop', paths: [a, bad, join(work, 'tree/notes.txt')],
      text: banner + A + '\nbad.ngp: ' + SIZE, status: identified(1, 2, 1024) },
    { name: 'a drop of no image keeps the report in hand', how: 'drop', before: [a], paths: [join(work, 'tree/notes.txt')],
      text: banner + A, status: 'That drop held no Neo Geo Pocket images (.ngp, .ngc): nothing was taken.',
      disabled: false },
    { name: 'a bad size', how: 'files', paths: [bad], text: banner + 'bad.ngp: ' + SIZE, status: identified(0, 1, 512) },
    { name: 'an empty file', how: 'files', paths: [empty], text: banner + report('empty.ngp', '', '', '0000', 0),
      status: identified(1, 1, 0) },
    { name: 'hostile names and header bytes', how: 'files', paths: [hostile, hostileBad], text: banner +
      '?bad?.ngp: ' + SIZE + '\n' +
      report('?gpn.exe?[2J<img src=x onerror=alert(1)>.ngp', '?]0;NAME?', '?[2J?? ~?????COPYRIGHT......', '0000', 1),
      status: identified(1, 2, 612), screenshot: 'hostile' },
    { name: 'a 1 GiB sparse file, of which only the header is read', how: 'files', paths: [huge],
      text: banner + report('huge.ngp', 'HUGE........', 'ONE GIBIBYTE, SPARSE........', '1234', 8192),
      status: identified(1, 1, 512) },
    { name: 'the same file chosen again, once it is mended', how: 'files', paths: () => [last()],
      before: (paths) => (truncateSync(paths[0], 100), paths), between: (paths) => copyFileSync(a, paths[0]),
      text: banner + report('zzz.ngp', 'FIRST.......', 'FIRST IMAGE OF TWO..........', '0001', 1),
      status: identified(1, 1, 512) },
    { name: 'a second choice while the first is still being read', how: 'files', before: many, paths: [a],
      text: banner + A, status: identified(1, 1, 512), soon: 1000 },
    { name: 'a file removed after the choice, before the page reaches it', how: 'files', paths: () => [...many, last()],
      after: (paths) => unlinkSync(paths.at(-1)), text: ZZZ(IO), status: identified(2000, 2001, 2000 * 512) },
    // Cut before the page reads it: a failed read, or the size the file has when it is read, as
    // the command would find it; never the report of the image it was.
    { name: 'a file cut short after the choice, before the page reaches it', how: 'files', paths: () => [...many, last()],
      after: (paths) => truncateSync(paths.at(-1), 100), text: [ZZZ(IO), ZZZ(SIZE)],
      status: [identified(2000, 2001, 2000 * 512), identified(2000, 2001, 2000 * 512 + 100)] },
    { name: 'a file grown after the choice, before the page reaches it', how: 'files', paths: () => [...many, last()],
      after: (paths) => truncateSync(paths.at(-1), 262144),
      text: [ZZZ(IO), banner + MANY + '\n' + report('zzz.ngp', 'FIRST.......', 'FIRST IMAGE OF TWO..........', '0001', 2)],
      status: [identified(2000, 2001, 2000 * 512), identified(2001, 2001, 2001 * 512)],
      engines: { firefox: 'Firefox gives a page no way to learn a chosen file\'s size again' } },
    { name: 'another image put in the place of a file after the choice', how: 'files', paths: () => [...many, last()],
      after: (paths) => renameSync(other(), paths.at(-1)),
      text: [ZZZ(IO), banner + MANY + '\n' + report('zzz.ngp', 'OTHER.......', 'ANOTHER IMAGE PUT IN ITS WAY', '0004', 2)],
      status: [identified(2000, 2001, 2000 * 512), identified(2001, 2001, 2001 * 512)],
      engines: { firefox: 'Firefox gives a page no way to learn a chosen file\'s size again' } },
    { name: 'a file its user may not read', how: 'files', paths: [secret, a], unprivileged: true,
      text: banner + A + '\nsecret.ngp: ' + IO, status: identified(1, 2, 512) },
    { name: 'a file past 2^53 bytes, refused rather than given a wrong size', how: 'files', paths: [past],
      text: banner + 'past.ngp: ' + IO, status: identified(0, 1, 0),
      all: !pastMade && 'no tmpfs at /dev/shm takes a file of 2^54 bytes' },
    // What each engine makes of them: Chromium reads either as an empty file, WebKit the file of
    // /proc, and the page cannot tell them from one.
    { name: 'a FIFO and a file of /proc, no empty files', how: 'files', paths: ['/proc/version', fifo], fifo: true,
      text: (engine) => banner + (engine === 'chromium' ? report('fifo.ngp', '', '', '0000', 0) : 'fifo.ngp: ' + IO) +
          (engine === 'firefox' ? '\nversion: ' + IO : '\n' + report('version', '', '', '0000', 0)),
      status: (engine) => identified({ chromium: 2, firefox: 0, webkit: 1 }[engine], 2, 0) },
    { name: 'a choice of no image after a report', how: 'folder', before: [a], paths: [nothing], text: '',
      status: 'No Neo Geo Pocket images (.ngp, .ngc) there.', disabled: true },
];

// A server of the page alone, as any static host would serve it, without the rest of the site.
const server = createServer((request, response) => {
    if (request.url !== '/vorlund.html') {
        response.writeHead(404).end();
        return;
    }
    response.writeHead(200, { 'content-type': 'text/html; charset=utf-8' });
    response.end(readFileSync(page));
});
await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
const served = `http://127.0.0.1:${server.address().port}/vorlund.html`;
// The page where an unprivileged browser can read it, and the folder that holds it.
chmodSync(work, 0o755);
copyFileSync(page, join(work, 'vorlund.html'));
const fromDisk = pathToFileURL(join(work, 'vorlund.html')).href;

const launch = (engine, options = {}) => start(engine, { ...options, unprivileged: options.unprivileged && work });

// open(BROWSER, URL): a new tab with the page, ready.
async function open(browser, url, status = 'Ready.') {
    const tab = await browser.open();
    await tab.goto(url);
    await tab.until((wanted) => document.getElementById('status').textContent === wanted, status);
    return tab;
}

const END = /identified|cannot|No Neo|stopped|nothing was taken/;
async function settled(tab) {
    await tab.until((end) => new RegExp(end).test(document.getElementById('status').textContent), END.source, 60000);
    return { text: await tab.evaluate(() => document.getElementById('output').textContent), status: await statusOf(tab) };
}

async function act(tab, how, paths) {
    if (how !== 'drop') return tab.choose(`#${how}`, paths);
    const box = await (await tab.page.$('#drop')).boundingBox();
    const at = { x: box.x + 10, y: box.y + 10 };
    const data = { items: [], files: paths, dragOperationsMask: 1 };
    await tab.page.mouse.dragEnter(at, data);
    await tab.page.mouse.dragOver(at, data);
    await tab.page.mouse.drop(at, data);
}

// Only the page itself, the worker it makes from its own script and the empty icon it holds are
// ever asked for; served, the page asks its own server for the site's files beside it as well.
const SITE = ['manifest.webmanifest', 'icon-192.png', 'apple-touch-icon.png', 'sw.js'];
const foreign = (tab, url) => tab.requests.filter((r) => r !== url && !/^(blob:|data:,$)/.test(r) &&
    !(url.startsWith('http:') && SITE.some((file) => r === new URL(file, url).href)));

// Each row, in each engine, from disk and served.
async function runRow(engine, browser, row, isServed) {
    const name = `${row.name}${isServed ? ', served' : ''}`;
    const why = row.all || row.engines?.[engine] || CANNOT[engine]?.[row.how];
    if (why) return leftOut(engine, name, why);
    const unprivileged = row.unprivileged ? await launch(engine, { unprivileged: true }) : null;
    const url = isServed ? served : fromDisk;
    const tab = await open(unprivileged ?? browser, url);
    const paths = typeof row.paths === 'function' ? row.paths() : row.paths;
    const expected = (value) => [typeof value === 'function' ? value(engine, isServed) : value].flat();
    const faults = [];
    if (row.before) {
        await act(tab, 'files', typeof row.before === 'function' ? row.before(paths) : row.before);
        if (!row.soon) await settled(tab);
        row.between?.(paths);
    }
    // A writer of the FIFO that never writes, for as long as the row lasts: a browser that reads
    // the FIFO waits for it, and is let go when it ends.
    const writer = row.fifo && spawn('sh', ['-c', 'exec 3>"$0"; sleep 600', fifo], { stdio: 'ignore' });
    await act(tab, row.how, paths);
    row.after?.(paths);
    // A second choice ends the first at once: soon after it nothing of the first is shown.
    if (row.soon) {
        const soon = await tab.evaluate((ms) => new Promise((resolve) =>
            setTimeout(() => resolve(document.getElementById('output').textContent), ms)), row.soon);
        if (!expected(row.text).includes(soon)) faults.push(`${row.soon} ms after the choice shows ${JSON.stringify(soon.slice(0, 200))}`);
    }
    const shown = await settled(tab);
    if (writer) writer.kill();
    if (!expected(row.text).includes(shown.text)) faults.push(`shows ${JSON.stringify(shown.text.slice(-1500))}`);
    if (!expected(row.status).includes(shown.status)) faults.push(`says ${JSON.stringify(shown.status)}`);
    const buttons = await tab.evaluate(() => [...document.querySelectorAll('#copy, #save, #csv')].map((b) => b.disabled));
    if (buttons.some((disabled) => disabled !== (row.disabled ?? !shown.text))) faults.push(`copy, save and csv disabled: ${buttons}`);
    if (await tab.evaluate(() => document.querySelectorAll('img').length)) faults.push('a name became markup');
    await tab.settle?.();
    if (foreign(tab, url).length) faults.push(`asked for ${foreign(tab, url).join(', ')}`);
    if (tab.errors.length) faults.push(`errors: ${tab.errors.join(', ')}`);
    verdict(engine, name, faults);
    if (row.screenshot && screenshots) {
        mkdirSync(screenshots, { recursive: true });
        await tab.screenshot(join(screenshots, `${engine}-${row.screenshot}.png`));
    }
    await tab.close();
    await unprivileged?.close();
}

for (const engine of ENGINES) {
    const browser = await launch(engine);
    for (const row of rows) {
        for (const isServed of [false, true]) await runRow(engine, browser, row, isServed);
    }

    // Without WebAssembly the page says why it cannot work, its inputs closed.
    if (CANNOT[engine]?.noWasm) leftOut(engine, 'without WebAssembly, says so', CANNOT[engine].noWasm);
    else {
        const off = await launch(engine, { noWasm: true });
        const wanted = 'This browser runs no WebAssembly (it may be turned off), which vorlund needs: it cannot identify images here.';
        const tab = await open(off, fromDisk, wanted);
        const faults = [];
        if (await statusOf(tab) !== wanted) faults.push(`says ${JSON.stringify(await statusOf(tab))}`);
        if (!(await tab.evaluate(() => [...document.querySelectorAll('input')].every((input) => input.disabled)))) faults.push('takes images');
        verdict(engine, 'without WebAssembly, says so', faults);
        await off.close();
    }

    // The policy forbids every connection, whatever a script might try; and the page loads without
    // a word on the console (a directive that an engine does not know is one, at every load).
    {
        const tab = await open(browser, fromDisk);
        const warned = [...tab.messages];
        const refused = await tab.evaluate(async () => {
            const blocked = new Promise((resolve) =>
                document.addEventListener('securitypolicyviolation', (e) => resolve(e.effectiveDirective)));
            const fetched = await fetch('http://127.0.0.1:9/').then(() => 'fetched', () => 'refused');
            return `${fetched} ${await blocked}`;
        });
        verdict(engine, 'a connection, refused by the policy', refused === 'refused connect-src' ? [] : [refused]);
        if (CANNOT[engine]?.console) leftOut(engine, 'no console message at its load', CANNOT[engine].console);
        else verdict(engine, 'no console message at its load', warned.map((message) => `says ${message}`));
        await tab.close();
    }

    // Labelled controls that the keyboard reaches in order, with a focus that shows.
    {
        const tab = await open(browser, fromDisk);
        await act(tab, 'files', [a]);
        await settled(tab);
        const faults = [];
        const labels = await tab.evaluate(() => [...document.querySelectorAll('input, button')].map((e) => (e.labels?.[0] ?? e).textContent.trim()));
        if (labels.some((label) => !label)) faults.push(`unlabelled: ${JSON.stringify(labels)}`);
        const order = [];
        for (let i = 0; i < 7; i++) {
            await tab.press('Tab');
            order.push(await tab.evaluate(() => {
                const e = document.activeElement;
                return `${e.id}:${getComputedStyle(e).outlineStyle}`;
            }));
        }
        // Copy and save come before the text, however long it is, and the table's first column
        // after it.
        const expected = ['files', 'folder', 'copy', 'save', 'csv', 'output', 'table-box'].map((id) => `${id}:solid`);
        if (order.join() !== expected.join()) faults.push(`focus went ${order.join(', ')}`);
        // Then the first column's button, whose focus is seen: the page looks otherwise with it.
        await tab.press('Tab');
        const focused = await tab.evaluate(() => document.activeElement.closest('th')?.textContent);
        if (focused !== 'Filename') faults.push(`focus went to ${focused}`);
        const look = async () => {
            await tab.screenshot(join(work, 'look.png'));
            return readFileSync(join(work, 'look.png'));
        };
        const withFocus = await look();
        await tab.evaluate(() => document.activeElement.blur());
        if (withFocus.equals(await look())) faults.push('the focus on a sort button is not seen');
        const live = await tab.evaluate(() => ['role', 'aria-live'].map((name) => document.getElementById('status').getAttribute(name)).join(' '));
        if (live !== 'status polite') faults.push(`results announced as ${live}`);
        // The text and the table are regions, each named as its label gives it.
        const regions = await tab.evaluate(() => ['output', 'table-box', 'table'].map((id) => {
            const e = document.getElementById(id);
            return `${e.getAttribute('role') ?? e.tagName.toLowerCase()}: ${e.getAttribute('aria-label') ??
                document.getElementById(e.getAttribute('aria-labelledby'))?.textContent}`;
        }).join(', '));
        if (regions !== 'region: What vorlund printed, region: The images as a table, table: The images as a table') faults.push(`named ${regions}`);
        if (engine === 'chromium') {
            const named = (node) => (node.role === 'region' && node.name === 'What vorlund printed') ||
                (node.children ?? []).some(named);
            if (!named(await tab.page.accessibility.snapshot({ interestingOnly: false }))) faults.push('no region named for the text');
        }
        verdict(engine, 'labelled controls, reached by the keyboard, results announced', faults);
        await tab.close();
    }

    // What a screen reader is told while 2,000 images are read, in a few seconds: that they are
    // being read, then how it ended, and nothing between.
    {
        const tab = await open(browser, fromDisk);
        await tab.evaluate(() => {
            window.told = [];
            new MutationObserver(() => window.told.push(document.getElementById('status').textContent))
                .observe(document.getElementById('status'), { childList: true, characterData: true, subtree: true });
        });
        await act(tab, 'files', many);
        await settled(tab);
        const told = await tab.evaluate(() => window.told);
        verdict(engine, 'the reading told to a screen reader at a humane pace',
            told.join() === ['Reading 2000 images…', identified(2000, 2000, 2000 * 512)].join() ? [] : [`told ${told.join(' | ')}`]);
        await tab.close();
    }

    // With JavaScript off, the page says that it needs it, as Chromium's accessibility tree reads it.
    if (engine !== 'chromium') leftOut(engine, 'without JavaScript, says so', 'only Chromium\'s driver turns JavaScript off');
    else {
        const tab = await browser.open();
        await tab.page.setJavaScriptEnabled(false);
        await tab.goto(fromDisk);
        const said = JSON.stringify(await tab.page.accessibility.snapshot());
        verdict(engine, 'without JavaScript, says so', said.includes('This page needs JavaScript') ? [] : [`shows ${said.slice(0, 300)}`]);
        await tab.close();
    }

    // Readable on a phone, in a dark colour scheme: nothing wider than the screen but the text and
    // the table, which scroll on their own, light text on a dark ground, and every row of the table
    // in view drawn, the box ending at the window's bottom. MiniBrowser's window is 447 px wide at
    // the least.
    for (const [width, scheme] of [[1280, 'light'], [engine === 'webkit' ? 460 : 320, 'dark'], [engine === 'webkit' ? 460 : 390, 'light']]) {
        const schemed = scheme === 'dark' && engine !== 'chromium' ? await launch(engine, { scheme }) : browser;
        const tab = await open(schemed, fromDisk);
        await tab.viewport(width, 900);
        if (engine === 'chromium') await tab.page.emulateMediaFeatures([{ name: 'prefers-color-scheme', value: scheme }]);
        await act(tab, 'files', [b, a, bad, hostile, hostileBad, huge]);
        await settled(tab);
        const faults = [];
        const wide = await tab.evaluate(() => document.documentElement.scrollWidth);
        if (wide > width) faults.push(`${wide} px wide`);
        const colours = await tab.evaluate(() => [getComputedStyle(document.body).backgroundColor, getComputedStyle(document.body).color]);
        const light = (rgb) => rgb.match(/\d+/g).slice(0, 3).reduce((sum, c) => sum + Number(c), 0) > 3 * 128;
        if (light(colours[0]) !== (scheme === 'light') || light(colours[1]) === (scheme === 'light'))
            faults.push(`colours ${colours.join(' on ')}`);
        // The table's box brought to the window's bottom edge, then each row in view (its whole
        // height inside the box, above where a scrollbar may lie over it) asked what is drawn at
        // its middle: its own cell, or something else; within a few frames.
        const rowsDrawn = () => new Promise((resolve) => {
            const box = document.getElementById('table-box');
            window.scrollTo(0, box.getBoundingClientRect().bottom + scrollY - innerHeight + 2);
            requestAnimationFrame(() => requestAnimationFrame(() => {
                const at = box.getBoundingClientRect(), bottom = Math.min(at.top + box.clientTop + box.clientHeight, innerHeight) - 16;
                const inView = [...box.querySelectorAll('tbody tr:not(.spacer)')].filter((row) => {
                    const r = row.getBoundingClientRect();
                    return r.top >= at.top && r.bottom <= bottom;
                });
                const drawn = inView.filter((row) => {
                    const r = row.getBoundingClientRect();
                    return row.contains(document.elementFromPoint(at.left + 20, (r.top + r.bottom) / 2));
                });
                resolve(`${drawn.length} of ${inView.length}`);
            }));
        });
        let drawn = '';
        for (let tries = 0; tries < 10 && drawn !== '5 of 5'; tries++) drawn = await tab.evaluate(rowsDrawn);
        if (drawn !== '5 of 5') faults.push(`rows drawn, of the five in view: ${drawn}`);
        if (screenshots) {
            mkdirSync(screenshots, { recursive: true });
            await tab.screenshot(join(screenshots, `${engine}-${width}-${scheme}.png`));
        }
        verdict(engine, `${width} px wide, ${scheme} scheme`, faults);
        await tab.close();
        if (schemed !== browser) await schemed.close();
    }
    await browser.close();
}

server.close();
rmSync(work, { recursive: true, force: true });
if (past) rmSync(join(past, '..'), { recursive: true, force: true });
finish();
