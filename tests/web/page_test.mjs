// The web page in real browsers, Debian's Chromium and Firefox ESR, driven by puppeteer-core: what
// it shows of each image, byte for byte against what the command prints, how much of each image it
// reads, that it sends nothing anywhere, and that anyone can use it. Screenshots of it at 1280 and
// 320 pixels wide go to SCREENSHOTS.
// Usage: node page_test.mjs PAGE EXPECTED_DIR SAMPLES_DIR SCREENSHOTS (EXPECTED_DIR: tests/cli/expected)
import { execFileSync } from 'node:child_process';
import {
    chmodSync, closeSync, copyFileSync, ftruncateSync, mkdirSync, mkdtempSync, openSync, readFileSync,
    rmSync, truncateSync, unlinkSync, writeFileSync, writeSync,
} from 'node:fs';
import { createServer } from 'node:http';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';
import { BROWSERS, driver, finish, launch as start, statusOf, verdict } from './browsers.mjs';

const [page, expectedDir, samples, screenshots] = process.argv.slice(2);
const puppeteer = await driver('the page in browsers');

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

// The images, made as the command's own tests make them. The page reads a file in blocks of 512
// bytes, so an image's header costs one block, whatever the image's size.
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
// The last of a choice, which goes (or is cut short) before the page reaches it.
const last = () => {
    copyFileSync(a, join(work, 'zzz.ngp'));
    return join(work, 'zzz.ngp');
};
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
const nothing = join(work, 'nothing');
mkdirSync(nothing);
writeFileSync(join(nothing, 'notes.txt'), 'no image here\n');

const TREE = report('tree/sub/a.ngc', 'FOLDER......', 'IN A FOLDER.................', '0102', 1) + '\n' +
    report('tree/sub/deeper/m.Ngp', 'FOLDER......', 'IN A FOLDER.................', '0102', 1) + '\n' +
    report('tree/z.NGP', 'FOLDER......', 'IN A FOLDER.................', '0102', 1);

