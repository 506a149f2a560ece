# shellcheck shell=bash
# The site, vorlund-VERSION-web.tar.xz: one folder, vorlund-VERSION-web, to copy as it is onto any
# static web host, the site/ of the WebAssembly target's build (its page, which is the web page,
# its manifest, service worker and icons).
# shellcheck source=release/lib.bash
. "$(dirname "${BASH_SOURCE[0]}")/../lib.bash"

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
    grep -qF "const RELEASE = '$version';" "$into/$name/sw.js" || fail "$name.tar.xz: the service worker's cache is not named by $version"
    node "$release/formats/site.mjs" "$into/$name" "$(tar -tf "$name.tar.xz" | LC_ALL=C sort | tr '\n' ' ')" || fail "$name.tar.xz: its manifest or its files"
}
