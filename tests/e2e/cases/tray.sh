# "Metti in TrayBar" hides the window behind an icon in the tray; a left press or a right click on
# the icon brings the window back and takes the icon away.
start_pagiscopo
tray_icon() {
    # The icon is a window of ours that the tray has embedded, smaller than any of our windows.
    local id
    for id in $(xdotool search --class pagiscopo 2>/dev/null); do
        [ "$id" = "$WINDOW" ] && continue
        xwininfo -id "$id" 2>/dev/null | awk '/Map State: IsViewable/{v=1} /Width:/{w=$2} /Height:/{h=$2}
            END{exit !(v && w > 0 && w <= 64 && h > 0 && h <= 64)}' && { echo "$id"; return 0; }
    done
    return 1
}
no_tray_icon() { ! tray_icon; }
no_tray_icon || fail "an icon is in the tray before the window was sent there"

# traybar1 lies at 392,304 (97 x 17).
send_to_tray() {
    click_at 440 312
    xs_poll 20 is_unmapped "$WINDOW" || fail "the window is still mapped"
    xs_poll 20 tray_icon || fail "no icon appeared in the tray"
    icon=$(tray_icon)
    read -r ix iy iw ih < <(xwininfo -id "$icon" | awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4}
                                                  /Width:/{w=$2} /Height:/{h=$2} END{print x, y, w, h}')
    xdotool mousemove $((ix + iw / 2)) $((iy + ih / 2))
}
alive() {
    kill -0 "$PAGISCOPO_PID" 2>/dev/null && return 0
    local status=0
    wait "$PAGISCOPO_PID" || status=$?
    fail "the program died with status $status"
}

send_to_tray
xdotool click 1
xs_poll 20 is_viewable "$WINDOW" || fail "a left click on the icon did not bring the window back"
xs_poll 20 no_tray_icon || fail "the icon stayed in the tray"
[ "$(client_size "$WINDOW")" = "519x469" ] || fail "the window came back at $(client_size "$WINDOW")"

# A right click does the same on the button's release. Removing the icon while Qt still
# delivered the right press to it used to take the program down.
for round in 1 2 3; do
    send_to_tray
    xdotool click 3
    xs_poll 20 is_viewable "$WINDOW" || { alive; fail "right click $round on the icon did not bring the window back"; }
    xs_poll 20 no_tray_icon || fail "the icon stayed in the tray after right click $round"
    alive
done

# The press alone keeps the window in the tray; the release brings it back.
send_to_tray
xdotool mousedown 3
sleep 1
alive
is_unmapped "$WINDOW" || fail "the window came back on the right press, before the release"
tray_icon >/dev/null || fail "the icon went away on the right press, before the release"
xdotool mouseup 3
xs_poll 20 is_viewable "$WINDOW" || fail "releasing the right button on the icon did not bring the window back"
xs_poll 20 no_tray_icon || fail "the icon stayed in the tray after the right release"
sleep 0.5
alive

# Closed while it sits in the tray: the program ends cleanly and leaves no icon behind.
send_to_tray
kill -TERM "$PAGISCOPO_PID"
status=0
wait "$PAGISCOPO_PID" || status=$?
[ "$status" = 0 ] || fail "closing from the tray ended the program with status $status"
no_tray_icon || fail "an icon is left in the tray after the program ended"
