// The site's folder, as release/formats/site.bash checks it: the manifest an app's that Chromium
// installs, that opens .ngp and .ngc files, with icons of the sizes it gives them, and the folder
// holding its page, the manifest, the service worker and those icons, nothing else.
// Usage: node site.mjs FOLDER ENTRIES   (ENTRIES: the archive's entries, sorted, blank-separated)
import { readFileSync } from 'node:fs';
const [folder, entries] = process.argv.slice(2);
const manifest = JSON.parse(readFileSync(`${folder}/manifest.webmanifest`, 'utf8'));
const faults = [];
const want = (ok, what) => ok || faults.push(what);
for (const field of ['name', 'short_name', 'description', 'start_url', 'scope']) want(typeof manifest[field] === 'string' && manifest[field], `no ${field}`);
want(manifest.display === 'standalone', 'not standalone');
const icons = manifest.icons ?? [];
for (const icon of icons) {
    const png = readFileSync(`${folder}/${icon.src}`);
    want(png.toString('latin1', 1, 4) === 'PNG' && `${png.readUInt32BE(16)}x${png.readUInt32BE(20)}` === icon.sizes, `${icon.src} is not a PNG of ${icon.sizes}`);
}
const sized = (size, purpose) => icons.some((icon) => icon.sizes === `${size}x${size}` && icon.purpose === purpose);
want(sized(192, 'any') && sized(512, 'any') && sized(512, 'maskable'), 'no icons of 192 and 512 px and no maskable one');
// Chromium drops a whole file handler for one extension without its leading dot.
const extensions = (manifest.file_handlers ?? []).flatMap((handler) => Object.values(handler.accept ?? {}).flat());
want(extensions.sort().join() === '.ngc,.ngp', `opens ${extensions.join(', ')}, not .ngp and .ngc`);
const name = folder.split('/').pop();
const listed = [`${name}/`, ...['index.html', 'manifest.webmanifest', 'sw.js', ...icons.map((icon) => icon.src)].map((file) => `${name}/${file}`)].sort();
want(entries.trim() === listed.join(' '), `holds ${entries}, not ${listed.join(' ')}`);
if (faults.length) {
    console.error(faults.join('\n'));
    process.exit(1);
}
