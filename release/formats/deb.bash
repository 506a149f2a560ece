# shellcheck shell=bash
# The Debian package of each target that has a Debian architecture in release/targets, made by
# cpack from the target's build (cmake/packaging.cmake), with the very program of its archive.
# shellcheck source=release/lib.bash
. "$(dirname "${BASH_SOURCE[0]}")/../lib.bash"

# make_deb: each target's .deb.
make_deb() {
    local toolchain
    for toolchain in $(targets_with deb); do cpack_package "$toolchain" DEB; done
}

# check_deb: each .deb, its files, fields and dates, lintian's verdict, and its program.
check_deb() {
    local toolchain arch deb fields root
    for toolchain in $(targets_with deb); do
        arch=$(field targets deb "$toolchain")
        deb=vorlund_${version}_$arch.deb
        step "$deb"
        files+=("$deb")
        [ "$(dpkg --contents "$deb" | awk '!/\/$/ { print $NF }')" = "./usr/bin/vorlund
./usr/share/doc/vorlund/changelog.gz
./usr/share/doc/vorlund/copyright
./usr/share/lintian/overrides/vorlund
./usr/share/man/man1/vorlund.1.gz" ] || fail "$deb holds other files"
        fields=$(dpkg-deb --field "$deb")
        grep -qx "Architecture: $arch" <<<"$fields" || fail "$deb is not for $arch"
        grep -qx "Version: $version" <<<"$fields" || fail "$deb is not of version $version"
        ! grep -qE '^(Pre-)?Depends:' <<<"$fields" || fail "$deb depends on a package"
        grep -q '^Maintainer: .' <<<"$fields" || fail "$deb names no maintainer"
        grep -q '^Description: .' <<<"$fields" || fail "$deb has no description"
        ! dpkg-deb --fsys-tarfile "$deb" | TZ=UTC tar -tv --full-time | grep -v " $dated " || fail "$deb has entries not dated $dated"
        lintian --pedantic -I -E --fail-on error,warning,info,pedantic,experimental "$deb" 2>/dev/null || fail "lintian has findings on $deb"
        root=$work/deb-$arch && dpkg-deb -x "$deb" "$root"
        cmp "$root/usr/bin/vorlund" "$(program_of "$toolchain")" || fail "$deb holds another program than its archive"
    done
}
