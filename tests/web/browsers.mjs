// What the browser tests share: the three engines, Debian's Chromium, Firefox ESR and WebKitGTK's
// MiniBrowser, and one way to drive a tab of each. Chromium and Firefox are driven by
// puppeteer-core; WebKit by its own WebDriver, WebKitWebDriver, through the few calls of the
// WebDriver protocol written here, on an X display of its own (Xvfb) where there is none.
import { spawn } from 'node:child_process';
import { chownSync, existsSync, mkdtempSync, readdirSync, writeFileSync } from 'node:fs';
import { createServer } from 'node:net';
import { join } from 'node:path';

const MINIBROWSER = readdirSync('/usr/lib').map((folder) => `/usr/lib/${folder}/webkit2gtk-4.1/MiniBrowser`)
    .find(existsSync) ?? 'MiniBrowser (webkit2gtk-driver)';
const NEEDS = {
    chromium: ['/usr/bin/chromium'], firefox: ['/usr/bin/firefox-esr'],
    webkit: ['/usr/bin/WebKitWebDriver', MINIBROWSER, '/usr/bin/Xvfb'],
};
// All three, or those that VORLUND_ENGINES names (chromium,webkit), while a test is worked on.
export const ENGINES = process.env.VORLUND_ENGINES?.split(',').filter((engine) => NEEDS[engine]) ?? Object.keys(NEEDS);
// What a person does that an engine's driver cannot, and what an engine itself gives a page no way
// to do: the tests leave these out there, saying so.
export const CANNOT = {
    firefox: { folder: 'its driver cannot choose a folder', drop: 'its driver cannot drop files' },
    webkit: {
        folder: 'its driver hands a folder input the folder as one empty file', drop: 'its driver cannot drop files',
        launch: 'WebKit has no launch queue', console: 'its driver passes on no console message',
        noWasm: 'MiniBrowser cannot be started without WebAssembly (Safari is, in Lockdown Mode)',
        redirected: 'WebKit follows the host\'s redirect from its cache, then asks the network, not the site\'s worker, for the page',
    },
};

let puppeteer;
// The drivers, or the end of the run, skipped, naming what is not installed.
export async function drivers(what) {
    const missing = Object.values(NEEDS).flat().filter((path) => !existsSync(path));
    try {
        puppeteer = (await import('puppeteer-core')).default;
    } catch {
        missing.push('puppeteer-core (npm ci --prefix tests/web)');
    }
    if (missing.length) {
        console.log(`skipped: ${what}: not installed: ${missing.join(', ')}`);
        process.exit(77);
    }
}

// launch(ENGINE, OPTIONS): the browser, headless or on a display of its own, in the colour scheme
// given, and in a UTF-8 locale, as a user's, without which Chromium takes no file whose name is not
// ASCII. With `unprivileged` (a folder for its profile), as a user who is not root, so that a file
// root may read can be one it may not; with `noWasm`, without WebAssembly, as a browser without a
// JIT, or a policy, leaves it. Its tabs are opened with open().
const env = { ...process.env, LC_ALL: 'C.UTF-8' };
export async function launch(engine, { scheme = 'light', unprivileged = '', noWasm = false } = {}) {
    const [executable] = NEEDS[engine];
    let as = [], profile;
    if (unprivileged && process.getuid?.() === 0) {
        profile = mkdtempSync(join(unprivileged, 'profile-'));
        chownSync(profile, 65534, 65534);
        as = ['setpriv', '--reuid=65534', '--regid=65534', '--clear-groups', 'env', `HOME=${profile}`];
    }
    if (engine === 'webkit') return WebKit.launch(as, { scheme });
    let executablePath = executable;
    if (as.length) {
        executablePath = join(unprivileged, `${engine}-unprivileged`);
        writeFileSync(executablePath, `#!/bin/sh\nexec ${as.join(' ')} ${executable} "$@"\n`, { mode: 0o755 });
    }
    const browser = engine === 'firefox'
        ? await puppeteer.launch({
            browser: 'firefox', executablePath, userDataDir: profile, headless: true, env,
            extraPrefsFirefox: { 'layout.css.prefers-color-scheme.content-override': scheme === 'dark' ? 0 : 1,
                ...(noWasm ? { 'javascript.options.wasm': false } : {}) },
        })
        // The flags keep Chromium from reaching for the network on its own, which would be counted.
        : await puppeteer.launch({
            executablePath, userDataDir: profile, headless: true, env,
            args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking', '--disable-component-update',
                '--disable-sync', '--no-first-run', '--disable-features=Translate,OptimizationHints,MediaRouter',
                ...(noWasm ? ['--js-flags=--jitless'] : [])],
        });
    return { engine, open: () => Puppeteer.open(browser, engine, scheme), close: () => browser.close(), puppeteer: browser };
}

