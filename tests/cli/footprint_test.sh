#!/usr/bin/env bash
# What a run costs beyond its output: no heap allocation on any path, no shared library but the C
# library (a static build: none at all), and the whole output in one write, to a pipe and to a
# terminal alike.
# Usage: footprint_test.sh PATH_TO_VORLUND dynamic|static|windows|wasi (a build without
# sanitizers, which bring their own)
# shellcheck disable=SC2016 # sh -c scripts are single-quoted: their words come as $0, $1, ...
# shellcheck source-path=SCRIPTDIR source=lib.sh
. "$(dirname "$0")/lib.sh"
linkage=$2

target=$work/footprint.ngp
image "$target" 128K 'COUNTED, NOT TIMED..........' '\000\001' 'FOOTPRINT...'
truncate -s 100 "$work/bad-size.ngp"

# allocations STDOUT ARGS...: how many heap allocations one run makes. valgrind counts them in a
# dynamic build; a static one keeps its allocator out of valgrind's sight, so there the count is
# of the calls that ask the kernel for memory, which any allocation needs first.
allocations() {
    local out=$1
    shift
    if [ "$linkage" = dynamic ]; then
        timeout $((2 * limit)) valgrind --log-fd=3 "$bin" "$@" 3>&1 >"$out" 2>/dev/null |
            sed -n 's/.*total heap usage: \([0-9,]*\) allocs.*/\1/p'
    else
        rm -f "$work/memory"
        timeout "$limit" strace -f -qq -o "$work/memory" -e 'trace=brk,mmap,?mmap2,mremap' "$bin" "$@" >"$out" 2>/dev/null
        [ -f "$work/memory" ] && grep -c . "$work/memory"
    fi
}

counter=valgrind && [ "$linkage" = dynamic ] || counter=strace
needs "heap allocations" "$counter" && while read -r name out args; do
    # shellcheck disable=SC2086 # args is a list of words
    expect "no heap: $name" 0 "$(allocations "$out" $args)"
done <<ROWS
report /dev/null $target
usage /dev/null
bad-size /dev/null $work/bad-size.ngp
missing-file /dev/null $work/missing.ngp
full-disk /dev/full $target
ROWS

# writes: how many writes carried the output of the last traced run: those in the process, and on
# the descriptor, of the write that began it with the banner's first line. Followed through any
# emulator, which hands each write of the program to the system as one write of its own. Each
# traced run starts from no log at all, so that one that did not run counts no write.
writes() {
    [ -f "$work/writes" ] || { echo "no trace" && return; }
    FIRST='"\n'$(sed -n '2p' <<<"$banner" | cut -c1-12) awk '
        !match($0, /^[0-9]+ +(write|writev|pwrite64|pwritev2?)\([0-9]+,/) { next }
        { split($0, call, /[ (,]+/) } # the process, the call and the descriptor
        pid == "" && index($0, ENVIRON["FIRST"]) { pid = call[1]; fd = call[3] }
        pid != "" && call[1] == pid && call[3] == fd { count++ }
        END { print count + 0 }' "$work/writes"
}
export LOG=$work/writes BIN=$bin IMAGE=$target LIMIT=$limit
traced='timeout "$LIMIT" strace -f -o "$LOG" -e trace=write,writev,pwrite64,pwritev,pwritev2 "$BIN" "$IMAGE"'
if needs --through-emulator "one write into a pipe" strace; then
    rm -f "$LOG"
    sh -c "$traced" | cat >/dev/null
    expect "one write into a pipe" 1 "$(writes)"
fi
# script(1) hands its command to $SHELL, perhaps a plain sh: the paths travel in the environment.
# A Windows console is drawn by Wine in writes of its own.
if [ -z "$windows" ] && needs "one write to a terminal" strace script; then
    rm -f "$LOG"
    script -qec "$traced" /dev/null >/dev/null </dev/null
    expect "one write to a terminal" 1 "$(writes)"
fi

# The shared libraries the binary names, and the loader it asks for. glibc is libc.so.6, and on
# some architectures its loader too, which holds the stack protector's guard; the loader's name is
# how a C library other than glibc shows, whose library names this test does not know.
# A Windows program names the system's DLLs alone: its C runtime, KERNEL32, and ADVAPI32, whose
# random numbers seed the stack protector; none of the compiler's DLLs.
if [ "$linkage" = windows ]; then
    expect "system DLLs only" "ADVAPI32.dll KERNEL32.dll msvcrt.dll " \
        "$(objdump -p "$tool" | sed -n 's/^[[:space:]]*DLL Name: //p' | sort | tr '\n' ' ')"
    finish
    exit
fi
# A WebAssembly module asks its runtime for WASI's own calls alone, and for no more of them than
# opening, measuring, reading and writing take.
if [ "$linkage" = wasi ]; then
    expect "WASI calls only" "wasi_snapshot_preview1: args_get args_sizes_get environ_get \
environ_sizes_get fd_close fd_fdstat_get fd_prestat_dir_name fd_prestat_get fd_read fd_seek fd_write \
path_filestat_get path_open proc_exit" "$(node -e 'const imports = WebAssembly.Module.imports(
        new WebAssembly.Module(require("fs").readFileSync(process.argv[1])));
    const modules = [...new Set(imports.map((i) => i.module))];
    console.log(`${modules.join(" ")}: ${imports.map((i) => i.name).sort().join(" ")}`)' "$tool")"
    finish
    exit
fi
needed=$(readelf -d "$tool" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p' | tr '\n' ' ')
loader=$(readelf -l "$tool" | sed -n 's|.*program interpreter: .*/\([^/]*\)\]$|\1|p')
# A static PIE shows its hardening in what stripping keeps, as release/hardened reads it.
if [ "$linkage" = static ]; then
    expect "no shared library, position-independent, hardened" "PIE RELRO BIND_NOW STACK STATIC" \
        "$("$tests/../../release/hardened" "$tool" | sed 's/ STRIPPED$//')"
elif [[ "$loader" != ld-linux* && "$loader" != ld64.so.* ]]; then
    skip "C library only" "not glibc: ${loader:-no loader}"
else
    expect "C library only" "libc.so.6 $loader" "${needed/ "$loader" / }$loader"
fi

finish
