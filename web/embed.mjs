// Makes the web page, one file that works offline: vorlund.html with its style (vorlund.css), its
// script (page.mjs and the modules it imports), the script of its worker (worker.mjs and the
// modules it imports, as text in the page's script) and the module, each put in its place; and the
// page's Content-Security-Policy naming the script and the style by their hashes, the only ones
// it may run.
// Usage: node embed.mjs MODULE OUTPUT
import { createHash } from 'node:crypto';
import { readFileSync, writeFileSync } from 'node:fs';
import { dirname, relative, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';

const [module, output] = process.argv.slice(2);
const here = dirname(fileURLToPath(import.meta.url));
const hash = (text) => `'sha256-${createHash('sha256').update(text, 'utf8').digest('base64')}'`;

// bundle(ENTRY): the module ENTRY and the project's modules it imports, as one classic script.
// Each module becomes a function of its own, run once, in the order they are first imported,
// which takes what it imports from those before it and gives back what it exports. It reads the
// two forms the project writes: `import { NAMES } from './PATH.mjs';` and `export function`
// (or const, let, class) `NAME`; any other import is refused.
function bundle(entry) {
    const names = new Map(); // each module's path: the name its exports go by
    const parts = [];
    const visit = (path) => {
        if (names.has(path)) return names.get(path);
        let text = readFileSync(path, 'utf8').replace(/^import \{([^}]*)\} from '(\.\.?\/[^']+\.mjs)';$/gm,
            (_, imported, from) => `const {${imported.replaceAll(' as ', ': ')}} = ${visit(resolve(dirname(path), from))};`);
        const other = text.match(/^(import|export) (?!(async )?(function|const|let|class) ).*$/m);
        if (other) throw new Error(`${path}: cannot join ${other[0]}`);
        const exported = [...text.matchAll(/^export (?:async )?(?:function\*?|const|let|class) ([\w$]+)/gm)].map((m) => m[1]);
        text = text.replace(/^export /gm, '');
        const name = `module_${names.size}`;
        names.set(path, name);
        parts.push(`// ${relative(here, path)}\nconst ${name} = (() => {\n${text}\nreturn { ${exported.join(', ')} };\n})();\n`);
        return name;
    };
    visit(resolve(here, entry));
    return `'use strict';\n${parts.join('')}`;
}

const worker = bundle('worker.mjs');
const script = `const WORKER = ${JSON.stringify(worker)};\n${bundle('page.mjs')}`;
const style = readFileSync(resolve(here, 'vorlund.css'), 'utf8');
// Nothing inlined may end the element it is in.
for (const [name, text] of Object.entries({ script, style })) {
    if (/<\/(script|style)/i.test(text)) throw new Error(`the ${name} holds the end of an element`);
}
const parts = {
    '@MODULE@': readFileSync(module).toString('base64'), '@SCRIPT@': script, '@STYLE@': style,
    '@SCRIPT_HASH@': hash(script), '@STYLE_HASH@': hash(style),
};
let html = readFileSync(resolve(here, 'vorlund.html'), 'utf8');
for (const [mark, text] of Object.entries(parts)) {
    if (html.split(mark).length !== 2) throw new Error(`vorlund.html: not one ${mark}`);
    html = html.replace(mark, () => text);
}
writeFileSync(output, html);