// Each row: what is done, then the text and the status that the page must show. `how` picks
// files (files), a folder (folder) or drops paths (drop), after picking `before` the same way if
// given; `served` loads the page from a web server instead of from disk. A row that a browser's
// driver cannot do names why.
const rows = [
    { name: 'one file, compared with the command\'s sample output', how: 'folder', paths: [join(work, 'build')],
      text: readFileSync(join(expectedDir, 'sample.out'), 'utf8'), status: identified(1, 1, 512),
      firefox: 'its driver cannot choose a folder' },
    { name: 'one file', how: 'files', paths: [a], text: banner + report('a.ngp', 'FIRST.......',
      'FIRST IMAGE OF TWO..........', '0001', 1), status: identified(1, 1, 512) },
    { name: 'several files, in the order of their names', how: 'files', paths: [b, a], text: banner +
      report('a.ngp', 'FIRST.......', 'FIRST IMAGE OF TWO..........', '0001', 1) + '\n' +
      report('b.ngc', 'SECOND......', 'SECOND IMAGE OF TWO.........', '0002', 2), status: identified(2, 2, 1024) },
    { name: 'a folder with sub-folders, its images only', how: 'folder', paths: [join(work, 'tree')],
      text: banner + TREE, status: identified(3, 3, 1536), firefox: 'its driver cannot choose a folder' },
    { name: 'a folder dropped on the page from a web server', how: 'drop', served: true,
      paths: [join(work, 'tree')], text: banner + TREE, status: identified(3, 3, 1536),
      firefox: 'its driver cannot drop files' },
    { name: 'a folder dropped on the page from disk', how: 'drop', paths: [join(work, 'tree')], text: '',
      status: 'This browser cannot read a folder dropped here: choose it with “A folder” instead.',
      firefox: 'its driver cannot drop files' },
    { name: 'files dropped', how: 'drop', paths: [a, bad], text: banner + report('a.ngp', 'FIRST.......',
      'FIRST IMAGE OF TWO..........', '0001', 1) + '\nbad.ngp: ' + SIZE, status: identified(1, 2, 512),
      firefox: 'its driver cannot drop files' },
    { name: 'a bad size', how: 'files', paths: [bad], text: banner + 'bad.ngp: ' + SIZE, status: identified(0, 1, 0) },
    { name: 'an empty file', how: 'files', paths: [empty], text: banner + report('empty.ngp', '', '', '0000', 0),
      status: identified(1, 1, 0) },
    { name: 'hostile names and header bytes', how: 'files', paths: [hostile, hostileBad], text: banner +
      '?bad?.ngp: ' + SIZE + '\n' +
      report('?gpn.exe?[2J<img src=x onerror=alert(1)>.ngp', '?]0;NAME?', '?[2J?? ~?????COPYRIGHT......', '0000', 1),
      status: identified(1, 2, 512), screenshot: 'hostile' },
    { name: 'a 1 GiB sparse file, of which only the header is read', how: 'files', paths: [huge],
      text: banner + report('huge.ngp', 'HUGE........', 'ONE GIBIBYTE, SPARSE........', '1234', 8192),
      status: identified(1, 1, 512) },
    { name: 'a second choice while the first is still being read', how: 'files', before: many, paths: [a],
      text: banner + report('a.ngp', 'FIRST.......', 'FIRST IMAGE OF TWO..........', '0001', 1),
      status: identified(1, 1, 512), soon: 500 },
    { name: 'a file removed after the choice, before the page reaches it', how: 'files', paths: () => [...many, last()],
      after: (paths) => unlinkSync(paths.at(-1)), text: banner + MANY + '\nzzz.ngp: ' + IO,
      status: identified(2000, 2001, 2000 * 512) },
    // Chromium takes a file's size when the page hands the file to its worker, which may be
    // before the cut or after it: a failed read, or the size the file now has, as the command
    // would find it; never the report of the image it was.
    { name: 'a file cut short after the choice, before the page reaches it', how: 'files', paths: () => [...many, last()],
      after: (paths) => truncateSync(paths.at(-1), 100), text: [banner + MANY + '\nzzz.ngp: ' + IO, banner + MANY + '\nzzz.ngp: ' + SIZE],
      status: identified(2000, 2001, 2000 * 512) },
    { name: 'a file its user may not read', how: 'files', paths: [secret, a], unprivileged: true, text: banner +
      report('a.ngp', 'FIRST.......', 'FIRST IMAGE OF TWO..........', '0001', 1) + '\nsecret.ngp: ' + IO,
      status: identified(1, 2, 512) },
    { name: 'a file past 2^53 bytes, refused rather than given a wrong size', how: 'files', paths: [past],
      text: banner + 'past.ngp: ' + IO, status: identified(0, 1, 0),
      all: !pastMade && 'no tmpfs at /dev/shm takes a file of 2^54 bytes' },
    { name: 'a choice of no image after a report', how: 'folder', before: [a], paths: [nothing], text: '',
      status: 'No Neo Geo Pocket images (.ngp, .ngc) there.', disabled: true,
      firefox: 'its driver cannot choose a folder' },
];

const leftOut = (browser, name, why) => console.log(`left out: ${browser}: ${name}: ${why}`);

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
const fromDisk = pathToFileURL(page).href;

const launch = (browser, options = {}) => start(puppeteer, browser, { ...options, unprivileged: options.unprivileged && work });

// open BROWSER URL: a new tab with the page, ready; every request it makes is kept in `requests`.
async function open(browser, url, status = 'Ready.') {
    const tab = await browser.newPage();
    tab.requests = [];
    tab.errors = [];
    tab.on('request', (request) => tab.requests.push(request.url()));
    tab.on('pageerror', (error) => tab.errors.push(error.message));
    await tab.goto(url);
    await tab.waitForFunction((wanted) => document.getElementById('status').textContent === wanted, { timeout: 20000 }, status)
        .catch(() => {});
    return tab;
}

async function settled(tab) {
    await tab.waitForFunction(() => /identified|cannot|No Neo|stopped/.test(document.getElementById('status').textContent),
        { timeout: 60000 }).catch(() => {});
    return { text: await tab.$eval('#output', (e) => e.textContent), status: await statusOf(tab) };
}

