# shellcheck shell=bash disable=SC2034 # what it sets is for the scripts that source it
# Shared by the end-to-end tests: the tool's fixed texts, the expected outputs, and `check`, which
# runs one case and compares standard output, standard error and the exit status byte for byte.
# The expected banner comes from expected/usage.out, never from the tool under test.
# Sourced with the tool's path as $1: sets `tool` to it, `bin` to the command that runs it, and
# `work` to a scratch directory that goes at exit (`scratch` lists what else goes with it). In a
# cross build VORLUND_EMULATOR holds the emulator (Wine for Windows), and `bin` puts it in front
# of the tool; `windows` is set when the tool is a Windows program. Each run
# may take `limit` seconds, 10 times VORLUND_TIMEOUT_SCALE (1 unless set, for slow builders). A
# script ends with `finish`: status 0 when every case passed, 1 when one failed, and 77 (skipped)
# when none failed but some could not run.
set -u
tests=$(realpath "$(dirname "${BASH_SOURCE[0]}")")
tool=$(realpath "$1")
work=$(realpath "$(mktemp -d)")
scratch=()
trap 'rm -rf "$work" "${scratch[@]}"' EXIT

# place DIR: a copy of the tool in DIR, to be run as DIR/vorlund whatever the build.
place() {
    if [ -z "${VORLUND_EMULATOR:-}" ]; then
        cp "$tool" "$1/vorlund"
    else
        cp "$tool" "$1/vorlund.target"
        printf '#!/bin/sh\nexec %s %q "$@"\n' "$VORLUND_EMULATOR" "$1/vorlund.target" >"$1/vorlund"
        chmod 755 "$1/vorlund"
    fi
}
mkdir "$work/bin" && place "$work/bin" && bin=$work/bin/vorlund
windows=
[[ "$tool" != *.exe ]] || windows=yes
IO=$'File IO error encountered. Aborting...\n'
SIZE=$'Incorrect filesize. Corrupt image?\n'
USAGE=$'\nUsage:\n\n    vorlund filename\n\n'
EITHER_MESSAGE=either # as STDERR: the I/O text or the size text, whichever the file system makes
limit=10
[[ ! "${VORLUND_TIMEOUT_SCALE:-}" =~ ^[1-9][0-9]*$ ]] || limit=$((limit * VORLUND_TIMEOUT_SCALE))
passed=0 failed=0 skipped=

verdict() { # NAME FAULTS
    if [ -z "$2" ]; then passed=$((passed + 1)); else failed=$((failed + 1)) && echo "FAIL: $1:$2"; fi
}

expect() { # NAME WANTED ACTUAL
    if [ "$2" = "$3" ]; then verdict "$1" ""; else verdict "$1" " got '$3'"; fi
}

skip() { skipped+="skipped: $1: $2"$'\n'; } # WHAT WHY

# needs WHAT TOOL...: true when every TOOL is installed and can watch the tool; otherwise WHAT is
# reported as skipped. Under an emulator strace and valgrind would watch the emulator instead, and
# where ptrace is not permitted (a build chroot, a container) strace cannot attach at all. A
# Windows program makes no Linux system calls to trace.
needs() {
    local what=$1 tool why=
    shift
    if [[ -n "$windows" && " $* " =~ " strace "|" valgrind " ]]; then
        skip "$what" "not on Windows"
        return 1
    fi
    for tool; do command -v "$tool" >/dev/null || why+=" not installed: $tool;"; done
    [[ -z "${VORLUND_EMULATOR:-}" || ! " $* " =~ " strace "|" valgrind " ]] || why+=" runs under an emulator;"
    if [[ -z "$why" && " $* " == *" strace "* ]] && ! strace -qq -o /dev/null true 2>/dev/null; then
        why+=" strace cannot trace here;"
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
# of (FIFOs, /dev and /proc, signals, other users), which is reported as skipped there.
check_posix() {
    if [ -n "$windows" ]; then skip "$1" "not on Windows"; else check "$@"; fi
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
    printf '%s%d passed, %d failed\n' "$skipped" "$passed" "$failed"
    [ "$failed" -eq 0 ] || return 1
    [ -z "$skipped" ] || return 77
}
