#!/usr/bin/env bash
# End-to-end cases: the real pagiscopo in a private X server with a window manager and a tray,
# against the sample server. Usage: e2e.sh CASE PAGISCOPO_BIN SERVER_BIN
set -euo pipefail
case_name=$1
PAGISCOPO=$2
SERVER=$3
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../scripts/lib/xsession.sh"

fail() {
    echo "FAIL: $case_name: $*" >&2
    for log in "$XS_DIR"/*.log; do
        [ -f "$log" ] && { echo "--- $log" >&2; tail -n 30 "$log" >&2; }
    done
    exit 1
}
trap xs_cleanup EXIT

# A case that needs a larger screen says so in a line "# screen: WIDTHxHEIGHTxDEPTH".
XS_SCREEN=$(sed -n 's/^# screen: *//p' "$here/cases/$case_name.sh" | head -n 1)
xs_start_x || fail "no X server"
xs_start_wm || fail "no window manager"
xs_start_tray || fail "no tray"

# The sample server, frozen in time so its pages are the same bytes on every request.
ACCESS_LOG="$XS_DIR/access.log"
"$SERVER" --port 0 --fixed-time --access-log "$ACCESS_LOG" >"$XS_DIR/server.out" 2>"$XS_DIR/server.log" &
xs_track $!
xs_poll 20 grep -q 'http://' "$XS_DIR/server.out" || fail "the sample server did not start"
SERVER_URL=$(grep -o 'http://[^ ]*' "$XS_DIR/server.out" | head -n 1)

TITLE="Pagiscopo 3.5 - zorvik"
PAGISCOPO_LAUNCH=() # a command that starts the program, e.g. env with options
start_pagiscopo() {
    XDG_CONFIG_HOME="$XS_DIR/config" XDG_RUNTIME_DIR="$XS_DIR/runtime" \
        "${PAGISCOPO_LAUNCH[@]}" "$PAGISCOPO" --server "$SERVER_URL" "$@" >"$XS_DIR/pagiscopo.log" 2>&1 &
    PAGISCOPO_PID=$!
    xs_track "$PAGISCOPO_PID"
    WINDOW=$(xs_wait_window "$TITLE" 60) || fail "the main window did not appear"
}
mkdir -p "$XS_DIR/runtime" && chmod 700 "$XS_DIR/runtime"

# Request lines of the access log for one path.
requests_for() { grep -F " GET $1 " "$ACCESS_LOG" || true; }
count_requests_for() { requests_for "$1" | grep -c . || true; }

# fetch PATH FILE: the page as the server sends it.
fetch() { curl -sf -o "$2" "$SERVER_URL$1"; }

# picture_matches PNG: the picture box shows exactly this image, pixel for pixel, at its top-left
# corner inside the 2-pixel border.
PICTURE_X=10
PICTURE_Y=10
picture_matches() {
    local expected=$1 shot="$XS_DIR/shot.png" crop="$XS_DIR/crop.png" size
    size=$(identify -format '%wx%h' "$expected")
    xs_shot "$WINDOW" "$shot" || return 1
    convert "$shot" -crop "${size}+${PICTURE_X}+${PICTURE_Y}" +repage "$crop" || return 1
    [ "$(compare -metric AE "$crop" "$expected" null: 2>&1)" = "0" ]
}

# click_at X Y: a left click at a point of the main window's client area.
click_at() { xdotool mousemove --window "$WINDOW" "$1" "$2" click 1; }

# Client-area geometry and state of a window, as the X server has them.
client_size() { xwininfo -id "$1" | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w "x" h}'; }
client_origin() { xwininfo -id "$1" | awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4} END{print x "," y}'; }
is_viewable() { xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'; }
is_unmapped() { ! is_viewable "$1"; }

# pixel_at PNG X Y: the colour of one pixel as RRGGBB.
pixel_at() { convert "$1" -format "%[hex:p{$2,$3}]" info: | cut -c1-6; }

# start_accessibility: a private session bus for the program, with the accessibility bus that
# at-spi-bus-launcher starts from it (and its registry, which AT-SPI clients ask for the
# applications), so that the case can see the program as a screen reader does.
start_accessibility() {
    exec 3>"$XS_DIR/bus.address"
    dbus-daemon --session --nofork --print-address=3 >"$XS_DIR/dbus.log" 2>&1 &
    xs_track $!
    exec 3>&-
    xs_poll 20 grep -q . "$XS_DIR/bus.address" || fail "the session bus did not start"
    DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$XS_DIR/bus.address")
    export DBUS_SESSION_BUS_ADDRESS
    /usr/libexec/at-spi-bus-launcher --launch-immediately >"$XS_DIR/at-spi.log" 2>&1 &
    xs_track $!
    xs_poll 20 dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress ||
        fail "at-spi-bus-launcher gave no accessibility bus"
}
# at_spi ARGS...: accessible-text.py with Debian's interpreter, which has the AT-SPI bindings,
# whatever else comes first on the path.
at_spi() { /usr/bin/python3 "$here/accessible-text.py" "$@"; }

. "$here/cases/$case_name.sh"
echo "PASS: $case_name"