async function act(tab, row, paths = row.paths) {
    if (row.how === 'drop') {
        const box = await (await tab.$('#drop')).boundingBox();
        const at = { x: box.x + 10, y: box.y + 10 };
        const data = { items: [], files: paths, dragOperationsMask: 1 };
        await tab.mouse.dragEnter(at, data);
        await tab.mouse.dragOver(at, data);
        await tab.mouse.drop(at, data);
    } else {
        if (row.before) {
            await (await tab.$('#files')).uploadFile(...row.before);
            if (!row.soon) await settled(tab);
        }
        await (await tab.$(`#${row.how}`)).uploadFile(...paths);
    }
}

// Only the page itself, the worker it makes from its own script and the empty icon it holds are
// ever asked for; served, the page asks its own server for the site's files beside it as well.
const SITE = ['manifest.webmanifest', 'icon-192.png', 'apple-touch-icon.png', 'sw.js'];
const foreign = (tab, url) => tab.requests.filter((r) => r !== url && !/^(blob:|data:,$)/.test(r) &&
    !(url.startsWith('http:') && SITE.some((file) => r === new URL(file, url).href)));

// The page where an unprivileged browser can read it, and the folder that holds it.
chmodSync(work, 0o755);
copyFileSync(page, join(work, 'vorlund.html'));
const readable = pathToFileURL(join(work, 'vorlund.html')).href;

