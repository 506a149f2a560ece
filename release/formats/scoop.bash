# shellcheck shell=bash
# The Scoop manifest, vorlund.json, from release/scoop.json.in: the Windows target's zip, by its
# address and hash, with vorlund.exe as the command, and how Scoop finds and takes the next
# release by itself. `scoop install URL-of-vorlund.json` installs from it with no bucket.
# shellcheck source=release/lib.bash
. "$(dirname "${BASH_SOURCE[0]}")/../lib.bash"

# make_scoop: the manifest, naming the zip of this release.
make_scoop() {
    local zip folder address
    zip=$(windows_zip)
    folder=${zip%.zip} address=$(download "$zip")
    # The next release's, as Scoop's autoupdate names it, by $version.
    sed -e "s|@VERSION@|$version|; s|@DESCRIPTION@|$description|; s|@URL@|$url|; s|@DOWNLOAD@|$address|" \
        -e "s|@HASH@|$(sha256 "$out/$zip")|; s|@FOLDER@|$folder|; s|@NEXT_FOLDER@|${folder//"$version"/\$version}|" \
        -e "s|@NEXT_DOWNLOAD@|${address//"$version"/\$version}|" "$tables/scoop.json.in" >"$out/vorlund.json"
}

# check_scoop: the manifest is this release's (release/formats/scoop.mjs).
check_scoop() {
    local zip
    zip=$(windows_zip)
    step vorlund.json
    files+=(vorlund.json)
    ZIP=$zip VERSION=$version HASH=$(sha256 "$zip") ENTRIES=$(unzip -Z1 "$zip") node "$release/formats/scoop.mjs" vorlund.json ||
        fail "vorlund.json is not this release's Scoop manifest"
}
