# Choosing another edition in the edition list with the mouse asks for the same page from that
# edition, and shows it.
start_pagiscopo
xs_poll 20 grep -q 'Nazionale/page-100.png' "$ACCESS_LOG" || fail "start-up did not load page 100"

# Open the list: Combo1 lies at 392,392 and is 81 x 21 pixels.
xdotool mousemove --window "$WINDOW" 432 402 click 1
popup_geometry() {
    local id
    for id in $(xdotool search --onlyvisible --class pagiscopo 2>/dev/null); do
        [ "$id" = "$WINDOW" ] && continue
        xwininfo -id "$id" | awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4}
                                  /Width:/{w=$2} /Height:/{h=$2} END{if (h > 200) print x, y, w, h; else exit 1}'
        return
    done
    return 1
}
xs_poll 20 popup_geometry || fail "the edition list did not open"
read -r px py pw ph < <(popup_geometry)
# All 22 editions show at once, one row each; "Lazio" is the ninth.
row_height=$((ph / 22))
LAZIO=/pagiscopo/pub/tt4web/Lazio/page-100.png
# A list that has just opened ignores a release for a moment (so the opening click does not pick an
# entry): click the entry until the list takes it and closes.
pick_lazio() {
    if popup_geometry >/dev/null; then
        xdotool mousemove $((px + pw / 2)) $((py + row_height * 8 + row_height / 2)) click 1
        return 1
    fi
    grep -qF " GET $LAZIO " "$ACCESS_LOG"
}
xs_poll 20 pick_lazio || fail "choosing Lazio did not ask for $LAZIO"
[ "$(grep -c ' GET ' "$ACCESS_LOG")" = 2 ] || fail "expected exactly two requests: $(cat "$ACCESS_LOG")"
fetch "$LAZIO" "$XS_DIR/lazio100.png" || fail "cannot fetch $LAZIO"
xs_poll 20 picture_matches "$XS_DIR/lazio100.png" || fail "the picture box does not show Lazio's page 100"
