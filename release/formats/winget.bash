# shellcheck shell=bash
# The winget manifests, vorlund-VERSION-winget.zip, from release/winget/: the three files of a
# multi-file manifest (version, installer, default locale) in the folder that the winget-pkgs
# repository keeps them in, manifests/v/Vorlund/Vorlund/VERSION/. They install the Windows
# target's zip as a portable program, vorlund.exe, under the command vorlund.
# shellcheck source=release/lib.bash
. "$(dirname "${BASH_SOURCE[0]}")/../lib.bash"

WINGET_ID=Vorlund.Vorlund
WINGET_SCHEMA=1.9.0

# make_winget: the manifests, naming the zip of this release, packed.
make_winget() {
    local zip name=vorlund-$version-winget stage=$work/stage-winget folder manifest
    zip=$(windows_zip)
    folder=$stage/$name/manifests/$(tr '[:upper:]' '[:lower:]' <<<"${WINGET_ID:0:1}")/${WINGET_ID//.//}/$version
    mkdir -p "$folder"
    for manifest in "$tables"/winget/*.yaml.in; do
        manifest=${manifest##*/}
        sed -e "s|@ID@|$WINGET_ID|; s|@SCHEMA@|$WINGET_SCHEMA|; s|@VERSION@|$version|; s|@DESCRIPTION@|$description|" \
            -e "s|@URL@|$url|; s|@FOLDER@|${zip%.zip}|; s|@DOWNLOAD@|$(download "$zip")|; s|@PUBLISHER@|${maintainer%% <*}|" \
            -e "s|@HASH@|$(sha256 "$out/$zip" | tr '[:lower:]' '[:upper:]')|; s|@DAY@|$(date -u -d "@$epoch" +%Y-%m-%d)|" \
            "$tables/winget/$manifest" >"$folder/$WINGET_ID.${manifest%.yaml.in}.yaml"
    done
    mv "$folder/$WINGET_ID.version.yaml" "$folder/$WINGET_ID.yaml"
    pack "$stage" "$out/$name.zip"
}

# check_winget: the manifests are this release's (release/formats/winget.mjs).
check_winget() {
    local zip name=vorlund-$version-winget into=$work/winget
    zip=$(windows_zip)
    step "$name.zip"
    files+=("$name.zip")
    mkdir "$into" && unzip -q "$name.zip" -d "$into"
    NODE_PATH=/usr/share/nodejs ID=$WINGET_ID SCHEMA=$WINGET_SCHEMA VERSION=$version ZIP=$zip HASH=$(sha256 "$zip") \
        ENTRIES=$(unzip -Z1 "$zip") FILES=$(cd "$into" && find . -type f | LC_ALL=C sort) \
        node "$release/formats/winget.mjs" "$into/$name" || fail "$name.zip is not this release's winget manifests"
}
