# shellcheck shell=bash disable=SC2154 # the variables of release/make and release/check, which source it
# The site, vorlund-VERSION-web.tar.xz: one folder, vorlund-VERSION-web, to copy as it is onto any
# static web host, the site/ of the WebAssembly target's build (its page, which is the web page,
# its manifest, service worker and icons).

# make_site: the site's folder, packed, from the build of the WebAssembly target.
make_site() {
    local toolchain name=vorlund-$version-web stage=$work/stage-site
    toolchain=$(targets_with kind wasi)
    mkdir -p "$stage"
    cp -R "$work/$toolchain/site" "$stage/$name"
    chmod 755 "$stage/$name" && chmod 644 "$stage/$name"/*
    pack "$stage" "$out/$name.tar.xz"
}

# check_site: the site holds its page, the manifest, the service worker and the icons that the
# manifest names, nothing else; its page is the web page; the manifest is an app's that Chromium
# installs and that opens .ngp and .ngc files, with icons of the sizes it gives them; the service
# worker's cache is named by this release.
check_site() {
    local name=vorlund-$version-web into=$work/site
    step "$name.tar.xz"
    files+=("$name.tar.xz")
    ! TZ=UTC tar -tv --full-time -f "$name.tar.xz" | grep -v " 0/0 .* $dated " || fail "$name.tar.xz has other owners or dates"
    mkdir "$into" && tar -C "$into" -xf "$name.tar.xz"
    cmp "$into/$name/index.html" "vorlund-$version-web.html" || fail "$name.tar.xz holds another page"
    grep -qF "const CACHE = 'vorlund-$version';" "$into/$name/sw.js" || fail "$name.tar.xz: the service worker's cache is not named by $version"
    node --input-type=module - "$into/$name" "$(tar -tf "$name.tar.xz" | LC_ALL=C sort | tr '\n' ' ')" <<'EOF' || fail "$name.tar.xz: its manifest or its files"
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
EOF
}
