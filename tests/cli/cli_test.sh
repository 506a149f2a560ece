#!/usr/bin/env bash
# The built tool end to end: usage, reports, the two messages, special files and terminal safety.
# Usage: cli_test.sh PATH_TO_VORLUND
# shellcheck disable=SC2016 # sh -c scripts are single-quoted: their words come as $0, $1, ...
# shellcheck source-path=SCRIPTDIR source=lib.sh
. "$(dirname "$0")/lib.sh"

line() { sed -n "$1p" <<<"$banner"; }
empty="|$(printf '%43s' '')|"
faults=
[ "$(printf '%s' "$banner" | awk '{ printf "%d ", length($0) }')" = "0 40 44 44 44$(printf ' 45%.0s' {6..16}) " ] || faults+=" widths"
# The title is the tool's own fixed text, whatever the release: scripts compare the banner too.
[[ "$(line 14)" == "|"*" Vorlund v1.1 "*"|" ]] || faults+=" title" # the golden file pins the rest
[ "$(line 13)$(line 15)" = "$empty$empty" ] || faults+=" empty lines"
[ "$(grep -c '^|.*|$' <<<"$banner")" = 9 ] || faults+=" box edges"
tags="^\`-\[[^]]*\]-+\[[^]]*\]-'\$" # tags open in column 3 and close in column 43
[[ "$(line 6)" == .*. && "$(line 16)" =~ $tags && "$banner" != *%* ]] || faults+=" edges"
verdict "banner shape" "$faults"

ln -s "$bin" "$work/other-name"
mkdir -p "$work/dir/sub" && mkfifo "$work/fifo" && : >"$work/empty.ngp"
image "$work/dir/sub/16.ngp" 2M 'COPYRIGHT ENDS IN BLANKS    ' '\000\131' 'SIXTEEN MBIT'
# CR LF and 0x1A, which a text-mode read would shorten and end at, come through as they are.
image "$work/high.ngp" 128K 'HIGH CATALOG\032BYTES\r\n........' '\200\377' 'HIGH\r\nBYTES\000'
truncate -s 131073 "$work/over.ngp"
path=$work/dir/../dir/sub/16.ngp
# Tests run as root, who reads any file: the unreadable one is tried by an unprivileged user.
as_nobody=()
[ "$(id -u)" != 0 ] || as_nobody=(setpriv --reuid=65534 --regid=65534 --clear-groups)
public=$work/public
mkdir -m 755 "$public" && chmod 711 "$work" && place "$public"
image "$public/unreadable.ngp" 128K 'NOBODY MAY READ THIS........' '\000\000' 'UNREADABLE..' &&
    chmod 000 "$public/unreadable.ngp"

mkdir "$work/build" && sh "$tests/../../samples/make-sample" "$work/build/sample.ngp"

check "no argument" "$usage_out" "" "$bin"
check "two arguments" "$usage_out" "" "$bin" "$work/high.ngp" "$work/high.ngp"
check "started under another name" "$usage_out" "" "$work/other-name"
check "missing path" "" "$IO" "$bin" "$work/missing.ngp"
check "empty argument" "" "$IO" "$bin" ""
check "one byte over a megabit" "" "$SIZE" "$bin" "$work/over.ngp"
check_posix "FIFO with no writer" "" "$IO" "$bin" "$work/fifo"
check_posix "report on a full disk" "" "$IO" sh -c '"$0" "$1" >/dev/full' "$bin" "$path"
check_posix "usage on a full disk" "" "$IO" sh -c '"$0" >/dev/full' "$bin"
# A signal ends a run with its own status, as it ends any filter; the shell's $? goes to stderr,
# its own note of the signal to /dev/null. The FIFO, opened for writing while this shell reads it,
# then keeps no reader.
check_unix "reader of the pipe gone" "" "$(($(kill -l PIPE) + 128))"$'\n' \
    sh -c 'exec 3<>"$2" 4>"$2" 3<&-; "$0" "$1" >&4; echo $? >&2' "$bin" "$path" "$work/fifo"
# As the manual shows it: the reader gone while the writer still sleeps.
check_unix "the manual's SIGPIPE example" "" "$(($(kill -l PIPE) + 128))"$'\n' \
    bash -c '{ sleep 1; "$0" "$1"; } | true; echo "${PIPESTATUS[0]}" >&2' "$bin" "$path"
check_unix "past the file size limit" "" "$(($(kill -l XFSZ) + 128))"$'\n' sh -c 'exec 3>&2 2>/dev/null
    (ulimit -c 0 && ulimit -f 0 && exec "$0" "$1" >"$2" 2>&3); echo $? >&3' "$bin" "$path" "$work/limited"
