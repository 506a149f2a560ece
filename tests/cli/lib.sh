# shellcheck shell=bash disable=SC2034 # what it sets is for the scripts that source it
# Shared by the end-to-end tests: the tool's fixed texts, the expected outputs, and `check`, which
# runs one case and compares standard output, standard error and the exit status byte for byte.
# The expected banner comes from expected/usage.out, never from the tool under test.
# Sourced with the tool's path as $1: sets `tool` to it, `bin` to the command that runs it, and
# `work` to a scratch directory that goes at exit (`scratch` lists what else goes with it). In a
# cross build VORLUND_EMULATOR holds the emulator (Wine for Windows, the runner for WASI), and
# `bin` puts it in front of the tool; a tool that is a Node.js command (vorlund.mjs, as the npm
# package installs it) is run by node. `windows` is set when the tool is a Windows program, `wasi`
# when it is a WASI module (or a Node.js command that runs one), and `elsewhere` then says why a
# case that only POSIX systems have is left out; `node` when Node.js runs it, and `as_text` then
# says why a name that is not text cannot be handed to it. Each run may take `limit` seconds, 10 times VORLUND_TIMEOUT_SCALE (1 unless set, for
# slow builders). A script ends with `finish`: status 1 when a case failed, 0 when none did and at
# least one passed, 77 (skipped) when none could run here at all. Each case counts for itself: one
# that the platform has no counterpart of is listed as left out, one that cannot run for want of a
# tool or a facility (found out by trying it) as skipped, each with its reason, and neither hides
# what the others did.
set -u
tests=$(realpath "$(dirname "${BASH_SOURCE[0]}")")
tool=$(realpath "$1")
work=$(realpath "$(mktemp -d)")
scratch=()
trap 'rm -rf "$work" "${scratch[@]}"' EXIT

# place DIR: a copy of the tool in DIR, to be run as DIR/vorlund whatever the build. An emulator
# that is a file of the build (WASI's runner) is copied with it, and the host it imports, so that
# the copy runs where the build cannot be read; a tool that is a Node.js command (the npm
# package's) with the folder it stands in.
place() {
    local emulator=${VORLUND_EMULATOR:-} runner=${tool%/*}/vorlund.mjs
    if [[ "$tool" == *.mjs ]]; then
        cp -R "${tool%/*}" "$1/package"
        printf '#!/bin/sh\nexec node %q "$@"\n' "$1/package/${tool##*/}" >"$1/vorlund"
        chmod 755 "$1/vorlund"
    elif [ -z "$emulator" ]; then
        cp "$tool" "$1/vorlund"
    else
        cp "$tool" "$1/vorlund.target"
        if [[ " $emulator " == *" $runner "* ]]; then
            cp "$runner" "${runner%/*}/wasi.mjs" "$1/"
            emulator=${emulator/"$runner"/"$1/vorlund.mjs"}
        fi
        printf '#!/bin/sh\nexec %s %q "$@"\n' "$emulator" "$1/vorlund.target" >"$1/vorlund"
        chmod 755 "$1/vorlund"
    fi
}
mkdir "$work/bin" && place "$work/bin" && bin=$work/bin/vorlund
# The same run with no shell in front, for a case that a shell would speak up in (a working
# directory removed): `"${direct[@]}" ARGS...`.
direct=("$bin")
if [[ "$tool" == *.mjs ]]; then
    direct=(node "$work/bin/package/${tool##*/}")
