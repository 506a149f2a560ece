# shellcheck shell=bash disable=SC2154 # the variables of release/make and release/check, which source it
# The npm package, vorlund-VERSION.tgz, as npm pack makes it for the registry: the runner as the
# command vorlund, beside the module, from the WebAssembly target's archive, with the manual, the
# README and the licence. `npx vorlund IMAGE` runs it without installing it.

# make_npm: the package, from the WebAssembly target's build.
make_npm() {
    local toolchain stage=$work/npm file
    toolchain=$(targets_with kind wasi)
    mkdir -p "$stage"
    for file in vorlund.mjs wasi.mjs vorlund.wasm vorlund.1; do cp "$work/$toolchain/$file" "$stage/"; done
    cp "$src/README.md" "$src/LICENSE" "$stage/"
    VERSION=$version DESCRIPTION=$description URL=$url node --input-type=module - "$stage/package.json" <<'EOF'
import { writeFileSync } from 'node:fs';
const { VERSION, DESCRIPTION, URL } = process.env;
writeFileSync(process.argv[2], JSON.stringify({
    name: 'vorlund',
    version: VERSION,
    description: DESCRIPTION,
    keywords: ['neo-geo-pocket', 'ngp', 'rom', 'cartridge', 'cli'],
    homepage: URL,
    repository: { type: 'git', url: `git+${URL}.git` },
    license: 'MIT',
    bin: { vorlund: 'vorlund.mjs' },
    man: ['vorlund.1'],
    files: ['vorlund.mjs', 'wasi.mjs', 'vorlund.wasm', 'vorlund.1'],
    engines: { node: '>=18' },
}, null, 2) + '\n');
EOF
    (cd "$stage" && npm pack --silent --pack-destination "$out" >/dev/null) || fail "npm pack made no package"
    [ -f "$out/vorlund-$version.tgz" ] || fail "npm pack made no vorlund-$version.tgz"
}

# check_npm: the package holds the runner and the very module of the WebAssembly target's archive,
# and what npm needs to run it; installed into an empty prefix, and run by npx from the file,
# with no registry, it prints the sample's report and nothing on standard error.
check_npm() {
    local package=vorlund-$version.tgz toolchain prefix=$work/npm-prefix into=$work/npm-package
    toolchain=$(targets_with kind wasi)
    step "$package"
    files+=("$package")
    [ "$(tar -tzf "$package" | LC_ALL=C sort | tr '\n' ' ')" = \
        "package/LICENSE package/README.md package/package.json package/vorlund.1 package/vorlund.mjs package/vorlund.wasm package/wasi.mjs " ] ||
        fail "$package holds other files"
    mkdir "$into" && tar -C "$into" -xzf "$package"
    cmp "$into/package/vorlund.wasm" "${program[$toolchain]}" || fail "$package holds another module than its archive"
    cmp "$into/package/vorlund.mjs" "${program[$toolchain]%/*}/vorlund.mjs" || fail "$package holds another runner than its archive"
    cmp "$into/package/wasi.mjs" "${program[$toolchain]%/*}/wasi.mjs" || fail "$package holds another WASI host than its archive"
    head -n 1 "$into/package/vorlund.mjs" | grep -qx '#!/usr/bin/env node' || fail "$package: the runner starts no node"
    VERSION=$version node --input-type=module - "$into/package/package.json" <<'EOF' || fail "$package: its package.json"
import { readFileSync } from 'node:fs';
const json = JSON.parse(readFileSync(process.argv[2], 'utf8'));
const faults = [];
if (json.name !== 'vorlund' || json.version !== process.env.VERSION) faults.push(`is ${json.name} ${json.version}`);
if (json.bin?.vorlund !== 'vorlund.mjs') faults.push('runs no vorlund.mjs as vorlund');
if (json.engines?.node !== '>=18') faults.push('names no Node.js 18 or later');
if (json.license !== 'MIT' || !json.repository?.url || !json.homepage) faults.push('has no licence, repository or homepage');
if (faults.length) {
    console.error(faults.join('\n'));
    process.exit(1);
}
EOF
    # npm of its own, here: its cache, no registry, no config of the machine's.
    local npm_env=(env npm_config_cache="$work/npm-cache" npm_config_offline=true npm_config_update_notifier=false
        npm_config_fund=false npm_config_audit=false npm_config_userconfig=/dev/null)
    "${npm_env[@]}" npm install --global --prefix "$prefix" --loglevel=error "./$package" >"$work/npm-install.log" 2>&1 ||
        { cat "$work/npm-install.log" && fail "$package does not install"; }
    (cd "$work" && "$prefix/bin/vorlund" build/sample.ngp >npm.out 2>npm.err) || fail "$package: the installed vorlund failed"
    cmp "$work/npm.out" "$expected" || fail "$package: the installed vorlund prints another report"
    [ ! -s "$work/npm.err" ] || { cat "$work/npm.err" && fail "$package: the installed vorlund writes on standard error"; }
    (cd "$work" && "${npm_env[@]}" npx --yes --package="$folder/$package" vorlund build/sample.ngp >npx.out 2>npx.err) ||
        { cat "$work/npx.err" && fail "$package: npx failed"; }
    cmp "$work/npx.out" "$expected" || fail "$package: npx prints another report"
    [ ! -s "$work/npx.err" ] || { cat "$work/npx.err" && fail "$package: npx writes on standard error"; }
}
