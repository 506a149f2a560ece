#!/usr/bin/env bash
# Each system call of a run made to fail in turn, by strace's syscall tampering: nothing reaches
# standard output before the header has been read, and every failure ends in the I/O message.
# Usage: faults_test.sh PATH_TO_VORLUND
. "$(dirname "$0")/lib.sh"
# In a sanitizer build: LeakSanitizer cannot run under ptrace. The other suites keep it.
export ASAN_OPTIONS=detect_leaks=0

needs "every fault" strace || { finish; exit; }
target=$work/faults.ngp
image "$target" 128K 'FAULTS ARE INJECTED HERE....' '\022\064' 'FAULT IMAGE.'

# fault NAME STDOUT STDERR PATH INJECTION: the INJECTION counts only the calls that act on PATH.
fault() {
    check "$1" "$2" "$3" strace -qq -o /dev/null -P "$4" -e "inject=$5" "$bin" "$target"
}

fault "open" "" "$IO" "$target" openat:error=EACCES
fault "seek to the end" "" "$IO" "$target" lseek:error=EIO:when=1
fault "rewind" "" "$IO" "$target" lseek:error=EIO:when=2
fault "copyright read" "" "$IO" "$target" read:error=EIO:when=1
fault "seek to the catalog" "" "$IO" "$target" lseek:error=EIO:when=3
fault "catalog read" "" "$IO" "$target" read:error=EIO:when=2
fault "seek to the name" "" "$IO" "$target" lseek:error=EIO:when=4
fault "name read" "" "$IO" "$target" read:error=EIO:when=3
fault "write of the report" "" "$IO" "$work/out" write:error=ENOSPC
report "$target" 'FAULT IMAGE.' 'FAULTS ARE INJECTED HERE....' 1234 1
fault "close, after the report" "$REPLY" "$IO" "$target" close:error=EIO
# Reads that bring nothing are no failure, and the fields after them are still read in place.
report "$target" 'FAULT IMAGE.' '' 1234 1
fault "copyright read of 0 bytes" "$REPLY" "" "$target" read:retval=0:when=1
report "$target" 'FAULT IMAGE.' 'FAULTS ARE INJECTED HERE....' 0000 1
fault "catalog read of 0 bytes" "$REPLY" "" "$target" read:retval=0:when=2
finish
