// The Scoop manifest, as release/formats/scoop.bash checks it: each field that Scoop's
// documentation and schema name, and only those; the version; the address, hash, folder and
// program of the Windows zip of this release; and how Scoop finds and takes the next release.
// Usage: ZIP=NAME VERSION=VERSION HASH=SHA256 ENTRIES=LIST node scoop.mjs MANIFEST
import { readFileSync } from 'node:fs';
const { ZIP, VERSION, HASH, ENTRIES } = process.env;
const json = JSON.parse(readFileSync(process.argv[2], 'utf8'));
const faults = [];
const want = (ok, what) => ok || faults.push(what);
// The fields of a manifest, as Scoop's documentation and schema name them.
const KNOWN = ['##', '_comment', 'architecture', 'autoupdate', 'bin', 'checkver', 'cookie', 'depends', 'description',
    'env_add_path', 'env_set', 'extract_dir', 'extract_to', 'hash', 'homepage', 'innosetup', 'installer', 'license',
    'msi', 'notes', 'persist', 'post_install', 'post_uninstall', 'pre_install', 'pre_uninstall', 'psmodule',
    'shortcuts', 'suggest', 'uninstaller', 'url', 'version'];
for (const field of Object.keys(json)) want(KNOWN.includes(field), `${field}: not a field of a Scoop manifest`);
for (const field of ['version', 'description', 'homepage', 'license', 'architecture', 'bin', 'checkver', 'autoupdate'])
    want(json[field] !== undefined, `no ${field}`);
const uri = (s) => typeof s === 'string' && /^https?:\/\/[^\s]+$/.test(s);
want(json.version === VERSION && /^[\w\-.+]+$/.test(json.version), `version ${json.version}`);
want(uri(json.homepage), 'homepage is not an address');
want(json.license === 'MIT', 'licence is not MIT');
const arch = json.architecture ?? {};
want(Object.keys(arch).join() === '64bit', 'not for 64-bit Windows alone');
const it = arch['64bit'] ?? {};
for (const field of Object.keys(it)) want(['url', 'hash', 'extract_dir', 'bin'].includes(field), `64bit.${field}: not a field there`);
const folder = ZIP.replace(/\.zip$/, '');
want(uri(it.url) && !it.url.includes('$') && it.url.endsWith(`/v${VERSION}/${ZIP}`), `the address ${it.url} is not of ${ZIP}`);
want(it.hash === HASH, `the hash ${it.hash} is not that of ${ZIP}`);
want(it.extract_dir === folder, `extract_dir ${it.extract_dir} is not the zip's folder`);
want(ENTRIES.split('\n').includes(`${it.extract_dir}/${json.bin}`), `${ZIP} holds no ${it.extract_dir}/${json.bin}`);
want(uri(json.checkver?.url) && typeof json.checkver?.regex === 'string' && new RegExp(json.checkver.regex).test(`vorlund-${VERSION}.tar.xz`),
    'checkver finds no version');
const next = json.autoupdate?.architecture?.['64bit'] ?? {};
want(next.url === it.url.replaceAll(VERSION, '$version') && next.extract_dir === folder.replaceAll(VERSION, '$version'),
    'autoupdate does not name the next release by $version');
want(json.autoupdate?.hash?.url === '$baseurl/SHA256SUMS', 'autoupdate takes no hash from SHA256SUMS');
if (faults.length) {
    console.error(faults.join('\n'));
    process.exit(1);
}
