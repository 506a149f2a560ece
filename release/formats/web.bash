# shellcheck shell=bash
# The web page, vorlund-VERSION-web.html: the page of the WebAssembly target's build, which embeds
# its module.
# shellcheck source=release/lib.bash
. "$(dirname "${BASH_SOURCE[0]}")/../lib.bash"

# make_web: the page, from the build of the WebAssembly target.
make_web() {
    cp "$work/$(targets_with kind wasi)/vorlund-web.html" "$out/vorlund-$version-web.html"
}

# check_web: the page embeds the very module of the WebAssembly target's archive, and its policy is
# exactly this one: it runs its own script and style alone, named by their hashes, and the module
# it compiles, makes its worker from its own script, connects to nothing but the chosen files'
# blob: URLs, loads nothing from anywhere else, and names no directive an engine does not know.
check_web() {
    local page=vorlund-$version-web.html element
    local -A hash
    step "$page"
    files+=("$page")
    sed -n 's|^<script type="application/wasm;base64" id="module">\(.*\)</script>$|\1|p' "$page" | base64 -d |
        cmp - "$(program_of "$(targets_with kind wasi)")" || fail "$page embeds another module than its archive"
    for element in script style; do
        hash[$element]=$(perl -MDigest::SHA=sha256_base64 -0ne "print sha256_base64(\$1) if /<$element>(.*?)<\/$element>/s" "$page")
    done
    grep -qxF "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'self'; script-src 'sha256-${hash[script]}=' \
'wasm-unsafe-eval'; style-src 'sha256-${hash[style]}='; worker-src blob: 'self'; img-src 'self' data:; connect-src blob:; \
font-src 'none'; media-src 'none'; object-src 'none'; frame-src 'none'; form-action 'none'; base-uri 'none'\">" "$page" ||
        fail "$page: its policy is not this one"
}