check_posix "a pipe as /dev/stdin" "" "$IO" sh -c 'printf x | "$0" /dev/stdin' "$bin"
check_posix "FIFO with a writer" "" "$IO" sh -c 'exec 3<>"$1" && "$0" "$1"' "$bin" "$work/fifo"
check "directory on disk" "" "$EITHER_MESSAGE" "$bin" "$work/dir"
check_posix "directory on tmpfs" "" "$EITHER_MESSAGE" "$bin" /dev/shm
check_posix "directory in /proc" "" "$EITHER_MESSAGE" "$bin" /proc/self
check_posix "unreadable file" "" "$IO" "${as_nobody[@]}" "$public/vorlund" "$public/unreadable.ngp"
# A working directory that may be passed through but not read: a name in it opens all the same.
mkdir -m 755 "$public/blind" && cp "$path" "$public/blind/x.ngp" && chmod 111 "$public/blind"
report x.ngp 'SIXTEEN MBIT' 'COPYRIGHT ENDS IN BLANKS    ' 0059 16
check_posix "working directory not readable" "$REPLY" "" "${as_nobody[@]}" sh -c 'cd "$1" && exec "$0" x.ngp' \
    "$public/vorlund" "$public/blind"
report "$work/empty.ngp" '' '' 0000 0 # size 0: a whole number of megabits
check "empty file" "$REPLY" "" "$bin" "$work/empty.ngp"
for file in /dev/null /dev/zero; do
    report "$file" '' '' 0000 0
    check_posix "empty: $file" "$REPLY" "" "$bin" "$file"
done
slurp "$tests/expected/sample.out"
check "the sample image" "$REPLY" "" sh -c 'cd "$1" && exec "$0" build/sample.ngp' "$bin" "$work"
report "$path" 'SIXTEEN MBIT' 'COPYRIGHT ENDS IN BLANKS    ' 0059 16
check "sixteen megabits" "$REPLY" "" "$bin" "$path"
# Past the 260 characters that Windows opens for a program that does not declare itself
# long-path aware.
long=$work/$(printf 'l%.0s' {1..130})/$(printf 'o%.0s' {1..130})/16.ngp
mkdir -p "${long%/*}" && cp "$path" "$long"
report "$long" 'SIXTEEN MBIT' 'COPYRIGHT ENDS IN BLANKS    ' 0059 16
check "a path over 260 characters" "$REPLY" "" "$bin" "$long"
report "$path" 'SIXTEEN MBIT' 'COPYRIGHT ENDS IN BLANKS    ' 0059 16
# The image then opens as descriptor 0, which is no failure.
check "standard input closed" "$REPLY" "" sh -c 'exec "$0" "$1" <&-' "$bin" "$path"
report "$work/high.ngp" $'HIGH\r\nBYTES' $'HIGH CATALOG\x1aBYTES\r\n........' 80ff 1
check "catalog bytes of 0x80 and up" "$REPLY" "" "$bin" "$work/high.ngp"
# A name that no single code page holds (ゲーム/café.ngp) opens, and shows as typed.
name=$'\343\202\262\343\203\274\343\203\240/caf\303\251.ngp'
mkdir "$work/${name%/*}" && cp "$work/high.ngp" "$work/$name"
report "$name" $'HIGH\r\nBYTES' $'HIGH CATALOG\x1aBYTES\r\n........' 80ff 1
check "a name no code page holds" "$REPLY" "" sh -c 'cd "$1" && exec "$0" "$2"' "$bin" "$work" "$name"
# A path is resolved by the file system, as open(2) resolves it: .. after a link leaves the link's
# target, not the link, and a name that is not there, or a file taken for a folder, is no way
# through. Windows takes .. off the name before it looks at any link. Each row: the path, typed in
# tree/, and the image it must name (- for none).
mkdir -p "$work/tree/real/a" "$work/tree/gone" && ln -s real/a "$work/tree/lnk"
cp "$path" "$work/tree/real/x.ngp" && cp "$work/high.ngp" "$work/tree/x.ngp"
while read -r typed named; do
    if [ "$named" = - ]; then
        check_posix "resolved by the file system: $typed" "" "$IO" sh -c 'cd "$1" && exec "$0" "$2"' "$bin" "$work/tree" "$typed"
        continue
    fi
    if [ "$named" = real/x.ngp ]; then
        report "$typed" 'SIXTEEN MBIT' 'COPYRIGHT ENDS IN BLANKS    ' 0059 16
    else
        report "$typed" $'HIGH\r\nBYTES' $'HIGH CATALOG\x1aBYTES\r\n........' 80ff 1
    fi
    check_posix "resolved by the file system: $typed" "$REPLY" "" sh -c 'cd "$1" && exec "$0" "$2"' "$bin" "$work/tree" "$typed"
