#!/usr/bin/env bash
# Builds the Debian package from this build with CPack, as `make package` does, into OUT_DIR, where
# the lintian and install tests find it; checks its file list and what its control file promises.
set -euo pipefail
build=${1:?usage: deb.sh BUILD_DIR OUT_DIR APP_ID VERSION SIZES}
out=$2
id=$3
version=$4
sizes=$5
. "$(dirname "$0")/common.sh"

rm -rf "$out"
mkdir -p "$out"
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 ||
    { cat "$out/cpack.log" >&2; fail "cpack could not build the package"; }
deb=$out/pagiscopo_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || { cat "$out/cpack.log" >&2; fail "cpack wrote no $(basename "$deb")"; }
echo "built $deb"

same_lists "files of the package" "$(expected_files "$id" "$sizes")" \
    "$(dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sed 's:^\./::' | LC_ALL=C sort)"

field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Package)" = pagiscopo ] || fail "the package is called '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "the package's version is '$(field Version)'"
depends=$(field Depends)
echo "Depends: $depends"
# The fonts are named by hand; the libraries show that dpkg-shlibdeps read the binaries.
for needed in fonts-wine fonts-urw-base35 fonts-dejavu-extra libfreetype6 libqt6widgets6 libqt6gui6 libqt6core6 libcurl4 libcpp-httplib0.11 libc6; do
    grep -qE "(^|, )$needed( |,|$)" <<<"$depends" || fail "Depends lacks $needed"
done
description=$(field Description)
[ "$(sed -n 1p <<<"$description")" = "viewer for the pages of a web teletext service" ] ||
    fail "the synopsis is '$(sed -n 1p <<<"$description")'"
[ "$(wc -l <<<"$description")" -ge 5 ] || fail "the package has no long description"
# Installed binaries are stripped: the package carries no debugging sections.
dpkg-deb -x "$deb" "$out/contents"
for program in pagiscopo pagiscopo-server; do
    if file -b "$out/contents/usr/bin/$program" | grep -q 'not stripped'; then
        fail "usr/bin/$program is not stripped"
    fi
done
rm -rf "$out/contents"
echo "the package holds the $(expected_files "$id" "$sizes" | wc -l) expected files"
