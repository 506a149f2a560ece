# shellcheck shell=bash disable=SC2154 # the variables of release/make and release/check, which source it
# The archive of each target, vorlund-VERSION-ARCHIVE: its program and what release/kinds says the
# archive of its kind holds, in one top folder, packed as that kind is packed.

# make_archive: each target's archive, from its build and the source.
make_archive() {
    local toolchain name stage=$work/stage file program
    for toolchain in $toolchains; do
        name=vorlund-$version-$(field targets archive "$toolchain")
        program=$(of "$toolchain" program)
        mkdir -p "$stage/$name"
        cp "$work/$toolchain/$program" "$stage/$name/"
        for file in $(of "$toolchain" holds); do
            if [ -f "$work/$toolchain/$file" ]; then cp "$work/$toolchain/$file" "$stage/$name/"; else cp "$src/$file" "$stage/$name/"; fi
        done
        chmod 755 "$stage/$name" "$stage/$name/$program"
        find "$stage/$name" -type f ! -name "$program" -exec chmod 644 {} +
        pack "$stage" "$out/$name.$(of "$toolchain" format)"
    done
}

# check_archive: each target's archive, entry by entry, and its program, run on the sample image
# under what runs the target's programs here, printing the expected report; a Linux program a
# hardened static PIE of no more than its kind's size. Sets program[TOOLCHAIN] to the program,
# extracted, for the packages' checks.
check_archive() {
    local toolchain name archive into entries seconds holds command=() largest size doc
    for toolchain in $toolchains; do
        step "$toolchain"
        name=vorlund-$version-$(field targets archive "$toolchain")
        archive=$name.$(of "$toolchain" format)
        into=$work/archive-$toolchain
        files+=("$archive")
        case $archive in
        *.zip)
            entries=$(unzip -Z1 "$archive")
            # A zip keeps times in steps of two seconds, and zip rounds an odd one up.
            seconds=$(date -u -d "$dated" +%s)
            ! TZ=UTC unzip -Z -T "$archive" | awk '/^[-d]/ { print $7 }' |
                grep -v "^$(date -u -d "@$((seconds + seconds % 2))" +%Y%m%d.%H%M%S)$" || fail "$archive has entries of other dates"
            mkdir "$into" && unzip -q "$archive" -d "$into"
            ;;
        *)
            entries=$(tar -tf "$archive")
            ! TZ=UTC tar -tv --full-time -f "$archive" | grep -v " 0/0 .* $dated " || fail "$archive has other owners or dates"
            mkdir "$into" && tar -C "$into" -xf "$archive"
            ;;
        esac
        read -ra holds <<<"$(of "$toolchain" program) $(of "$toolchain" holds)"
        [ "$entries" = "$(printf '%s\n' "$name/" "${holds[@]/#/$name/}" | sort)" ] || fail "$archive holds other files"
        cmp "$into/$name/sample.ngp" "$work/build/sample.ngp" || fail "$archive holds another sample"
        for doc in LICENSE NEWS README.md; do cmp "$into/$name/$doc" "$src/$doc" || fail "$archive holds another $doc"; done
        program["$toolchain"]=$into/$name/$(of "$toolchain" program)
        ! grep -q '/tmp/' "${program[$toolchain]}" || fail "${program[$toolchain]##*/} in $archive holds the path it was built in"

        # As a user starts it: the module through the runner beside it.
        read -ra command <<<"$(field targets runs_with "$toolchain")"
        [ "${command[*]}" != - ] || command=()
        (cd "$work" && "${command[@]}" "$into/$name/$(of "$toolchain" runs)" build/sample.ngp) | cmp - "$expected" ||
            fail "${program[$toolchain]##*/} in $archive prints another report"
        [ "$(field targets kind "$toolchain")" != linux ] || static_pie "${program[$toolchain]}"
        size=$(stat -c %s "${program[$toolchain]}")
        largest=$(of "$toolchain" largest)
        [[ "$largest" = - || "$size" -le "$largest" ]] || fail "${program[$toolchain]} is over $largest bytes: $size"
        echo "$name/${program[$toolchain]##*/}: $size bytes, prints the sample's report"
    done
}

# static_pie PROGRAM: a static PIE, stripped, with RELRO, immediate binding and a stack protector.
static_pie() {
    local headers
    headers=$(readelf -lW "$1")
    grep -q 'DYN (Position-Independent Executable file)' <<<"$headers" || fail "$1 is not a PIE"
    ! grep -q 'INTERP' <<<"$headers" || fail "$1 asks for a loader"
    grep -q 'GNU_RELRO' <<<"$headers" || fail "$1 has no RELRO"
    ! readelf -dW "$1" | grep -q NEEDED || fail "$1 needs a shared library"
    readelf -dW "$1" | grep -q 'FLAGS.*BIND_NOW' || fail "$1 is not bound at start-up"
    [[ "$(readelf -W --dyn-syms "$1")" == *" __stack_chk_fail"* ]] || fail "$1 has no stack protector"
    [[ "$(file -b "$1")" == *", stripped"* ]] || fail "$1 is not stripped"
}