done <<ROWS
lnk/../x.ngp real/x.ngp
$work/tree/lnk/../x.ngp real/x.ngp
lnk/.././x.ngp real/x.ngp
./x.ngp x.ngp
real/a/../../x.ngp x.ngp
missing/../x.ngp -
x.ngp/ -
x.ngp/. -
x.ngp/../x.ngp -
ROWS
# A working directory that was removed leaves an absolute path as it was; a name in it is then
# no file.
report "$work/tree/x.ngp" $'HIGH\r\nBYTES' $'HIGH CATALOG\x1aBYTES\r\n........' 80ff 1
check_posix "working directory removed, absolute path" "$REPLY" "" \
    sh -c 'cd "$1" && rmdir "$1" && shift && exec "$@"' sh "$work/tree/gone" "${direct[@]}" "$work/tree/x.ngp"
mkdir "$work/tree/gone"
check_posix "working directory removed, relative path" "" "$IO" \
    sh -c 'cd "$1" && rmdir "$1" && shift && exec "$@"' sh "$work/tree/gone" "${direct[@]}" x.ngp
# A 256 TiB sparse file, where the test's own folder takes one, else on the tmpfs most Linux
# systems have at /dev/shm (ext4 stops at 16 TiB).
huge=''
for folder in "$work" /dev/shm; do
    if truncate -s 256T "$folder/vorlund_huge_$$" 2>/dev/null; then
        huge=$folder/vorlund_huge_$$ && scratch+=("$huge") && break
    fi
    rm -f "$folder/vorlund_huge_$$"
done
if [ -n "$huge" ]; then
    report "$huge" '' '' 0000 2147483648
    check "256 TiB sparse file" "$REPLY" "" "$bin" "$huge"
else
    skip "256 TiB sparse file" "neither $work nor /dev/shm takes a sparse file of 256 TiB"
fi
# Windows' own ways of naming a file, each shown as typed: backslashes, a drive (Wine's Z: is the
# root), forward slashes after one, and the NUL device; and its refusal to open a directory.
if [ -n "$windows" ]; then
    for typed in "Z:${path//\//\\}" "Z:$path" 'dir\sub\16.ngp'; do
        report "$typed" 'SIXTEEN MBIT' 'COPYRIGHT ENDS IN BLANKS    ' 0059 16
        check "as typed: $typed" "$REPLY" "" sh -c 'cd "$1" && exec "$0" "$2"' "$bin" "$work" "$typed"
    done
    # Every name of the null device, in any folder, is an empty file.
    for typed in NUL nul.ngp NUL: nul. 'dir\nul.ngp'; do
        report "$typed" '' '' 0000 0
        check "the null device as $typed" "$REPLY" "" sh -c 'cd "$1" && exec "$0" "$2"' "$bin" "$work" "$typed"
    done
    check "a directory, refused" "" "$IO" "$bin" "$work/dir"
fi
# The module as it ships: beside its runner, which finds it there, wherever it is started from.
if [ -n "$wasi" ]; then
    if [[ "$tool" == *.mjs ]]; then
        cp -R "${tool%/*}" "$work/shipped"
    else
        mkdir "$work/shipped" && cp "$tool" "$work/shipped/vorlund.wasm" && cp "${tool%/*}/vorlund.mjs" "${tool%/*}/wasi.mjs" "$work/shipped/"
    fi
    slurp "$tests/expected/sample.out"
    check "the runner and its module" "$REPLY" "" sh -c 'cd "$1" && exec node shipped/vorlund.mjs build/sample.ngp' \
        "$bin" "$work"
fi
# Without signals the write fails, and is reported as any failed write is.
if [ -n "$elsewhere" ]; then
    check "reader of the pipe gone, no SIGPIPE" "" "$IO"$'0\n' \
        sh -c 'exec 3<>"$2" 4>"$2" 3<&-; "$0" "$1" >&4; echo $? >&2' "$bin" "$path" "$work/fifo"
fi

# Bytes that could drive a terminal: raw into a pipe, one '?' each on a terminal. There the header
# texts keep printable ASCII (0x20 to 0x7e) only. The path keeps valid UTF-8 but the controls: C0,
# DEL, and C1 (0xc2 0x80 to 0xc2 0x9f; 0xc2 0x9b is CSI). A byte that starts no valid sequence
# (a stray continuation, an overlong form, a surrogate, past U+10FFFF, cut short) is one '?' too.
# Each row of the name: its bytes, as printf formats, and what a terminal shows of them. A row for
# ASCII, one for stray continuation bytes, then one for each lead byte range: its first and last
# lead, its lowest and highest second byte, and the bytes just outside either end, each followed
# by as many continuation bytes as the lead asks for, so that only the byte out of range can
# refuse it; the last row is for third and fourth bytes.
name='' shown=''
while read -r bytes terminal; do
    # shellcheck disable=SC2059 # the rows are formats, so that they can hold any byte
    name+=$(printf "$bytes") && shown+=$(printf "$terminal")
