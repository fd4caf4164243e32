#!/usr/bin/env bash
# The desktop entry's StartupWMClass is the class the running main window really has, so that
# docks and task bars match the window to its menu entry. Checked on a private X server.
set -euo pipefail
program=${1:?usage: wm-class.sh PAGISCOPO DESKTOP_FILE}
desktop=$2
here=$(cd "$(dirname "$0")" && pwd)
. "$here/common.sh"
. "$here/../../scripts/lib/xsession.sh"
trap xs_cleanup EXIT

expected=$(sed -n 's/^StartupWMClass=//p' "$desktop")
[ -n "$expected" ] || fail "$desktop has no StartupWMClass"

xs_start_x
"$program" >"$XS_DIR/pagiscopo.log" 2>&1 &
xs_track $!
window=$(xs_wait_window "Pagiscopo 3.5 - zorvik" 60) ||
    { cat "$XS_DIR/pagiscopo.log" >&2; fail "the main window did not appear"; }
# WM_CLASS(STRING) = "instance", "class"
property=$(xprop -id "$window" WM_CLASS)
class=$(sed -n 's/^WM_CLASS(STRING) = "[^"]*", "\([^"]*\)"$/\1/p' <<<"$property")
[ "$class" = "$expected" ] || fail "the window's class is '$class' ($property); StartupWMClass is '$expected'"
echo "window class and StartupWMClass: $class"
