# shellcheck shell=bash disable=SC2154 # the variables of release/make and release/check, which source it
# The winget manifests, vorlund-VERSION-winget.zip: the three files of a multi-file manifest
# (version, installer, default locale) in the folder that the winget-pkgs repository keeps them
# in, manifests/v/Vorlund/Vorlund/VERSION/. They install the Windows target's zip as a portable
# program, vorlund.exe, under the command vorlund.

WINGET_ID=Vorlund.Vorlund
WINGET_SCHEMA=1.9.0

# make_winget: the manifests, naming the zip of this release, packed.
make_winget() {
    local zip name=vorlund-$version-winget stage=$work/stage-winget folder
    zip=$(windows_zip)
    folder=$stage/$name/manifests/$(tr '[:upper:]' '[:lower:]' <<<"${WINGET_ID:0:1}")/${WINGET_ID//.//}/$version
    mkdir -p "$folder"
    ID=$WINGET_ID SCHEMA=$WINGET_SCHEMA VERSION=$version DESCRIPTION=$description HOMEPAGE=$url ZIP=$zip \
        URL=$(download "$zip") HASH=$(sha256 "$out/$zip") PUBLISHER=${maintainer%% <*} \
        DAY=$(date -u -d "@$epoch" +%Y-%m-%d) node --input-type=module - "$folder" <<'EOF'
import { writeFileSync } from 'node:fs';
const { ID, SCHEMA, VERSION, DESCRIPTION, HOMEPAGE, ZIP, URL, HASH, PUBLISHER, DAY } = process.env;
// The manifests' YAML: keys and plain or quoted strings, lists of one level of mappings.
const scalar = (v) => (/^[\w.\-/:]+$/.test(v) && !/^\d/.test(v) ? v : JSON.stringify(v));
const yaml = (type, fields) => `# yaml-language-server: $schema=https://aka.ms/winget-manifest.${type}.${SCHEMA}.schema.json\n\n` +
    Object.entries({ PackageIdentifier: ID, PackageVersion: VERSION, ...fields, ManifestType: type, ManifestVersion: SCHEMA })
        .map(([key, value]) => Array.isArray(value)
            ? `${key}:\n` + value.map((item) => Object.entries(item).map(([k, v], i) => `${i ? '  ' : '- '}${k}: ${scalar(v)}\n`).join('')).join('')
            : `${key}: ${scalar(value)}\n`).join('');
const file = (name, text) => writeFileSync(`${process.argv[2]}/${ID}${name}.yaml`, text);
file('', yaml('version', { DefaultLocale: 'en-US' }));
file('.installer', yaml('installer', {
    InstallerType: 'zip',
    NestedInstallerType: 'portable',
    NestedInstallerFiles: [{ RelativeFilePath: `${ZIP.replace(/\.zip$/, '')}\\vorlund.exe`, PortableCommandAlias: 'vorlund' }],
    MinimumOSVersion: '10.0.0.0',
    ReleaseDate: DAY,
    Installers: [{ Architecture: 'x64', InstallerUrl: URL, InstallerSha256: HASH.toUpperCase() }],
}));
file('.locale.en-US', yaml('defaultLocale', {
    PackageLocale: 'en-US',
    Publisher: PUBLISHER,
    PackageName: 'vorlund',
    PackageUrl: HOMEPAGE,
    License: 'MIT',
    ShortDescription: DESCRIPTION,
    Moniker: 'vorlund',
}));
EOF
    pack "$stage" "$out/$name.zip"
}

# check_winget: the three manifests, where winget-pkgs keeps them, each with every field that its
# schema requires and none that it does not know, of this package and version; the installer's
# address and SHA256 are those of this release's zip, and the program it names is in the zip.
check_winget() {
    local zip name=vorlund-$version-winget into=$work/winget
    zip=$(windows_zip)
    step "$name.zip"
    files+=("$name.zip")
    mkdir "$into" && unzip -q "$name.zip" -d "$into"
    # The YAML reader, as release/package-lock.json pins it, in the check's own folder.
    mkdir "$work/yaml" && cp "$release/package.json" "$release/package-lock.json" "$work/yaml/"
    npm ci --prefix "$work/yaml" --no-audit --no-fund --loglevel=error >/dev/null || fail "npm cannot install the YAML reader"
    NODE_PATH=$work/yaml/node_modules ID=$WINGET_ID SCHEMA=$WINGET_SCHEMA VERSION=$version ZIP=$zip \
        HASH=$(sha256 "$zip") ENTRIES=$(unzip -Z1 "$zip") FILES=$(cd "$into" && find . -type f | LC_ALL=C sort) \
        node - "$into/$name" <<'EOF' || fail "$name.zip is not this release's winget manifests"
const { readFileSync } = require('node:fs');
const { parse } = require('yaml');
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
EOF
}
