# shellcheck shell=bash
# The web page, vorlund-VERSION-web.html: the page of the WebAssembly target's build, which embeds
# its module.
# shellcheck source=release/lib.bash
. "$(dirname "${BASH_SOURCE[0]}")/../lib.bash"

# make_web: the page, from the build of the WebAssembly target.
make_web() {
    cp "$work/$(targets_with kind wasi)/vorlund-web.html" "$out/vorlund-$version-web.html"
}

# check_web: the page embeds the very module of the WebAssembly target's archive, and its policy,
# read directive by directive, lets it run its own script and style alone, connect nowhere, load
# nothing from anywhere else, and names nothing an engine does not know.
check_web() {
    local page=vorlund-$version-web.html policy part directive sources element
    local -A allows
    step "$page"
    files+=("$page")
    sed -n 's|^<script type="application/wasm;base64" id="module">\(.*\)</script>$|\1|p' "$page" | base64 -d |
        cmp - "$(program_of "$(targets_with kind wasi)")" || fail "$page embeds another module than its archive"
    policy=$(sed -n 's|^<meta http-equiv="Content-Security-Policy" content="\([^"]*\)">$|\1|p' "$page")
    IFS=';' read -ra parts <<<"$policy"
    for part in "${parts[@]}"; do
        read -r directive sources <<<"$part"
        allows[$directive]=$sources
    done
    # Each directive allows what its line says (HASH: a script or style named by its hash), and
    # nothing else.
    while read -r directive sources; do
        [[ " ${!allows[*]} " == *" $directive "* ]] || fail "$page: its policy has no $directive"
        for part in ${allows[$directive]}; do
            [[ " $sources " == *" $part "* || ($part == "'sha256-"* && " $sources " == *" HASH "*) ]] ||
                fail "$page: its policy's $directive allows $part"
        done
        unset "allows[$directive]"
    done <<'POLICY'
default-src 'self' 'none'
script-src 'wasm-unsafe-eval' HASH
style-src HASH
worker-src blob: 'self'
img-src 'self' data:
connect-src 'none'
font-src 'none'
media-src 'none'
object-src 'none'
frame-src 'none'
form-action 'none'
base-uri 'none'
POLICY
    [ "${#allows[@]}" = 0 ] || fail "$page: its policy has directives an engine may not know: ${!allows[*]}"
    # Its one script and its one style, named by their hashes.
    for element in script style; do
        [[ "$policy" == *"'sha256-$(perl -MDigest::SHA=sha256_base64 -0ne "print sha256_base64(\$1) if /<$element>(.*?)<\/$element>/s" "$page")='"* ]] ||
            fail "$page: its policy does not name its $element by its hash"
    done
    [ "$(grep -o "'sha256-" <<<"$policy" | wc -l)" = 2 ] || fail "$page: its policy names other scripts or styles"
}
