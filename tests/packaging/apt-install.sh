#!/usr/bin/env bash
# Installs the package that packaging_deb built into this machine with apt-get, runs the installed
# programs, and removes the package again together with anything apt-get brought in for it. It
# runs only in CI (CI=true, as root, on a machine made for the run); anywhere else it is skipped.
set -euo pipefail
out=$(realpath "${1:?usage: apt-install.sh OUT_DIR VERSION}")
version=$2
. "$(dirname "$0")/common.sh"

if [ "${CI:-}" != true ] || [ "$(id -u)" -ne 0 ]; then
    echo "skipped: this test installs the package into the machine itself and removes it again;" \
        "it runs only in CI (CI=true) as root"
    exit 77
fi
debs=("$out"/pagiscopo_*.deb)
[ -f "${debs[0]}" ] || fail "no package in $out (packaging_deb builds it)"
status=$(dpkg-query -W -f='${db:Status-Status}' pagiscopo 2>/dev/null || true)
if [ -n "$status" ] && [ "$status" != not-installed ]; then
    fail "pagiscopo is already on this machine ($status); this test would replace it and then remove it"
fi

export DEBIAN_FRONTEND=noninteractive
packages() { dpkg-query -W -f='${binary:Package} ${Version} ${db:Status-Abbrev}\n' | LC_ALL=C sort; }
names() { cut -d' ' -f1 <<<"$1"; }
before=$(packages)

# Puts the machine back: purges every package that was not there before (ours and whatever
# apt-get brought in for it), then checks that every package is as it was.
restore() {
    local status=$?
    trap - EXIT
    local added
    added=$(LC_ALL=C comm -13 <(names "$before") <(names "$(packages)"))
    if [ -n "$added" ]; then
        echo "removing again: $(tr '\n' ' ' <<<"$added")"
        # shellcheck disable=SC2086
        apt-get purge -y -q $added >"$out/apt-purge.log" 2>&1 || { cat "$out/apt-purge.log" >&2; status=1; }
    fi
    if [ "$(packages)" != "$before" ]; then
        echo "FAIL: the installed packages are not what they were before the test:" >&2
        diff <(echo "$before") <(packages) >&2 || true
        status=1
    fi
    exit "$status"
}
trap restore EXIT

cd "$out"
apt-get install -y -q "./$(basename "${debs[0]}")" >"$out/apt-install.log" 2>&1 ||
    { cat "$out/apt-install.log" >&2; fail "apt-get install ./$(basename "${debs[0]}") failed"; }
echo "installed $(basename "${debs[0]}") with apt-get"

[ "$(command -v pagiscopo)" = /usr/bin/pagiscopo ] || fail "pagiscopo on PATH is '$(command -v pagiscopo)'"
reported=$(/usr/bin/pagiscopo --version)
[ "$reported" = "pagiscopo $version" ] || fail "/usr/bin/pagiscopo --version says '$reported'"
echo "/usr/bin/pagiscopo --version: $reported"
help=$(pagiscopo-server --help)
grep -q '^Usage: pagiscopo-server' <<<"$help" || fail "pagiscopo-server --help says: $help"
echo "pagiscopo-server --help: $(head -n 1 <<<"$help")"
[ "$(man -w pagiscopo)" = /usr/share/man/man1/pagiscopo.1.gz ] || fail "man does not find pagiscopo(1)"
