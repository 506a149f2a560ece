# shellcheck shell=bash
# The RPM package of each target that has an RPM architecture in release/targets, made by cpack
# from the target's build (cmake/packaging.cmake), with the very program of its archive, and
# signed with the release.
# shellcheck source=release/lib.bash
. "$(dirname "${BASH_SOURCE[0]}")/../lib.bash"

# make_rpm: each target's RPM, signed when the release is.
make_rpm() {
    local toolchain rpm
    for toolchain in $(targets_with rpm); do
        cpack_package "$toolchain" RPM
        rpm=$out/vorlund-$version-1.$(field targets rpm "$toolchain").rpm
        [ -z "$key" ] || GPG_TTY='' rpmsign --addsign --define "__gpg $(command -v gpg)" --define "_gpg_name $key" \
            --define "_gpg_sign_cmd_extra_args --faked-system-time $signed!" "$rpm" >/dev/null 2>&1 ||
            fail "rpmsign could not sign $rpm"
    done
}

# check_rpm: each RPM, its fields, files and marks, its signature, rpmlint's verdict, and its
# program. rpmlint's findings that no package can clear with Debian's rpmlint are known: the static
# program, carried on purpose so that one RPM installs everywhere; a manual page that rpmlint 2.4
# looks for by its section instead of its name; and, unsigned, the missing signature.
check_rpm() {
    local toolchain arch rpm findings known='E: statically-linked-binary /usr/bin/vorlund$|W: no-manual-page-for-binary vorlund$'
    [ -f SHA256SUMS.asc ] || known+='|E: no-signature$'
    # The RPMs are read with a database of their own, which knows the signing key if there is one;
    # rpmlint finds it through rpm's settings.
    rpm --dbpath "$work/rpmdb" --initdb
    printf '%%_dbpath %s\n' "$work/rpmdb" >"$work/.rpmmacros"
    [ ! -f SHA256SUMS.asc ] || rpm --dbpath "$work/rpmdb" --import vorlund-signing-key.asc
    for toolchain in $(targets_with rpm); do
        arch=$(field targets rpm "$toolchain")
        rpm=vorlund-$version-1.$arch.rpm
        step "$rpm"
        files+=("$rpm")
        [ "$(rpmq --qf '%{ARCH} %{VERSION}-%{RELEASE} %{LICENSE}' "$rpm")" = "$arch $version-1 MIT" ] ||
            fail "$rpm is not the MIT-licensed $version-1 for $arch"
        [[ "$(rpmq --qf '%{SUMMARY}' "$rpm")" != *. ]] || fail "the summary of $rpm ends in a dot"
        [[ "$(rpmq --changelog "$rpm" | head -n 1)" == "* "*" - $version-1" ]] || fail "$rpm has no changelog of $version"
        ! rpmq --requires "$rpm" | grep -v '^rpmlib(' || fail "$rpm requires more than rpm itself"
        # Each file with what the package marks it (licence, documentation) and its mode; the build
        # ID's link, which rpmbuild adds, aside.
        [ "$(rpmq --qf '[%{FILENAMES} %{FILEFLAGS:fflags} %{FILEMODES:perms}\n]' "$rpm" | grep -v '/usr/lib/\.build-id')" = \
            "/usr/bin/vorlund  -rwxr-xr-x
/usr/share/doc/vorlund  drwxr-xr-x
/usr/share/doc/vorlund/NEWS d -rw-r--r--
/usr/share/licenses/vorlund  drwxr-xr-x
/usr/share/licenses/vorlund/LICENSE l -rw-r--r--
/usr/share/man/man1/vorlund.1.gz d -rw-r--r--" ] || fail "$rpm holds other files"
        [ "$(rpmq --qf '[%{FILENAMES} %{FILEDIGESTS}\n]' "$rpm" | awk '$1 == "/usr/bin/vorlund" { print $2 }')" = \
            "$(sha256 "$(program_of "$toolchain")")" ] || fail "$rpm holds another program than its archive"
        if [ -f SHA256SUMS.asc ]; then
            rpm --dbpath "$work/rpmdb" -K "$rpm" | grep -q ': digests signatures OK$' || fail "the signature of $rpm does not hold"
        fi
        findings=$(HOME=$work rpmlint -c "$src/release/rpmlint.toml" "$rpm" 2>&1 | grep '^vorlund\.' || true)
        echo "$findings"
        ! grep -vE "$known" <<<"$findings" || fail "rpmlint has findings on $rpm"
    done
}

rpmq() { rpm --dbpath "$work/rpmdb" -qp "$@"; }
