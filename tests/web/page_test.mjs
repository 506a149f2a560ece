// The web page in real browsers, Debian's Chromium and Firefox ESR, driven by puppeteer-core: what
// it shows of each image, byte for byte against what the command prints, how much of each image it
// reads, that it sends nothing anywhere, and that anyone can use it. Screenshots of it at 1280 and
// 320 pixels wide go to SCREENSHOTS.
// Usage: node page_test.mjs PAGE EXPECTED_DIR SAMPLES_DIR SCREENSHOTS (EXPECTED_DIR: tests/cli/expected)
import { execFileSync } from 'node:child_process';
import { existsSync, mkdirSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { createServer } from 'node:http';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';

const [page, expectedDir, samples, screenshots] = process.argv.slice(2);
const BROWSERS = { chromium: '/usr/bin/chromium', firefox: '/usr/bin/firefox-esr' };
const missing = Object.entries(BROWSERS).filter(([, path]) => !existsSync(path)).map(([name]) => name);
let puppeteer;
try {
    puppeteer = (await import('puppeteer-core')).default;
} catch {
    missing.push('puppeteer-core (npm ci --prefix tests/web)');
}
if (missing.length) {
    console.log(`skipped: the page in browsers: not installed: ${missing.join(', ')}`);
    process.exit(77);
}

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
// Enough images that the page is still on them when the next choice comes.
mkdirSync(join(work, 'many'));
const many = Array.from({ length: 500 }, (_, i) => join(work, 'many', `${String(i).padStart(3, '0')}.ngp`));
for (const path of many) writeFileSync(path, 'too short');

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
      status: identified(1, 1, 512) },
];

const results = [];
const verdict = (browser, name, faults) => {
    results.push(!faults.length);
    console.log(`${faults.length ? 'FAIL' : 'pass'}: ${browser}: ${name}${faults.length ? ': ' + faults.join('; ') : ''}`);
};
const leftOut = (browser, name, why) => console.log(`left out: ${browser}: ${name}: ${why}`);

// A server of the page alone, as any static host would serve it.
const server = createServer((request, response) => {
    response.writeHead(200, { 'content-type': 'text/html; charset=utf-8' });
    response.end(readFileSync(page));
});
await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
const served = `http://127.0.0.1:${server.address().port}/vorlund.html`;
const fromDisk = pathToFileURL(page).href;

// launch BROWSER [SCHEME]: the browser, headless, in the colour scheme given (Firefox's driver cannot
// change it afterwards), and in a UTF-8 locale, as a user's, without which Chromium takes no file
// whose name is not ASCII.
const env = { ...process.env, LC_ALL: 'C.UTF-8' };
function launch(browser, scheme = 'light') {
    if (browser === 'firefox') {
        return puppeteer.launch({
            browser: 'firefox', executablePath: BROWSERS.firefox, headless: true, env,
            extraPrefsFirefox: { 'layout.css.prefers-color-scheme.content-override': scheme === 'dark' ? 0 : 1 },
        });
    }
    // The flags keep Chromium from reaching for the network on its own, which would be counted.
    return puppeteer.launch({
        executablePath: BROWSERS.chromium, headless: true, env,
        args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking', '--disable-component-update',
            '--disable-sync', '--no-first-run', '--disable-features=Translate,OptimizationHints,MediaRouter'],
    });
}

// open BROWSER URL: a new tab with the page, ready; every request it makes is kept in `requests`.
async function open(browser, url) {
    const tab = await browser.newPage();
    tab.requests = [];
    tab.errors = [];
    tab.on('request', (request) => tab.requests.push(request.url()));
    tab.on('pageerror', (error) => tab.errors.push(error.message));
    await tab.goto(url);
    await tab.waitForFunction(() => document.getElementById('status').textContent === 'Ready.', { timeout: 20000 });
    return tab;
}

const statusOf = (tab) => tab.$eval('#status', (e) => e.textContent);
async function settled(tab) {
    await tab.waitForFunction(() => /identified|cannot|No Neo/.test(document.getElementById('status').textContent),
        { timeout: 20000 }).catch(() => {});
    return { text: await tab.$eval('#output', (e) => e.textContent), status: await statusOf(tab) };
}

async function act(tab, row) {
    if (row.how === 'drop') {
        const box = await (await tab.$('#drop')).boundingBox();
        const at = { x: box.x + 10, y: box.y + 10 };
        const data = { items: [], files: row.paths, dragOperationsMask: 1 };
        await tab.mouse.dragEnter(at, data);
        await tab.mouse.dragOver(at, data);
        await tab.mouse.drop(at, data);
    } else {
        const input = await tab.$(`#${row.how}`);
        if (row.before) await input.uploadFile(...row.before);
        await input.uploadFile(...row.paths);
    }
}

// Only the page itself, and the worker it makes from its own script, are ever asked for.
const foreign = (tab, url) => tab.requests.filter((r) => r !== url && !r.startsWith('blob:'));

for (const name of Object.keys(BROWSERS)) {
    const browser = await launch(name);
    for (const row of rows) {
        if (row[name]) {
            leftOut(name, row.name, row[name]);
            continue;
        }
        const url = row.served ? served : fromDisk;
        const tab = await open(browser, url);
        await act(tab, row);
        const shown = await settled(tab);
        const faults = [];
        if (shown.text !== row.text) faults.push(`shows ${JSON.stringify(shown.text)}`);
        if (shown.status !== row.status) faults.push(`says ${JSON.stringify(shown.status)}`);
        if (await tab.$('img')) faults.push('a name became markup');
        if (foreign(tab, url).length) faults.push(`asked for ${foreign(tab, url).join(', ')}`);
        if (tab.errors.length) faults.push(`errors: ${tab.errors.join(', ')}`);
        verdict(name, row.name, faults);
        if (row.screenshot && screenshots) {
            mkdirSync(screenshots, { recursive: true });
            await tab.screenshot({ path: join(screenshots, `${name}-${row.screenshot}.png`), fullPage: true });
        }
        await tab.close();
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
        for (let i = 0; i < 5; i++) {
            await tab.keyboard.press('Tab');
            order.push(await tab.evaluate(() => {
                const e = document.activeElement;
                return `${e.id}:${getComputedStyle(e).outlineStyle}`;
            }));
        }
        const expected = ['files', 'folder', 'output', 'copy', 'save'].map((id) => `${id}:solid`);
        if (order.join() !== expected.join()) faults.push(`focus went ${order.join(', ')}`);
        const live = await tab.$eval('#status', (e) => `${e.getAttribute('role')} ${e.getAttribute('aria-live')}`);
        if (live !== 'status polite') faults.push(`results announced as ${live}`);
        verdict(name, 'labelled controls, reached by the keyboard, results announced', faults);
        await tab.close();
    }

    // Readable on a phone, in a dark colour scheme: nothing wider than the screen but the report,
    // which scrolls on its own, and light text on a dark ground.
    for (const [width, scheme] of [[1280, 'light'], [320, 'dark']]) {
        const schemed = name === 'firefox' && scheme === 'dark' ? await launch(name, scheme) : browser;
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
const failed = results.filter((passed) => !passed).length;
console.log(`${results.length - failed} passed, ${failed} failed`);
process.exit(failed ? 1 : 0);
