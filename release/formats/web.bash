# shellcheck shell=bash disable=SC2154 # the variables of release/make and release/check, which source it
# The web page, vorlund-VERSION-web.html: the page of the WebAssembly target's build, which embeds
# its module.

# make_web: the page, from the build of the WebAssembly target.
make_web() {
    local toolchain
    toolchain=$(targets_with kind wasi)
    cp "$work/$toolchain/vorlund-web.html" "$out/vorlund-$version-web.html"
}

# check_web: the page embeds the very module of the WebAssembly target's archive, and may connect
# nowhere.
check_web() {
    local toolchain page=vorlund-$version-web.html
    toolchain=$(targets_with kind wasi)
    step "$page"
    files+=("$page")
    sed -n 's|^<script type="application/wasm;base64" id="module">\(.*\)</script>$|\1|p' "$page" | base64 -d |
        cmp - "${program[$toolchain]}" || fail "$page embeds another module than its archive"
    grep -q "connect-src 'none'" "$page" || fail "$page may connect"
}