elif [ -n "${VORLUND_EMULATOR:-}" ]; then
    read -ra direct <<<"${VORLUND_EMULATOR/"${tool%/*}/vorlund.mjs"/"$work/bin/vorlund.mjs"}"
    direct+=("$work/bin/vorlund.target")
fi
windows='' wasi='' node='' elsewhere='' as_text=''
[[ "$tool" != *.exe ]] || windows=yes elsewhere="not on Windows" as_text="a name is text on Windows"
[[ "$tool" != *.wasm ]] || wasi=yes node=yes elsewhere="not under WASI"
# A Node.js command runs the program of this system where its folder holds one, else the module;
# either way Node.js hands it its arguments as text.
if [[ "$tool" == *.mjs ]]; then
    node=yes
    [ -e "${tool%/*}/$(node -p 'process.platform + "-" + process.arch')" ] || wasi=yes elsewhere="not under WASI"
fi
[ -z "$node" ] || as_text="Node.js takes a name as text"
IO=$'File IO error encountered. Aborting...\n'
SIZE=$'Incorrect filesize. Corrupt image?\n'
USAGE=$'\nUsage:\n\n    vorlund filename\n\n'
EITHER_MESSAGE=either # as STDERR: the I/O text or the size text, whichever the file system makes
limit=10
[[ ! "${VORLUND_TIMEOUT_SCALE:-}" =~ ^[1-9][0-9]*$ ]] || limit=$((limit * VORLUND_TIMEOUT_SCALE))
# Wine makes its prefix at the first start in it, which then says so on standard error; it boots
# it in programs that outlive the first one; a program that finds no server running starts one,
# and the system's own programs with it, which are then its children (traced, with strace -f) and
# hold its output open; and once the last program has gone the server ends a moment later, when a
# program starting just then may fail to. So the prefix is made and booted before the first case,
# what that prints put aside, and one program is kept running for the whole script, which keeps
# the server and the system's programs running: cmd, reading the script's end from a FIFO that
# the script holds open. Its streams are not the script's, and it ends when the script does.
if [ -n "$windows" ] && [[ " ${VORLUND_EMULATOR:-} " == *" wine "* ]]; then
    mkfifo "$work/wine-keeper"
    if ${VORLUND_EMULATOR} wineboot --init </dev/null >/dev/null 2>&1; then
        ${VORLUND_EMULATOR} cmd <"$work/wine-keeper" >/dev/null 2>&1 &
        exec 9>"$work/wine-keeper"
    else
        echo "wine: no prefix could be made and booted"
    fi
fi
passed=0 failed=0 skipped='' left_out=''

verdict() { # NAME FAULTS
    if [ -z "$2" ]; then passed=$((passed + 1)); else failed=$((failed + 1)) && echo "FAIL: $1:$2"; fi
}

expect() { # NAME WANTED ACTUAL
    if [ "$2" = "$3" ]; then verdict "$1" ""; else verdict "$1" " got '$3'"; fi
}

skip() { skipped+="skipped: $1: $2"$'\n'; }       # WHAT WHY
leave_out() { left_out+="left out: $1: $2"$'\n'; } # WHAT WHY

# needs [--through-emulator] WHAT TOOL...: true when every TOOL is installed and does its work here
# (strace traces, script makes a terminal); otherwise WHAT is reported as skipped. Under an emulator strace and valgrind would watch
# the emulator instead, unless what is watched passes through it unchanged (--through-emulator:
# the writes of the output), and where ptrace is not permitted (a build chroot, a container)
# strace cannot attach at all. A Windows program makes no Linux system calls of its own to trace.
needs() {
    local through='' what tool why=''
    [ "$1" != --through-emulator ] || { through=yes && shift; }
    what=$1
    shift
    if [[ -z "$through" && " $* " =~ " strace "|" valgrind " ]]; then
        if [ -n "$elsewhere" ]; then
            leave_out "$what" "$elsewhere"
            return 1
        elif [ -n "${VORLUND_EMULATOR:-}" ]; then
            leave_out "$what" "runs under an emulator"
            return 1
        fi
    fi
    for tool; do command -v "$tool" >/dev/null || why+=" not installed: $tool;"; done
    if [[ -z "$why" && " $* " == *" strace "* ]] && ! strace -qq -o /dev/null true 2>/dev/null; then
        why+=" strace cannot trace here;"
    fi
    # script(1) needs a pseudo-terminal, which a build root without /dev/pts cannot make.
    if [[ -z "$why" && " $* " == *" script "* ]] && ! script -qec true /dev/null </dev/null >/dev/null 2>&1; then
        why+=" no terminal can be made here;"
    fi
    why=${why%;}
    [ -z "$why" ] || skip "$what" "${why# }"
    [ -z "$why" ]
}

holds() { cmp -s "$1" <(printf '%s' "$2"); } # FILE TEXT

# check NAME STDOUT STDERR COMMAND...: runs COMMAND with no input and compares all that it left.
check() {
    local name=$1 out=$2 err=$3 faults=
    shift 3
    timeout "$limit" "$@" >"$work/out" 2>"$work/err" </dev/null || faults+=" exit status $?"
    holds "$work/out" "$out" || faults+=" stdout"
    if [ "$err" = "$EITHER_MESSAGE" ]; then
        holds "$work/err" "$IO" || holds "$work/err" "$SIZE" || faults+=" stderr"
    else
        holds "$work/err" "$err" || faults+=" stderr"
    fi
    verdict "$name" "$faults"
}

# check_posix NAME STDOUT STDERR COMMAND...: check, but for a case that Windows has no counterpart
# of (FIFOs, /dev and /proc, other users), which is left out there.
check_posix() {
    if [ -n "$windows" ]; then leave_out "$1" "$elsewhere"; else check "$@"; fi
}

# check_unix NAME STDOUT STDERR COMMAND...: check, but for a case that only a native Unix program
# has (signals, names that are not text), which is left out on Windows and under WASI.
check_unix() {
    if [ -n "$elsewhere" ]; then leave_out "$1" "$elsewhere"; else check "$@"; fi
}

# image FILE SIZE COPYRIGHT CATALOG NAME: fields from printf formats, 0xff in every other byte.
image() { sh "$tests/../../samples/make-image" "$@" || verdict "test image $1" " not written"; }

# slurp FILE: sets REPLY to all of FILE, its last newlines included.
slurp() {
    REPLY=$(cat "$1" && echo x)
    REPLY=${REPLY%x}
}

# report PATH NAME COPYRIGHT CATALOG MEGABITS: sets REPLY to the expected standard output.
report() {
    printf -v REPLY '%s\nFilename      : %s\nInternal Name : %s\nCopyright     : %s\nCatalog No.   : NEOP%s\nImage Size    : %s Megabit\n' \
        "$banner" "$@"
}

# The banner, as the usage text shows it: the expected reports start with it.
slurp "$tests/expected/usage.out" && usage_out=$REPLY
banner=${usage_out%"$USAGE"}

finish() {
    printf '%s%s%d passed, %d failed\n' "$left_out" "$skipped" "$passed" "$failed"
    [ "$failed" -eq 0 ] || return 1
    [ "$passed" -gt 0 ] || return 77
}
