# "Metti in TrayBar" hides the window behind an icon in the tray; a left click on the icon brings
# the window back and takes the icon away.
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
click_at 440 312
xs_poll 20 is_unmapped "$WINDOW" || fail "the window is still mapped"
xs_poll 20 tray_icon || fail "no icon appeared in the tray"
icon=$(tray_icon)
read -r ix iy iw ih < <(xwininfo -id "$icon" | awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4}
                                              /Width:/{w=$2} /Height:/{h=$2} END{print x, y, w, h}')
xdotool mousemove $((ix + iw / 2)) $((iy + ih / 2)) click 1
xs_poll 20 is_viewable "$WINDOW" || fail "a left click on the icon did not bring the window back"
xs_poll 20 no_tray_icon || fail "the icon stayed in the tray"
[ "$(client_size "$WINDOW")" = "519x469" ] || fail "the window came back at $(client_size "$WINDOW")"
