#!/usr/bin/env bash
# The built tool end to end: for each case, standard output, standard error and the exit status,
# each checked byte for byte. Usage: cli_test.sh PATH_TO_VORLUND
set -u
bin=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"; rm -f /dev/shm/vorlund_test_$$' EXIT
passed=0 failed=0

IO=$'File IO error encountered. Aborting...\n'
SIZE=$'Incorrect filesize. Corrupt image?\n'
USAGE=$'\nUsage:\n\n    vorlund filename\n\n'

verdict() { # NAME OK
    if [ "$2" = yes ]; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAIL: $1"; fi
}

# check NAME STDOUT STDERR COMMAND...: runs COMMAND with no input and compares all it left.
check() {
    local name=$1 out=$2 err=$3 ok=yes
    shift 3
    timeout 10 "$@" >"$work/out" 2>"$work/err" </dev/null
    local status=$?
    cmp -s "$work/out" <(printf '%s' "$out") || { ok=no; echo "-- stdout of '$name':"; od -c "$work/out" | tail -4; }
    cmp -s "$work/err" <(printf '%s' "$err") || { ok=no; echo "-- stderr of '$name':"; cat "$work/err"; }
    [ "$status" -eq 0 ] || { ok=no; echo "-- exit status of '$name': $status"; }
    verdict "$name" "$ok"
}

# image FILE SIZE COPYRIGHT CATALOG NAME: a header from printf formats, the bytes between the fields
# and after them set to 0xff, grown to SIZE bytes.
image() {
    printf "$3\\377\\377\\377$4\\377\\377\\377$5\\377\\377" >"$1"
    [ "$(wc -c <"$1")" -eq 50 ] || verdict "header of $1 is 48 bytes" no
    truncate -s "$2" "$1"
}

# report PATH NAME COPYRIGHT CATALOG MEGABITS: the expected standard output of a report, in REPLY.
report() {
    printf -v REPLY '%s\nFilename      : %s\nInternal Name : %s\nCopyright     : %s\nCatalog No.   : NEOP%s\nImage Size    : %s Megabit\n' \
        "$banner" "$@"
}

"$bin" >"$work/usage"
banner=$(cat "$work/usage"; echo x)
banner=${banner%"$USAGE"x}

# The banner's shape: line widths, the fixed lines, the edges and where the tags stand.
widths=$(printf '%s' "$banner" | awk '{ printf "%d ", length($0) }')
title='|                Vorlund v1.1               |'
empty='|                                           |'
shape=yes
[ "$widths" = "0 40 44 44 44 45 45 45 45 45 45 45 45 45 45 45 " ] || shape=no
[ "$(sed -n 14p <<<"$banner")" = "$title" ] || shape=no
[ "$(sed -n '13p;15p' <<<"$banner")" = "$empty"$'\n'"$empty" ] || shape=no
[ "$(sed -n '7,15s/^|.*|$/box/p' <<<"$banner" | grep -c box)" = 9 ] || shape=no
[[ "$(sed -n 6p <<<"$banner")" == .*. ]] || shape=no
tags="^\`-\[[^]]*\]-+\[[^]]*\]-'\$"
[[ "$(sed -n 16p <<<"$banner")" =~ $tags ]] || shape=no
[[ "$banner" != *%* ]] || shape=no
verdict "banner shape" "$shape"

ln -s "$bin" "$work/other-name"
mkdir -p "$work/dir/sub" && mkfifo "$work/fifo"
image "$work/dir/sub/16.ngp" 2M 'COPYRIGHT ENDS IN BLANKS    ' '\000\131' 'SIXTEEN MBIT'
image "$work/one.ngp" 128K 'TEN BYTES.\000AFTER THE NUL....' '\001\012' 'NO NUL NAME!'
image "$work/high.ngp" 128K 'HIGH CATALOG BYTES..........' '\200\377' 'HIGH BYTES\000\000'
truncate -s 131073 "$work/over.ngp"
truncate -s 192K "$work/half.ngp"
: >"$work/empty.ngp"
truncate -s 256T /dev/shm/vorlund_test_$$
path=$work/dir/../dir/sub/16.ngp

check "no argument" "$banner$USAGE" "" "$bin"
check "two arguments" "$banner$USAGE" "" "$bin" "$work/one.ngp" "$work/one.ngp"
check "started under another name" "$banner$USAGE" "" "$work/other-name"
check "missing path" "" "$IO" "$bin" "$work/missing.ngp"
check "empty argument" "" "$IO" "$bin" ""
check "one byte over a megabit" "" "$SIZE" "$bin" "$work/over.ngp"
check "one and a half megabits" "" "$SIZE" "$bin" "$work/half.ngp"
check "FIFO with no writer" "" "$IO" "$bin" "$work/fifo"
check "report on a full disk" "" "$IO" sh -c '"$0" "$1" >/dev/full' "$bin" "$path"
check "usage on a full disk" "" "$IO" sh -c '"$0" >/dev/full' "$bin"
report "$path" 'SIXTEEN MBIT' 'COPYRIGHT ENDS IN BLANKS    ' 0059 16
check "sixteen megabits" "$REPLY" "" "$bin" "$path"
report "$work/one.ngp" 'NO NUL NAME!' 'TEN BYTES.' 010a 1
check "short texts" "$REPLY" "" "$bin" "$work/one.ngp"
report "$work/high.ngp" 'HIGH BYTES' 'HIGH CATALOG BYTES..........' 80ff 1
check "catalog bytes of 0x80 and up" "$REPLY" "" "$bin" "$work/high.ngp"
report "$work/empty.ngp" '' '' 0000 0
check "empty file" "$REPLY" "" "$bin" "$work/empty.ngp"
report /dev/shm/vorlund_test_$$ '' '' 0000 2147483648
check "256 TiB sparse file" "$REPLY" "" "$bin" /dev/shm/vorlund_test_$$

# Bytes that could drive a terminal: raw into a pipe, shown as '?' on a terminal. The path keeps
# its UTF-8 (0xc3 0xa9) there; the header texts are ASCII only.
hostile=$work/$'\e]0;t\a\xc3\xa9\x7f.ngp'
image "$hostile" 128K '\033[2J\007\177\200\351 COPYRIGHT..........' '\000\000' '\033]0;NAME\007\000\000\000'
report "$hostile" $'\e]0;NAME\a' $'\e[2J\a\x7f\x80\xe9 COPYRIGHT..........' 0000 1
check "raw bytes into a pipe" "$REPLY" "" "$bin" "$hostile"
report "$work/?]0;t?"$'\xc3\xa9'"?.ngp" '?]0;NAME?' '?[2J???? COPYRIGHT..........' 0000 1
check "safe bytes on a terminal" "$REPLY" "" \
    bash -c 'script -qec "$(printf "%q %q" "$0" "$1")" /dev/null | tr -d "\r"' "$bin" "$hostile"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
