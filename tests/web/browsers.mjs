// What the browser tests share: the two browsers, Debian's Chromium and Firefox ESR, their driver,
// and how each is started.
import { chownSync, existsSync, mkdtempSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';

export const BROWSERS = { chromium: '/usr/bin/chromium', firefox: '/usr/bin/firefox-esr' };

// The driver, or the end of the run, skipped, naming what is not installed.
export async function driver(what) {
    const missing = Object.entries(BROWSERS).filter(([, path]) => !existsSync(path)).map(([name]) => name);
    let puppeteer;
    try {
        puppeteer = (await import('puppeteer-core')).default;
    } catch {
        missing.push('puppeteer-core (npm ci --prefix tests/web)');
    }
    if (missing.length) {
        console.log(`skipped: ${what}: not installed: ${missing.join(', ')}`);
        process.exit(77);
    }
    return puppeteer;
}

// launch(PUPPETEER, BROWSER, OPTIONS): the browser, headless, in the colour scheme given (Firefox's
// driver cannot change it afterwards), and in a UTF-8 locale, as a user's, without which Chromium
// takes no file whose name is not ASCII. With `unprivileged` (a folder for its profile), as a user
// who is not root, so that a file root may read can be one it may not; with `noWasm`, without
// WebAssembly, as a browser without a JIT, or a policy, leaves it.
const env = { ...process.env, LC_ALL: 'C.UTF-8' };
export function launch(puppeteer, browser, { scheme = 'light', unprivileged = '', noWasm = false } = {}) {
    let executablePath = BROWSERS[browser], userDataDir;
    if (unprivileged && process.getuid?.() === 0) {
        userDataDir = mkdtempSync(join(unprivileged, 'profile-'));
        chownSync(userDataDir, 65534, 65534);
        executablePath = join(unprivileged, `${browser}-unprivileged`);
        writeFileSync(executablePath, `#!/bin/sh\nexec setpriv --reuid=65534 --regid=65534 --clear-groups env HOME=${userDataDir} ${BROWSERS[browser]} "$@"\n`,
            { mode: 0o755 });
    }
    if (browser === 'firefox') {
        return puppeteer.launch({
            browser: 'firefox', executablePath, userDataDir, headless: true, env,
            extraPrefsFirefox: { 'layout.css.prefers-color-scheme.content-override': scheme === 'dark' ? 0 : 1,
                ...(noWasm ? { 'javascript.options.wasm': false } : {}) },
        });
    }
    // The flags keep Chromium from reaching for the network on its own, which would be counted.
    return puppeteer.launch({
        executablePath, userDataDir, headless: true, env,
        args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking', '--disable-component-update',
            '--disable-sync', '--no-first-run', '--disable-features=Translate,OptimizationHints,MediaRouter',
            ...(noWasm ? ['--js-flags=--jitless'] : [])],
    });
}

// Each case's verdict, a line each, counted; finish() ends the run with the count, failing if any
// case failed.
const results = [];
export function verdict(browser, name, faults) {
    results.push(!faults.length);
    console.log(`${faults.length ? 'FAIL' : 'pass'}: ${browser}: ${name}${faults.length ? ': ' + faults.join('; ') : ''}`);
}
export function finish() {
    const failed = results.filter((passed) => !passed).length;
    console.log(`${results.length - failed} passed, ${failed} failed`);
    process.exit(failed ? 1 : 0);
}

// What the page's status line says.
export const statusOf = (tab) => tab.$eval('#status', (e) => e.textContent);
