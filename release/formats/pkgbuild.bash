# shellcheck shell=bash
# A PKGBUILD for Arch Linux, from release/PKGBUILD.in: it builds from the source tarball of the
# release, as it is checked here, and its signature where the release is signed.
# shellcheck source=release/lib.bash
. "$(dirname "${BASH_SOURCE[0]}")/../lib.bash"

# make_pkgbuild: the PKGBUILD, naming the tarball's sha256 and, signed, the key.
make_pkgbuild() {
    local sum arch toolchain
    sum=$(sha256 "$out/vorlund-$version.tar.xz")
    arch=$(for toolchain in $(targets_with arch); do field targets arch "$toolchain"; done | tr '\n' ' ')
    sed -e "s|@VERSION@|$version|; s|@URL@|$url|; s|@SHA256@|$sum|; s|@MAINTAINER@|$maintainer|; s|@ARCH@|${arch% }|" \
        -e "s|@DESCRIPTION@|$description|; s|@CHECKDEPENDS@|$(field test-tools arch | tr '\n' ' ' | sed 's/ $//')|" "$tables/PKGBUILD.in" |
        if [ -n "$fingerprint" ]; then
            sed -e "s|@SIGNATURE@|{,.asc}|; s|@SIGNATURE_SUM@| 'SKIP'|; s|@VALIDPGPKEYS@|validpgpkeys=('$fingerprint')|"
        else
            sed -e "s|@SIGNATURE@||; s|@SIGNATURE_SUM@||; /@VALIDPGPKEYS@/d"
        fi >"$out/PKGBUILD"
}

# check_pkgbuild: the PKGBUILD is of this version and names this tarball and, signed, this key.
check_pkgbuild() {
    step "PKGBUILD"
    files+=(PKGBUILD)
    grep -qx "pkgver=$version" PKGBUILD || fail "PKGBUILD is not of version $version"
    grep -q "^sha256sums=('$(sha256 "vorlund-$version.tar.xz")'" PKGBUILD || fail "PKGBUILD names another tarball"
    if [ -f SHA256SUMS.asc ]; then
        grep -qx "validpgpkeys=('$(gpg --batch --quiet --with-colons --show-keys vorlund-signing-key.asc 2>/dev/null | fingerprint)')" PKGBUILD ||
            fail "PKGBUILD names another key"
    fi
}
