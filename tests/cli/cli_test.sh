#!/usr/bin/env bash
# The built tool end to end: for each case, standard output, standard error and the exit status,
# each checked byte for byte. Usage: cli_test.sh PATH_TO_VORLUND
set -u
bin=$(realpath "$1")
work=$(mktemp -d)
huge=/dev/shm/vorlund_test_$$ # tmpfs takes a sparse 256 TiB file; most disks do not
trap 'rm -rf "$work" "$huge"' EXIT
passed=0 failed=0
IO=$'File IO error encountered. Aborting...\n'
SIZE=$'Incorrect filesize. Corrupt image?\n'
USAGE=$'\nUsage:\n\n    vorlund filename\n\n'

verdict() { # NAME FAULTS
    if [ -z "$2" ]; then passed=$((passed + 1)); else failed=$((failed + 1)) && echo "FAIL: $1:$2"; fi
}

# check NAME STDOUT STDERR COMMAND...: runs COMMAND with no input and compares all that it left.
check() {
    local name=$1 out=$2 err=$3 faults=
    shift 3
    timeout 10 "$@" >"$work/out" 2>"$work/err" </dev/null || faults+=" exit status $?"
    cmp -s "$work/out" <(printf '%s' "$out") || faults+=" stdout"
    cmp -s "$work/err" <(printf '%s' "$err") || faults+=" stderr"
    verdict "$name" "$faults"
}

# image FILE SIZE COPYRIGHT CATALOG NAME: fields from printf formats, 0xff in every other byte.
image() {
    printf "$3\\377\\377\\377$4\\377\\377\\377$5\\377\\377" >"$1"
    [ "$(wc -c <"$1")" = 50 ] || verdict "test image $1" " header not 48 bytes"
    truncate -s "$2" "$1"
}

# report PATH NAME COPYRIGHT CATALOG MEGABITS: sets REPLY to the expected standard output.
report() {
    printf -v REPLY '%s\nFilename      : %s\nInternal Name : %s\nCopyright     : %s\nCatalog No.   : NEOP%s\nImage Size    : %s Megabit\n' \
        "$banner" "$@"
}

"$bin" >"$work/usage"
banner=$(cat "$work/usage" && echo x)
banner=${banner%"$USAGE"x}
line() { sed -n "$1p" <<<"$banner"; }
empty="|$(printf '%43s' '')|"
faults=
[ "$(printf '%s' "$banner" | awk '{ printf "%d ", length($0) }')" = "0 40 44 44 44$(printf ' 45%.0s' {6..16}) " ] || faults+=" widths"
[ "$(line 14)" = "|                Vorlund v1.1               |" ] || faults+=" title"
[ "$(line 13)$(line 15)" = "$empty$empty" ] || faults+=" empty lines"
[ "$(grep -c '^|.*|$' <<<"$banner")" = 9 ] || faults+=" box edges"
tags="^\`-\[[^]]*\]-+\[[^]]*\]-'\$" # tags open in column 3 and close in column 43
[[ "$(line 6)" == .*. && "$(line 16)" =~ $tags && "$banner" != *%* ]] || faults+=" edges"
verdict "banner shape" "$faults"

ln -s "$bin" "$work/other-name"
mkdir -p "$work/dir/sub" && mkfifo "$work/fifo" && : >"$work/empty.ngp"
image "$work/dir/sub/16.ngp" 2M 'COPYRIGHT ENDS IN BLANKS    ' '\000\131' 'SIXTEEN MBIT'
image "$work/high.ngp" 128K 'HIGH CATALOG BYTES..........' '\200\377' 'HIGH BYTES\000\000'
truncate -s 131073 "$work/over.ngp" && truncate -s 256T "$huge"
path=$work/dir/../dir/sub/16.ngp

check "no argument" "$banner$USAGE" "" "$bin"
check "two arguments" "$banner$USAGE" "" "$bin" "$work/high.ngp" "$work/high.ngp"
check "started under another name" "$banner$USAGE" "" "$work/other-name"
check "missing path" "" "$IO" "$bin" "$work/missing.ngp"
check "empty argument" "" "$IO" "$bin" ""
check "one byte over a megabit" "" "$SIZE" "$bin" "$work/over.ngp"
check "FIFO with no writer" "" "$IO" "$bin" "$work/fifo"
check "report on a full disk" "" "$IO" sh -c '"$0" "$1" >/dev/full' "$bin" "$path"
check "usage on a full disk" "" "$IO" sh -c '"$0" >/dev/full' "$bin"
report "$path" 'SIXTEEN MBIT' 'COPYRIGHT ENDS IN BLANKS    ' 0059 16
check "sixteen megabits" "$REPLY" "" "$bin" "$path"
report "$work/high.ngp" 'HIGH BYTES' 'HIGH CATALOG BYTES..........' 80ff 1
check "catalog bytes of 0x80 and up" "$REPLY" "" "$bin" "$work/high.ngp"
report "$work/empty.ngp" '' '' 0000 0
check "empty file" "$REPLY" "" "$bin" "$work/empty.ngp"
report "$huge" '' '' 0000 2147483648
check "256 TiB sparse file" "$REPLY" "" "$bin" "$huge"

# Bytes that could drive a terminal: raw into a pipe, shown as '?' on a terminal. There the path
# keeps its UTF-8 (0xc3 0xa9) and the header texts keep printable ASCII only.
hostile=$work/$'\e]0;t\a\xc3\xa9\x7f.ngp'
image "$hostile" 128K '\033[2J\007\177\200\351 COPYRIGHT..........' '\000\000' '\033]0;NAME\007\000\000\000'
report "$hostile" $'\e]0;NAME\a' $'\e[2J\a\x7f\x80\xe9 COPYRIGHT..........' 0000 1
check "raw bytes into a pipe" "$REPLY" "" "$bin" "$hostile"
report "$work/?]0;t?"$'\xc3\xa9'"?.ngp" '?]0;NAME?' '?[2J???? COPYRIGHT..........' 0000 1
# script(1) hands its command to $SHELL, perhaps a plain sh: the path travels in the environment.
check "safe bytes on a terminal" "$REPLY" "" env BIN="$bin" IMAGE="$hostile" \
    bash -c 'script -qec "\"\$BIN\" \"\$IMAGE\"" /dev/null | tr -d "\r"'

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