for (const name of Object.keys(BROWSERS)) {
    const browser = await launch(name);
    for (const row of rows) {
        if (row[name] || row.all) {
            leftOut(name, row.name, row[name] || row.all);
            continue;
        }
        const unprivileged = row.unprivileged ? await launch(name, { unprivileged: true }) : null;
        const url = row.served ? served : unprivileged ? readable : fromDisk;
        const tab = await open(unprivileged ?? browser, url);
        const paths = typeof row.paths === 'function' ? row.paths() : row.paths;
        const faults = [];
        await act(tab, row, paths);
        row.after?.(paths);
        // A second choice ends the first at once: within `soon` ms nothing of the first is shown.
        if (row.soon) {
            const shown = await tab.evaluate((ms) => new Promise((resolve) =>
                setTimeout(() => resolve(document.getElementById('output').textContent), ms)), row.soon);
            if (shown !== row.text) faults.push(`${row.soon} ms after the choice shows ${JSON.stringify(shown.slice(0, 200))}`);
        }
        const shown = await settled(tab);
        if (![row.text].flat().includes(shown.text)) faults.push(`shows ${JSON.stringify(shown.text.slice(-2000))}`);
        if (shown.status !== row.status) faults.push(`says ${JSON.stringify(shown.status)}`);
        const buttons = await tab.$$eval('#copy, #save, #csv', (all) => all.map((b) => b.disabled));
        if (buttons.some((disabled) => disabled !== (row.disabled ?? !shown.text))) faults.push(`copy, save and csv disabled: ${buttons}`);
        if (await tab.$('img')) faults.push('a name became markup');
        if (foreign(tab, url).length) faults.push(`asked for ${foreign(tab, url).join(', ')}`);
        if (tab.errors.length) faults.push(`errors: ${tab.errors.join(', ')}`);
        verdict(name, row.name, faults);
        if (row.screenshot && screenshots) {
            mkdirSync(screenshots, { recursive: true });
            await tab.screenshot({ path: join(screenshots, `${name}-${row.screenshot}.png`), fullPage: true });
        }
        await tab.close();
        await unprivileged?.close();
    }

    // Without WebAssembly the page says why it cannot work, its inputs closed.
    {
        const off = await launch(name, { noWasm: true });
        const wanted = 'This browser runs no WebAssembly (it may be turned off), which vorlund needs: it cannot identify images here.';
        const tab = await open(off, fromDisk, wanted);
        const faults = [];
        if (await statusOf(tab) !== wanted) faults.push(`says ${JSON.stringify(await statusOf(tab))}`);
        if (!(await tab.$$eval('input', (all) => all.every((input) => input.disabled)))) faults.push('takes images');
        verdict(name, 'without WebAssembly, says so', faults);
        await off.close();
    }

    // The policy forbids every connection, whatever a script might try.
    {
        const tab = await open(browser, fromDisk);
        const refused = await tab.evaluate(async () => {
            const blocked = new Promise((resolve) =>
                document.addEventListener('securitypolicyviolation', (e) => resolve(e.effectiveDirective)));
            const fetched = await fetch('http://127.0.0.1:9/').then(() => 'fetched', () => 'refused');
            return `${fetched} ${await blocked}`;
        });
        verdict(name, 'a connection, refused by the policy', refused === 'refused connect-src' ? [] : [refused]);
        await tab.close();
    }

    // Labelled controls that the keyboard reaches in order, with a focus that shows.
    {
        const tab = await open(browser, fromDisk);
        await act(tab, rows[1]);
        await settled(tab);
        const faults = [];
        const labels = await tab.$$eval('input, button', (all) => all.map((e) => (e.labels?.[0] ?? e).textContent.trim()));
        if (labels.some((label) => !label)) faults.push(`unlabelled: ${JSON.stringify(labels)}`);
        const order = [];
        for (let i = 0; i < 7; i++) {
            await tab.keyboard.press('Tab');
            order.push(await tab.evaluate(() => {
                const e = document.activeElement;
                return `${e.id}:${getComputedStyle(e).outlineStyle}`;
            }));
        }
        // Copy and save come before the text, however long it is, and the table's first column
        // after it.
        const expected = ['files', 'folder', 'copy', 'save', 'csv', 'output', 'table-box'].map((id) => `${id}:solid`);
        if (order.join() !== expected.join()) faults.push(`focus went ${order.join(', ')}`);
        const live = await tab.$eval('#status', (e) => `${e.getAttribute('role')} ${e.getAttribute('aria-live')}`);
        if (live !== 'status polite') faults.push(`results announced as ${live}`);
        // The text is a region, a role whose name its label gives, as the browser tells it to a
        // screen reader (where its driver can ask).
        const region = await tab.$eval('#output', (e) => `${e.getAttribute('role')}: ${e.getAttribute('aria-label')}`);
        if (region !== 'region: What vorlund printed') faults.push(`the text is ${region}`);
        if (name === 'chromium') {
            const named = (node) => (node.role === 'region' && node.name === 'What vorlund printed') ||
                (node.children ?? []).some(named);
            if (!named(await tab.accessibility.snapshot({ interestingOnly: false }))) faults.push('no region named for the text');
        }
        verdict(name, 'labelled controls, reached by the keyboard, results announced', faults);
        await tab.close();
    }

    // Readable on a phone, in a dark colour scheme: nothing wider than the screen but the report,
    // which scrolls on its own, and light text on a dark ground.
    for (const [width, scheme] of [[1280, 'light'], [320, 'dark']]) {
        const schemed = name === 'firefox' && scheme === 'dark' ? await launch(name, { scheme }) : browser;
        const tab = await open(schemed, fromDisk);
        await tab.setViewport({ width, height: 900 });
        if (name === 'chromium') await tab.emulateMediaFeatures([{ name: 'prefers-color-scheme', value: scheme }]);
        await act(tab, rows[2]);
        await settled(tab);
        const faults = [];
        const wide = await tab.evaluate(() => document.documentElement.scrollWidth);
        if (wide > width) faults.push(`${wide} px wide`);
        const colours = await tab.evaluate(() => [getComputedStyle(document.body).backgroundColor,
            getComputedStyle(document.body).color]);
        const light = (rgb) => rgb.match(/\d+/g).slice(0, 3).reduce((sum, c) => sum + Number(c), 0) > 3 * 128;
        if (light(colours[0]) !== (scheme === 'light') || light(colours[1]) === (scheme === 'light'))
            faults.push(`colours ${colours.join(' on ')}`);
        if (screenshots) {
            mkdirSync(screenshots, { recursive: true });
            await tab.screenshot({ path: join(screenshots, `${name}-${width}.png`), fullPage: true });
        }
        verdict(name, `${width} px wide, ${scheme} scheme`, faults);
        await tab.close();
        if (schemed !== browser) await schemed.close();
    }
    await browser.close();
}

server.close();
rmSync(work, { recursive: true, force: true });
if (past) rmSync(join(past, '..'), { recursive: true, force: true });
finish();