done <<'ROWS'
\033]0;t\007\037\040~\177 ?]0;t??\040~?
\200\277\200\301\277\200\200\200\200\220\220\200\200 ?????????????
\302\200\302\237\302\233\302\240\337\277\303\177\337\300 ???\302\240\337\277????
\340\237\277\340\300\200\340\240\200\340\277\277 ??????\340\240\200\340\277\277
\341\200\200\354\277\277\341\177\200\354\300\200 \341\200\200\354\277\277??????
\355\200\200\355\237\277\355\177\200\355\240\200 \355\200\200\355\237\277??????
\356\277\277\357\200\200\356\177\200\357\300\200 \356\277\277\357\200\200??????
\360\220\200\200\360\277\277\277\360\217\277\277\360\300\200\200 \360\220\200\200\360\277\277\277????????
\361\200\200\200\363\277\277\277\361\177\200\200\363\300\200\200 \361\200\200\200\363\277\277\277????????
\364\200\200\200\364\217\277\277\364\177\200\200\364\220\200\200 \364\200\200\200\364\217\277\277????????
\365\200\200\200\342\202\177\342\202\300\361\200\200\177\342\202. ????????????????.
ROWS
# Node.js hands the runner its arguments as text: a name that is not UTF-8 arrives with U+FFFD for
# each byte it cannot read, and must be refused, never taken for the file whose name holds U+FFFD.
if [ -n "$node" ]; then
    cp "$path" "$work/caf"$'\351'.ngp && cp "$work/high.ngp" "$work/caf"$'\357\277\275'.ngp
    check "a name that is not UTF-8, refused" "" "$IO" "$bin" "$work/caf"$'\351'.ngp
fi
hostile=$work/$name.ngp
image "$hostile" 128K '\033[2J\007\037 ~\177\200\302\233\351COPYRIGHT......' '\000\000' '\033]0;NAME\007\000\000\000'
report "$hostile" $'\e]0;NAME\a' $'\e[2J\a\x1f ~\x7f\x80\xc2\x9b\xe9COPYRIGHT......' 0000 1
if [ -n "$as_text" ]; then leave_out "raw bytes into a pipe" "$as_text"; else check "raw bytes into a pipe" "$REPLY" "" "$bin" "$hostile"; fi
report "$work/$shown.ngp" '?]0;NAME?' '?[2J?? ~?????COPYRIGHT......' 0000 1
# Windows and Node.js take a name as text, which the bytes above are not: there the name is café
# and a C1 control, CSI.
if [ -n "$as_text" ]; then
    hostile=$work/caf$'\303\251\302\233'.ngp
    cp "$work/$name.ngp" "$hostile"
    report "$work/caf"$'\303\251'"?.ngp" '?]0;NAME?' '?[2J?? ~?????COPYRIGHT......' 0000 1
fi
# script(1) hands its command to $SHELL, perhaps a plain sh: the path travels in the environment.
# On Windows the bytes go to a console, which Wine draws on the terminal with control sequences and
# notes of its own. Those are taken out (a move of the cursor stands for blanks) and the end of
# what is left compared.
if [ -n "$windows" ]; then
    # console_shows NAME EXPECTED COMMAND: what a console shows of the report that COMMAND prints.
    console_shows() {
        needs "$1" script perl || return 0
        shown=$(COMMAND=$3 timeout "$limit" script -qec 'bash -c "$COMMAND"' /dev/null </dev/null |
            perl -pe 's/\e\[(\d*)C/" " x ($1 || 1)/ge; s/\e\[[\d;?]*[A-Za-z]//g; s/\r//g' && echo x)
        shown=${shown%x}
        expect "$1" "$2" "${shown: -${#2}}"
    }
    console_shows "safe bytes on the console" "$REPLY" "$(printf '%q %q' "$bin" "$hostile")"
    # cmd opens CON for writing only, which leaves the console no mode to read.
    mkdir "$work/con" && cp "$hostile" "$work/con/hostile.ngp" && cp "$tool" "$work/con/vorlund.exe"
    report hostile.ngp '?]0;NAME?' '?[2J?? ~?????COPYRIGHT......' 0000 1
    console_shows "safe bytes on CON from cmd" "$REPLY" \
        "cd $(printf %q "$work/con") && ${VORLUND_EMULATOR:-} cmd /c 'vorlund.exe hostile.ngp > CON'"
elif needs "safe bytes on a terminal" script; then
    check "safe bytes on a terminal" "$REPLY" "" env BIN="$bin" IMAGE="$hostile" \
        bash -c 'script -qec "\"\$BIN\" \"\$IMAGE\"" /dev/null | tr -d "\r"'
fi

finish
