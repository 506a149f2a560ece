# shellcheck shell=bash
# What release/make and release/check share, and the formats of release/formats/ with them: the
# tables, the formats in their order, what a release is made of, each recipe of a release once (how
# an archive is packed, how a key is named, what the build knows), and how they fail. Sourced, by
# make and check and again by each format, which keeps what is set.
release=$(realpath "$(dirname "${BASH_SOURCE[0]}")")
# A failure inside $(...) fails the command that uses it, as it does outside: a table that cannot
# be read ends the run instead of giving an empty list to go through.
shopt -s inherit_errexit

# The formats of a release, each a file of release/formats/ with make_FORMAT and check_FORMAT, in
# the order they are made and checked: the archives first, whose programs the packages carry.
# shellcheck disable=SC2034 # read by release/make and release/check
FORMATS=(archive deb rpm pkgbuild web site npm scoop winget)

# What every format reads, which release/make and release/check set: the folder of the tables (the
# release's own source, once unpacked, and its tables); the version, address, maintainer,
# description and time of the release, as its build has them; the scratch folder, and in make the
# release's folder being made and the key that signs it (its fingerprint, and the time it signs
# at), in check the folder being checked; the expected report on the sample image, the time every
# entry is dated by, and the files each check found.
tables=${tables:-$release} src=${src-}
version=${version-} url=${url-} maintainer=${maintainer-} description=${description-} epoch=${epoch-}
work=${work-} out=${out-} key=${key-} fingerprint=${fingerprint-} signed=${signed-} folder=${folder-}
expected=${expected-} dated=${dated-}
files=("${files[@]}")

fail() { echo "${0##*/}: $*" >&2 && exit 1; }
step() { printf '== %s\n' "$*"; }

# field TABLE COLUMN [KEY]: a field of release/TABLE (targets, kinds), as release/field reads it.
field() { "$release/field" "$tables/$1" "${@:2}"; }
# targets_with COLUMN [VALUE]: the targets whose COLUMN is not - (or is VALUE), one a line; none is
# a failure.
targets_with() {
    local all toolchain value found=''
    all=$(field targets toolchain)
    for toolchain in $all; do
        value=$(field targets "$1" "$toolchain")
        if [[ "$value" != - && "${2:-$value}" = "$value" ]]; then echo "$toolchain" && found=yes; fi
    done
    [ -n "$found" ] || fail "no target in release/targets has a $1${2:+ of $2}"
}
# of TOOLCHAIN COLUMN: a field of the target's kind (release/kinds).
of() { field kinds "$2" "$(field targets kind "$1")"; }

# archive_of TOOLCHAIN: the name of the target's archive.
archive_of() { echo "vorlund-$version-$(field targets archive "$1").$(of "$1" format)"; }

# program_of TOOLCHAIN: the target's program as its archive in the release's folder holds it, the
# archive unpacked into the scratch folder the first time.
program_of() {
    local archive into=$work/archive-$1
    archive=$(archive_of "$1")
    if [ ! -d "$into" ]; then
        mkdir "$into"
        case $archive in
        *.zip) unzip -q "$folder/$archive" -d "$into" ;;
        *) tar -C "$into" -xf "$folder/$archive" ;;
        esac
    fi
    echo "$into/${archive%."$(of "$1" format)"}/$(of "$1" program)"
}

# apt_update: apt-get update, as root. An index that cannot be fetched (a mirror caught in a sync)
# fails it; it is tried again, then taken as a warning: a package that the index alone would have
# given fails its install, which says so.
apt_update() {
    local try
    for try in 1 2 3; do
        apt-get update -q && return
        if [ "$try" = 3 ]; then echo "${0##*/}: an index could not be fetched; going on without it" >&2; else sleep 10; fi
    done
}

# sha256 FILE: the file's SHA-256, in hex.
sha256() { sha256sum <"$1" | cut -d' ' -f1; }

# download FILE: where FILE of this release is downloaded from, under the project's address, as
# the PKGBUILD names its tarball.
download() { echo "$url/releases/download/v$version/$1"; }

# windows_zip: the name of the Windows target's zip.
windows_zip() { archive_of "$(targets_with kind windows)"; }

# cached BUILD_DIR NAME: a value from a build's cache.
cached() { sed -n "s/^$2:[A-Z]*=//p" "$1/CMakeCache.txt"; }

# project_of SOURCE: what the project in SOURCE says of itself, as its build's cache has it: sets
# version, url, maintainer, description and epoch.
project_of() {
    cmake -S "$1" -B "$work/project.build" -DBUILD_TESTING=OFF >"$work/project.log" 2>&1 ||
        { tail -n 20 "$work/project.log" && fail "$1 does not configure"; }
    version=$(cached "$work/project.build" CMAKE_PROJECT_VERSION)
    url=$(cached "$work/project.build" CMAKE_PROJECT_HOMEPAGE_URL)
    maintainer=$(cached "$work/project.build" VORLUND_MAINTAINER)
    description=$(cached "$work/project.build" CMAKE_PROJECT_DESCRIPTION)
    epoch=$(cached "$work/project.build" VORLUND_SOURCE_DATE_EPOCH)
    [[ "$version" =~ ^[0-9.]+$ && "$epoch" =~ ^[0-9]+$ && -n "$url" && -n "$maintainer" && -n "$description" ]] ||
        fail "the build's cache has no version, address, maintainer, description or time"
}

# fingerprint: the first fingerprint in gpg's --with-colons listing on standard input.
fingerprint() { awk -F: '/^fpr:/ { print $10; exit }'; }

# dated FILE...: each FILE dated by the source, as every file of a release is.
dated() { touch -d "@$epoch" "$@"; }

# pack FOLDER ARCHIVE: the folder, which holds only FOLDER/NAME, packed as ARCHIVE (NAME.tar.xz or
# NAME.zip), entries sorted, owned by 0, writable by their owner alone and dated by the source.
pack() {
    local name=${2##*/}
    name=${name%.tar.xz}
    name=${name%.zip}
    find "$1/$name" -exec touch -d "@$epoch" {} +
    case $2 in
    *.tar.xz)
        tar -C "$1" --sort=name --owner=0 --group=0 --numeric-owner --mode=u+rwX,go+rX,go-w \
            --mtime="@$epoch" --format=gnu -cf - "$name" | xz -9 -T1 >"$2"
        ;;
    # zip keeps local times, which UTC makes the same everywhere; -X leaves out owners.
    *.zip) (cd "$1" && find "$name" | sort | TZ=UTC zip -X -9 -q "$2" -@) ;;
    *) fail "pack: no format for $2" ;;
    esac
}

# cpack_package TOOLCHAIN GENERATOR: the target's build packed by cpack as GENERATOR (DEB, RPM),
# into the release's folder.
cpack_package() {
    (cd "$work/$1" && cpack -G "$2" >"$work/$1.$2.log" 2>&1) || { tail -n 20 "$work/$1.$2.log" && fail "no $2 for $1"; }
    cp "$work/$1"/*."$(tr '[:upper:]' '[:lower:]' <<<"$2")" "$out/"
}
