#!/usr/bin/env bash
# lintian on the package that packaging_deb built: no errors. Its other findings are printed.
set -euo pipefail
out=${1:?usage: lintian.sh OUT_DIR}
. "$(dirname "$0")/common.sh"
debs=("$out"/pagiscopo_*.deb)
[ -f "${debs[0]}" ] || fail "no package in $out (packaging_deb builds it)"
# lintian says that it runs as root on every run as root; that line is no finding.
lintian --fail-on error --display-info "${debs[@]}" 2> >(grep -v 'running with root privileges is not recommended' >&2) ||
    fail "lintian reports errors"
echo "lintian: no errors in $(basename "${debs[0]}")"
