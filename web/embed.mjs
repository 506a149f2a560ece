// Makes the web page: vorlund.html with the module embedded, and the page's Content-Security-Policy
// naming, by their hashes, the one script and the one style that it may run.
// Usage: node embed.mjs PAGE MODULE OUTPUT
import { createHash } from 'node:crypto';
import { readFileSync, writeFileSync } from 'node:fs';

const [page, module, output] = process.argv.slice(2);
const hash = (text) => `'sha256-${createHash('sha256').update(text, 'utf8').digest('base64')}'`;
const only = (pattern) => {
    const found = [...html.matchAll(pattern)];
    if (found.length !== 1) throw new Error(`${page}: not one ${pattern}`);
    return found[0][1];
};

let html = readFileSync(page, 'utf8').replace('@MODULE@', readFileSync(module).toString('base64'));
html = html
    .replace('@SCRIPT_HASH@', hash(only(/<script>([^]*?)<\/script>/g)))
    .replace('@STYLE_HASH@', hash(only(/<style>([^]*?)<\/style>/g)));
writeFileSync(output, html);
