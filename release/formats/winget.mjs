// The winget manifests, as release/formats/winget.bash checks them: the three files of a multi-file
// manifest, where winget-pkgs keeps them, each with every field that its schema requires and none
// that it does not know, of this package and version; the installer's address and SHA256 those of
// this release's zip, and the program it names in the zip. Read with Debian's YAML reader
// (node-yaml), which NODE_PATH names.
// Usage: ID=… SCHEMA=… VERSION=… ZIP=… HASH=… ENTRIES=… FILES=… node winget.mjs FOLDER
import { readFileSync } from 'node:fs';
import { createRequire } from 'node:module';

const { parse } = createRequire(import.meta.url)('yaml');
const { ID, SCHEMA, VERSION, ZIP, HASH, ENTRIES, FILES } = process.env;
const faults = [];
const want = (ok, what) => ok || faults.push(what);
const folder = `manifests/${ID[0].toLowerCase()}/${ID.replace('.', '/')}/${VERSION}`;
const names = { version: `${ID}.yaml`, installer: `${ID}.installer.yaml`, defaultLocale: `${ID}.locale.en-US.yaml` };
const name = process.argv[2].split('/').pop();
want(FILES === Object.values(names).map((file) => `./${name}/${folder}/${file}`).sort().join('\n'), `holds ${FILES}`);
// What each schema requires, and what else it allows at the top (only what these manifests may use).
const SCHEMAS = {
    version: { required: ['DefaultLocale'], allowed: [] },
    installer: { required: ['Installers'], allowed: ['InstallerType', 'NestedInstallerType', 'NestedInstallerFiles',
        'MinimumOSVersion', 'ReleaseDate', 'Platform', 'Scope', 'InstallModes', 'UpgradeBehavior', 'Commands', 'FileExtensions'] },
    defaultLocale: { required: ['PackageLocale', 'Publisher', 'PackageName', 'License', 'ShortDescription'],
        allowed: ['PackageUrl', 'PublisherUrl', 'LicenseUrl', 'Copyright', 'Description', 'Moniker', 'Tags', 'ReleaseNotes', 'ReleaseNotesUrl', 'Author'] },
};
const manifests = {};
for (const [type, { required, allowed }] of Object.entries(SCHEMAS)) {
    const text = readFileSync(`${process.argv[2]}/${folder}/${names[type]}`, 'utf8');
    const m = manifests[type] = parse(text);
    const all = ['PackageIdentifier', 'PackageVersion', 'ManifestType', 'ManifestVersion', ...required];
    for (const field of all) want(m[field] !== undefined && m[field] !== '', `${type}: no ${field}`);
    for (const field of Object.keys(m)) want(all.includes(field) || allowed.includes(field), `${type}: ${field} is not a field of it`);
    want(m.PackageIdentifier === ID && m.PackageVersion === VERSION, `${type}: of ${m.PackageIdentifier} ${m.PackageVersion}`);
    want(m.ManifestType === type && m.ManifestVersion === SCHEMA, `${type}: a ${m.ManifestType} manifest of ${m.ManifestVersion}`);
    want(text.startsWith(`# yaml-language-server: $schema=https://aka.ms/winget-manifest.${type}.${SCHEMA}.schema.json\n`), `${type}: names no schema`);
    // eslint-disable-next-line no-control-regex -- an identifier may hold no control character
    want(/^[^.\s\\/:*?"<>|\x01-\x1f]{1,32}(\.[^.\s\\/:*?"<>|\x01-\x1f]{1,32}){1,7}$/.test(m.PackageIdentifier), `${type}: not an identifier`);
}
want(manifests.version.DefaultLocale === manifests.defaultLocale.PackageLocale, 'the default locale has no manifest');
const installer = manifests.installer;
want(installer.InstallerType === 'zip' && installer.NestedInstallerType === 'portable', 'not a portable program in a zip');
const nested = installer.NestedInstallerFiles ?? [];
want(nested.length === 1 && nested[0].PortableCommandAlias === 'vorlund', 'no one program as vorlund');
want(ENTRIES.split('\n').includes(nested[0]?.RelativeFilePath?.replaceAll('\\', '/')), `${ZIP} holds no ${nested[0]?.RelativeFilePath}`);
const [it, ...others] = installer.Installers ?? [];
want(!others.length && it?.Architecture === 'x64', 'not one installer, for x64');
want(/^https:\/\/.+/.test(it?.InstallerUrl ?? '') && it.InstallerUrl.endsWith(`/v${VERSION}/${ZIP}`), `the address ${it?.InstallerUrl} is not of ${ZIP}`);
want(it?.InstallerSha256 === HASH.toUpperCase(), `the SHA256 ${it?.InstallerSha256} is not that of ${ZIP}`);
want(/^\d{4}-\d{2}-\d{2}$/.test(installer.ReleaseDate), 'no day of release');
for (const field of ['PackageName', 'Publisher', 'ShortDescription']) want(manifests.defaultLocale[field].length <= 256, `${field} is too long`);
if (faults.length) {
    console.error(faults.join('\n'));
    process.exit(1);
}
