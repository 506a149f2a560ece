#!/usr/bin/env bash
# The system calls of a run on the image: first the exact calls of a good run, then each call made
# to fail in turn by strace's syscall tampering. Nothing reaches standard output before the header
# has been read, and every failure ends in the I/O message. Each call is named by all its names,
# so that the table holds on glibc and musl, 32-bit and 64-bit.
# Usage: faults_test.sh PATH_TO_VORLUND
# shellcheck source-path=SCRIPTDIR source=lib.sh
. "$(dirname "$0")/lib.sh"
# In a sanitizer build: LeakSanitizer cannot run under ptrace. The other suites keep it.
export ASAN_OPTIONS=detect_leaks=0
target=$work/faults.ngp
image "$target" 128K 'FAULTS ARE INJECTED HERE....' '\022\064' 'FAULT IMAGE.'

# Under qemu, which strace cannot see through, qemu traces the calls of the program it runs: the
# calls on the image, each field read by a call of its own and nothing else read, but for the
# positions, which a 32-bit seek does not print.
if [[ "${VORLUND_EMULATOR:-}" == qemu-* ]]; then
    read -ra emulator <<<"$VORLUND_EMULATOR"
    timeout "$limit" "${emulator[@]}" -strace "$tool" "$target" 2>"$work/qemu" >/dev/null
    expect "the calls on the image, traced by qemu" "lseek(fd, 0, SEEK_END)
lseek(fd, 0, SEEK_SET)
read(fd, 28) = 28
lseek(fd, 3, SEEK_CUR)
read(fd, 2) = 2
lseek(fd, 3, SEEK_CUR)
read(fd, 12) = 12
close(fd) = 0" "$(awk -F'[(),]' '
        $0 ~ /^[0-9]+ open(at)?\(.*faults\.ngp/ { fd = $NF; sub(/.*= /, "", fd); next }
        fd == "" || $2 != fd { next }
        $1 ~ / _llseek$/ { print "lseek(fd, " $4 ", " $6 ")"; next }
        $1 ~ / lseek$/ { print "lseek(fd, " $3 ", " $4 ")"; next }
        $1 ~ / read$/ { size = $4; sub(/.*\) = /, ""); print "read(fd, " size ") = " $0; next }
        $1 ~ / close$/ { sub(/.*\) = /, ""); print "close(fd) = " $0; next }
        { print "another call: " $0 }' "$work/qemu")"
fi
needs "every system call" strace || { finish; exit; }
OPEN=open,openat LSEEK='lseek,?_llseek' READ=read CLOSE=close WRITE=write,writev

# Each field read at its offset by a call of its own, and nothing else read; the descriptor closed
# once, at the end. Which number the descriptor gets depends on what the caller left open, so the
# one the first call names is called fd. 32-bit systems seek with _llseek, which returns the
# position through a pointer.
timeout "$limit" strace -qq -a0 -s0 -e signal=none -e "trace=$LSEEK,$READ,$CLOSE" -o "$work/trace" \
    -P "$target" "$bin" "$target" >/dev/null
fd=$(sed -n '1s/^[_a-z]*(\([0-9]*\),.*/\1/p' "$work/trace")
expect "the calls on the image" "lseek(fd, 0, SEEK_END) = 131072
lseek(fd, 0, SEEK_SET) = 0
read(fd, \"\"..., 28) = 28
lseek(fd, 3, SEEK_CUR) = 31
read(fd, \"\"..., 2) = 2
lseek(fd, 3, SEEK_CUR) = 36
read(fd, \"\"..., 12) = 12
close(fd) = 0" "$(sed -e 's/^_llseek(\([0-9]*\), \([0-9]*\), \[\([0-9]*\)\], \(SEEK_[A-Z]*\)) = 0$/lseek(\1, \2, \4) = \3/' \
    -e "s/^\([a-z]*\)($fd\([,)]\)/\1(fd\2/" "$work/trace")"

# fault NAME STDOUT STDERR PATH INJECTION: the INJECTION counts only the calls that act on PATH.
fault() {
    check "$1" "$2" "$3" strace -qq -o /dev/null -P "$4" -e "inject=$5" "$bin" "$target"
}

fault "open" "" "$IO" "$target" "$OPEN:error=EACCES"
fault "seek to the end" "" "$IO" "$target" "$LSEEK:error=EIO:when=1"
fault "rewind" "" "$IO" "$target" "$LSEEK:error=EIO:when=2"
fault "copyright read" "" "$IO" "$target" "$READ:error=EIO:when=1"
fault "seek to the catalog" "" "$IO" "$target" "$LSEEK:error=EIO:when=3"
fault "catalog read" "" "$IO" "$target" "$READ:error=EIO:when=2"
fault "seek to the name" "" "$IO" "$target" "$LSEEK:error=EIO:when=4"
fault "name read" "" "$IO" "$target" "$READ:error=EIO:when=3"
fault "write of the report" "" "$IO" "$work/out" "$WRITE:error=ENOSPC"
# A write that takes part of the report is followed by one of the rest; here the part is not
# written, so only the rest arrives. A write that takes nothing is refused as a failed one is.
report "$target" 'FAULT IMAGE.' 'FAULTS ARE INJECTED HERE....' 1234 1
for taken in 100 $((${#REPLY} - 1)); do
    fault "write that takes $taken bytes" "${REPLY:taken}" "" "$work/out" "$WRITE:retval=$taken:when=1"
done
fault "write that takes nothing" "" "$IO" "$work/out" "$WRITE:retval=0:when=1"
report "$target" 'FAULT IMAGE.' 'FAULTS ARE INJECTED HERE....' 1234 1
fault "close, after the report" "$REPLY" "$IO" "$target" "$CLOSE:error=EIO"
# Reads that bring nothing are no failure, and the fields after them are still read in place.
report "$target" 'FAULT IMAGE.' '' 1234 1
fault "copyright read of 0 bytes" "$REPLY" "" "$target" "$READ:retval=0:when=1"
report "$target" 'FAULT IMAGE.' 'FAULTS ARE INJECTED HERE....' 0000 1
fault "catalog read of 0 bytes" "$REPLY" "" "$target" "$READ:retval=0:when=2"
finish
