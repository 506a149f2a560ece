#!/usr/bin/env bash
# What Windows reads from vorlund.exe: the version resource, as Explorer and PowerShell show it,
# made from the project's version, and the manifest's settings: UTF-8 as the code page, and paths
# past 260 characters.
# Usage: resources_test.sh PATH_TO_VORLUND_EXE PATH_TO_RESOURCES_EXE VERSION
# shellcheck source-path=SCRIPTDIR source=../cli/lib.sh
. "$(dirname "$0")/../cli/lib.sh"
version=$3

# shellcheck disable=SC2086 # the emulator is a list of words
read_back=$(timeout "$limit" ${VORLUND_EMULATOR:-} "$2" "$tool")
expect "version resource" "file $version.0
product $version.0
FileDescription: Identify a Neo Geo Pocket (Color) cartridge image
FileVersion: $version
InternalName: vorlund
LegalCopyright: Copyright (c) 2026 The vorlund developers, under the MIT licence
OriginalFilename: vorlund.exe
ProductName: vorlund
ProductVersion: $version" "$(sed -n '1,9p' <<<"$read_back")"
settings=$(sed -n 's/^ *<\(activeCodePage\|longPathAware\) [^>]*>\([^<]*\)<.*/\1 \2/p' <<<"$read_back")
expect "manifest settings" "activeCodePage UTF-8
longPathAware true" "$settings"
finish