// A tab of Chromium or Firefox, through puppeteer: every request it makes is kept in `requests`,
// every error in `errors`, every console message in `messages`.
const Puppeteer = {
    async open(browser, engine, scheme) {
        const page = await browser.newPage();
        const tab = { engine, page, requests: [], errors: [], messages: [] };
        page.on('request', (request) => tab.requests.push(request.url()));
        page.on('pageerror', (error) => tab.errors.push(error.message));
        page.on('console', (message) => tab.messages.push(message.text()));
        if (engine === 'chromium') await page.emulateMediaFeatures([{ name: 'prefers-color-scheme', value: scheme }]);
        return Object.assign(tab, {
            goto: (url) => page.goto(url),
            reload: () => page.reload(),
            evaluate: (fn, ...args) => page.evaluate(fn, ...args),
            until: (fn, arg, timeout = 20000) => page.waitForFunction(fn, { timeout, polling: 50 }, arg).then(() => true, () => false),
            choose: async (selector, paths) => (await page.$(selector)).uploadFile(...paths),
            screenshot: (path) => page.screenshot({ path, fullPage: true }),
            viewport: (width, height) => page.setViewport({ width, height }),
            press: (key) => page.keyboard.press(key),
            close: () => page.close(),
        });
    },
};

// A port that nothing listens on, for a server to take.
const freePort = () => new Promise((resolve) => {
    const server = createServer().listen(0, '127.0.0.1', () => {
        const { port } = server.address();
        server.close(() => resolve(port));
    });
});
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// WebKit: one WebKitWebDriver for each browser (as its user, with its environment), on the
// display of this run, an Xvfb started for it where there is none; each tab a window of the
// browser's one WebDriver session.
let display = process.env.DISPLAY;
const children = [];
process.on('exit', () => children.forEach((child) => child.kill()));
const WebKit = {
    async launch(as, { scheme }) {
        if (!display) {
            const number = 90 + Math.floor(Math.random() * 400);
            children.push(spawn('Xvfb', [`:${number}`, '-screen', '0', '1600x1200x24', '-nolisten', 'tcp'], { stdio: 'ignore' }));
            display = `:${number}`;
            await sleep(500);
        }
        const port = await freePort();
        const driver = spawn(as[0] ?? 'WebKitWebDriver', [...as.slice(1), ...(as.length ? ['WebKitWebDriver'] : []), `--port=${port}`],
            { stdio: 'ignore', env: { ...env, DISPLAY: display } });
        children.push(driver);
        const call = async (method, path, body) => {
            const response = await fetch(`http://127.0.0.1:${port}${path}`,
                { method, headers: { 'content-type': 'application/json' }, body: body && JSON.stringify(body) });
            const { value } = await response.json();
            if (value?.error) throw new Error(`${path}: ${value.error}: ${value.message}`);
            return value;
        };
        for (let i = 0; i < 100; i++) {
            if (await call('GET', '/status').then((status) => status.ready, () => false)) break;
            await sleep(100);
        }
        const { sessionId } = await call('POST', '/session', { capabilities: { alwaysMatch: { 'webkitgtk:browserOptions':
            { binary: MINIBROWSER, args: ['--automation', ...(scheme === 'dark' ? ['--dark-mode'] : [])] } } } });
        const session = (method, path, body) => call(method, `/session/${sessionId}${path}`, body);
        // The session's first window is a tab that is never closed, only emptied, since closing
        // a session's last window ends the session; every other tab is a window of its own.
        const first = await session('GET', '/window');
        let firstFree = true;
        return {
            engine: 'webkit',
            async open() {
                const handle = firstFree ? first : (await session('POST', '/window/new', { type: 'tab' })).handle;
                if (handle === first) firstFree = false;
                return WebKit.tab(session, handle, async () => {
                    if (handle !== first) await session('DELETE', '/window');
                    else await session('POST', '/url', { url: 'about:blank' }).then(() => { firstFree = true; });
                });
            },
            close: async () => {
                await session('DELETE', '').catch(() => {});
                driver.kill();
            },
        };
    },

    // A tab of WebKit: the window HANDLE of the SESSION, which SHUT closes. What it asked for is
    // read from the page itself, the resources of its own document; no error or console message
    // reaches the driver.
    tab(session, handle, shut) {
        const on = () => session('POST', '/window', { handle });
        const tab = { engine: 'webkit', requests: [], errors: [], messages: [] };
        // The page's function, run with its arguments, its value (or its promise's) given back.
        const evaluate = async (fn, ...args) => {
            await on();
            const result = await session('POST', '/execute/async', { args, script: `const done = arguments[arguments.length - 1];
                Promise.resolve().then(() => (${fn}).apply(null, Array.prototype.slice.call(arguments, 0, -1)))
                    .then((value) => done({ value }), (error) => done({ error: String(error) }));` });
            if (result?.error) throw new Error(result.error);
            return result?.value;
        };
        const settle = async () => {
            const asked = await evaluate(() => performance.getEntriesByType('resource').map((entry) => entry.name)).catch(() => []);
            tab.requests.push(...asked.filter((url) => !tab.requests.includes(url)));
        };
        return Object.assign(tab, {
            goto: async (url) => {
                await on();
                await session('POST', '/url', { url });
                tab.requests.push(url);
            },
            reload: async () => {
                await on();
                await session('POST', '/refresh', {});
            },
            evaluate,
            until: async (fn, arg, timeout = 20000) => {
                for (const end = Date.now() + timeout; Date.now() < end; await sleep(50)) {
                    if (await evaluate(fn, arg).catch(() => false)) return true;
                }
                return false;
            },
            choose: async (selector, paths) => {
                await on();
                const element = Object.values(await session('POST', '/element', { using: 'css selector', value: selector }))[0];
                await session('POST', `/element/${element}/value`, { text: paths.join('\n') });
            },
            screenshot: async (path) => {
                await on();
                writeFileSync(path, Buffer.from(await session('GET', '/screenshot'), 'base64'));
            },
            // The window is made as large as it takes for the page's viewport to have the size,
            // so far as the window may shrink (MiniBrowser's, to 447 px wide).
            viewport: async (width, height) => {
                await on();
                await session('POST', '/window/rect', { width, height });
                const [inner, outer] = await evaluate(() => [[innerWidth, innerHeight], [outerWidth, outerHeight]]);
                await session('POST', '/window/rect', { width: width + outer[0] - inner[0], height: height + outer[1] - inner[1] });
            },
            press: async (key) => {
                const value = { Tab: '\ue004', Enter: '\ue007' }[key] ?? key;
                await on();
                await session('POST', '/actions', { actions: [{ type: 'key', id: 'keyboard', actions: [{ type: 'keyDown', value }, { type: 'keyUp', value }] }] });
                await session('DELETE', '/actions');
            },
            settle,
            close: async () => {
                await settle();
                await on();
                await shut();
            },
        });
    },
};

// Each case's verdict, a line each, counted; finish() ends the run with the count, failing if any
// case failed.
const results = [];
export function verdict(engine, name, faults) {
    results.push(!faults.length);
    console.log(`${faults.length ? 'FAIL' : 'pass'}: ${engine}: ${name}${faults.length ? ': ' + faults.join('; ') : ''}`);
}
export const leftOut = (engine, name, why) => console.log(`left out: ${engine}: ${name}: ${why}`);
export function finish() {
    const failed = results.filter((passed) => !passed).length;
    console.log(`${results.length - failed} passed, ${failed} failed`);
    process.exit(failed ? 1 : 0);
}

// What the page's status line says.
export const statusOf = (tab) => tab.evaluate(() => document.getElementById('status').textContent);
