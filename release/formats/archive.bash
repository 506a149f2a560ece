# shellcheck shell=bash
# The archive of each target, vorlund-VERSION-ARCHIVE: its program and what release/kinds says the
# archive of its kind holds, in one top folder, packed as that kind is packed.
# shellcheck source=release/lib.bash
. "$(dirname "${BASH_SOURCE[0]}")/../lib.bash"

# make_archive: each target's archive, from its build and the source.
make_archive() {
    local toolchain name stage=$work/stage file program
    for toolchain in $(field targets toolchain); do
        name=vorlund-$version-$(field targets archive "$toolchain")
        program=$(of "$toolchain" program)
        mkdir -p "$stage/$name"
        cp "$work/$toolchain/$program" "$stage/$name/"
        for file in $(of "$toolchain" holds); do
            if [ -f "$work/$toolchain/$file" ]; then cp "$work/$toolchain/$file" "$stage/$name/"; else cp "$src/$file" "$stage/$name/"; fi
        done
        chmod 755 "$stage/$name" "$stage/$name/$program"
        find "$stage/$name" -type f ! -name "$program" -exec chmod 644 {} +
        pack "$stage" "$out/$(archive_of "$toolchain")"
    done
}

# check_archive: each target's archive, entry by entry, and its program, run on the sample image
# under what runs the target's programs here, printing the expected report; a Linux program a
# hardened static PIE, stripped, of no more than its kind's size.
check_archive() {
    local toolchain archive name program entries seconds holds command=() largest size doc
    for toolchain in $(field targets toolchain); do
        archive=$(archive_of "$toolchain")
        name=${archive%."$(of "$toolchain" format)"}
        step "$archive"
        files+=("$archive")
        case $archive in
        *.zip)
            entries=$(unzip -Z1 "$archive")
            # A zip keeps times in steps of two seconds, and zip rounds an odd one up.
            seconds=$(date -u -d "$dated" +%s)
            ! TZ=UTC unzip -Z -T "$archive" | awk '/^[-d]/ { print $7 }' |
                grep -v "^$(date -u -d "@$((seconds + seconds % 2))" +%Y%m%d.%H%M%S)$" || fail "$archive has entries of other dates"
            ;;
        *)
            entries=$(tar -tf "$archive")
            ! TZ=UTC tar -tv --full-time -f "$archive" | grep -v " 0/0 .* $dated " || fail "$archive has other owners or dates"
            ;;
        esac
        read -ra holds <<<"$(of "$toolchain" program) $(of "$toolchain" holds)"
        [ "$entries" = "$(printf '%s\n' "$name/" "${holds[@]/#/$name/}" | sort)" ] || fail "$archive holds other files"
        program=$(program_of "$toolchain")
        cmp "${program%/*}/sample.ngp" "$work/build/sample.ngp" || fail "$archive holds another sample"
        for doc in LICENSE NEWS README.md; do cmp "${program%/*}/$doc" "$src/$doc" || fail "$archive holds another $doc"; done

        # As a user starts it: the module through the runner beside it.
        read -ra command <<<"$(field targets runs_with "$toolchain")"
        [ "${command[*]}" != - ] || command=()
        (cd "$work" && "${command[@]}" "${program%/*}/$(of "$toolchain" runs)" build/sample.ngp) | cmp - "$expected" ||
            fail "${program##*/} in $archive prints another report"
        if [ "$(field targets kind "$toolchain")" = linux ]; then
            "$release/hardened" "$program" PIE RELRO BIND_NOW STACK STATIC STRIPPED >/dev/null || fail "${program##*/} in $archive is not hardened"
        fi
        size=$(stat -c %s "$program")
        largest=$(of "$toolchain" largest)
        [[ "$largest" = - || "$size" -le "$largest" ]] || fail "$program is over $largest bytes: $size"
        echo "$name/${program##*/}: $size bytes, prints the sample's report"
    done
}
