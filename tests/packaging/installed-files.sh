#!/usr/bin/env bash
# `cmake --install` of this build: exactly the expected files, and each of them valid: the desktop
# entry and the AppStream metadata pass their validators, the icons have their sizes, the manual
# pages format without warnings and describe every option the programs' --help lists.
set -euo pipefail
build=${1:?usage: installed-files.sh BUILD_DIR APP_ID VERSION SIZES}
id=$2
version=$3
sizes=$4
. "$(dirname "$0")/common.sh"

scratch=$(mktemp -d "${TMPDIR:-/tmp}/pagiscopo-install.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
root=$scratch/root
DESTDIR=$root cmake --install "$build" --prefix /usr >"$scratch/install.log" ||
    { cat "$scratch/install.log" >&2; fail "cmake --install failed"; }

same_lists "installed files" "$(expected_files "$id" "$sizes")" \
    "$(cd "$root" && find . -type f -printf '%P\n' | LC_ALL=C sort)"
for program in pagiscopo pagiscopo-server; do
    [ -x "$root/usr/bin/$program" ] || fail "usr/bin/$program is not executable"
done

desktop=$root/usr/share/applications/$id.desktop
metainfo=$root/usr/share/metainfo/$id.metainfo.xml
echo "desktop-file-validate $id.desktop:"
desktop-file-validate "$desktop" || fail "desktop-file-validate refuses $id.desktop"
echo "appstreamcli validate --no-net $id.metainfo.xml:"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli refuses $id.metainfo.xml"
appstreamcli validate-tree --no-net "$root" || fail "appstreamcli refuses the installed tree"

# What the validators do not check: that the entry's names lead to installed files.
key() { sed -n "s/^$1=//p" "$desktop"; }
[ "$(key Exec)" = pagiscopo ] || fail "Exec is '$(key Exec)', not the installed pagiscopo"
[ "$(key Icon)" = "$id" ] || fail "Icon is '$(key Icon)', not the installed icon $id"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
    fail "the metainfo does not launch $id.desktop"
for binary in $(sed -n 's:.*<binary>\(.*\)</binary>.*:\1:p' "$metainfo"); do
    [ -x "$root/usr/bin/$binary" ] || fail "the metainfo provides $binary, which is not installed"
done
released=$(sed -n 's:.*<release version="\([^"]*\)".*:\1:p' "$metainfo" | head -n 1)
[ "$released" = "$version" ] || fail "the newest release in the metainfo is '$released', the project is $version"
zcat "$root/usr/share/doc/pagiscopo/changelog.gz" >"$scratch/changelog"
changelog_version=$(dpkg-parsechangelog -l "$scratch/changelog" -S Version)
[ "$changelog_version" = "$version" ] ||
    fail "the newest changelog entry is '$changelog_version', the project is $version"

for size in $sizes; do
    icon=$root/usr/share/icons/hicolor/${size}x${size}/apps/$id.png
    file -b "$icon" | grep -q "^PNG image data, $size x $size," ||
        fail "${size}x${size}/apps/$id.png is $(file -b "$icon")"
done

for program in pagiscopo pagiscopo-server; do
    page=$root/usr/share/man/man1/$program.1.gz
    text=$(LC_ALL=C MANWIDTH=200 man --warnings -l "$page" 2>"$scratch/man-warnings")
    if [ -s "$scratch/man-warnings" ]; then
        cat "$scratch/man-warnings" >&2
        fail "man warns about $program.1"
    fi
    grep -q "^Pagiscopo $version " <<<"$(tail -n 1 <<<"$text" | sed 's/^ *//')" ||
        fail "$program.1 does not carry version $version in its footer"
    options=$("$root/usr/bin/$program" --help | grep -E '^ +-' | grep -oE '(^|[ ,])--?[a-z][a-z-]*' | tr -d ' ,')
    [ -n "$options" ] || fail "$program --help lists no options"
    for option in $options; do
        grep -qF -- "$option" <<<"$text" || fail "$program.1 does not describe $option, which --help lists"
    done
    echo "$program.1: formats cleanly and describes $(tr '\n' ' ' <<<"$options")"
done
echo "installed: $(expected_files "$id" "$sizes" | wc -l) files, all valid"
