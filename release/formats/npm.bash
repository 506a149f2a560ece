# shellcheck shell=bash
# The npm package, vorlund-VERSION.tgz, as npm pack makes it for the registry, package.json from
# release/npm-package.json.in: the command vorlund, vorlund.mjs, beside the module and its WASI
# host, from the WebAssembly target's archive, and the program of each target that Node.js names
# in release/targets, in a folder of that name, which the command runs where there is one for its
# system; with the manual, the README and the licence. `npx vorlund IMAGE` runs it without
# installing it.
# shellcheck source=release/lib.bash
. "$(dirname "${BASH_SOURCE[0]}")/../lib.bash"

# make_npm: the package, from the builds.
make_npm() {
    local toolchain stage=$work/npm file node
    toolchain=$(targets_with kind wasi)
    mkdir -p "$stage"
    for file in vorlund.mjs wasi.mjs vorlund.wasm vorlund.1; do cp "$work/$toolchain/$file" "$stage/"; done
    cp "$src/README.md" "$src/LICENSE" "$stage/"
    for toolchain in $(targets_with node); do
        node=$(field targets node "$toolchain")
        mkdir "$stage/$node" && cp "$work/$toolchain/$(of "$toolchain" program)" "$stage/$node/"
        chmod 755 "$stage/$node/$(of "$toolchain" program)"
    done
    npm_manifest >"$stage/package.json"
    (cd "$stage" && npm pack --silent --pack-destination "$out" >/dev/null) || fail "npm pack made no package"
    [ -f "$out/vorlund-$version.tgz" ] || fail "npm pack made no vorlund-$version.tgz"
}

# npm_manifest: package.json, from its template.
npm_manifest() {
    sed -e "s|@VERSION@|$version|; s|@DESCRIPTION@|$description|; s|@URL@|$url|g" "$tables/npm-package.json.in"
}

# check_npm: the package holds the command and the very module, WASI host and programs of the
# targets' archives, and package.json as its template makes it; installed into an empty prefix,
# and run by npx from the file, with no registry, it prints the sample's report and nothing on
# standard error; and the CLI suite passes on the command as installed, running this machine's
# own program, and again with the programs taken away, running the module.
check_npm() {
    local package=vorlund-$version.tgz toolchain prefix=$work/npm-prefix into=$work/npm-package wasi listed node program
    wasi=$(targets_with kind wasi)
    step "$package"
    files+=("$package")
    listed="package/LICENSE package/README.md package/package.json package/vorlund.1 package/vorlund.mjs package/vorlund.wasm package/wasi.mjs"
    for toolchain in $(targets_with node); do listed+=" package/$(field targets node "$toolchain")/$(of "$toolchain" program)"; done
    [ "$(tar -tzf "$package" | LC_ALL=C sort | tr '\n' ' ')" = "$(tr ' ' '\n' <<<"$listed" | LC_ALL=C sort | tr '\n' ' ')" ] ||
        fail "$package holds other files"
    mkdir "$into" && tar -C "$into" -xzf "$package"
    for file in vorlund.mjs wasi.mjs vorlund.wasm; do
        cmp "$into/package/$file" "$(dirname "$(program_of "$wasi")")/$file" || fail "$package holds another $file than its archive"
    done
    for toolchain in $(targets_with node); do
        node=$(field targets node "$toolchain")
        program=$into/package/$node/$(of "$toolchain" program)
        cmp "$program" "$(program_of "$toolchain")" || fail "$package holds another program for $node than its archive"
        [ -x "$program" ] || fail "$package: the program for $node may not be run"
    done
    npm_manifest | cmp - "$into/package/package.json" || fail "$package: its package.json is not its template's"
    head -n 1 "$into/package/vorlund.mjs" | grep -qx '#!/usr/bin/env node' || fail "$package: the command starts no node"
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
    # The CLI suite on the installed command, then on a copy without the programs.
    bash "$src/tests/cli/cli_test.sh" "$prefix/bin/vorlund" >"$work/npm-cli.log" 2>&1 ||
        { cat "$work/npm-cli.log" && fail "$package: the CLI suite fails on its command"; }
    tail -n 1 "$work/npm-cli.log"
    mkdir "$work/npm-module" && cp "$prefix"/lib/node_modules/vorlund/*.* "$work/npm-module/"
    bash "$src/tests/cli/cli_test.sh" "$work/npm-module/vorlund.mjs" >"$work/npm-module.log" 2>&1 ||
        { cat "$work/npm-module.log" && fail "$package: the CLI suite fails on its command without the programs"; }
    tail -n 1 "$work/npm-module.log"
}
