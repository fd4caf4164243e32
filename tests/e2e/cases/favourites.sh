# A favourite button loads its page; m on it opens the assign dialog, whose "Assegna!" writes the
# slot file and puts the caption on the button at once; the assignment survives a restart.
P=/pagiscopo/pub/tt4web/Nazionale
SLOT_FILE="$XS_DIR/config/pagiscopo/4pagina.txt"
asked_for() { grep -qF " GET $P/page-$1.png " "$ACCESS_LOG"; }

# ultime_shot FILE: the button ultime (16,432, 49 x 25) as the screen shows it, the pointer away.
ultime_shot() {
    xdotool mousemove 0 0 &&
        xs_shot "$WINDOW" "$XS_DIR/window.png" &&
        convert "$XS_DIR/window.png" -crop 49x25+16+432 +repage "$1"
}
same_picture() { [ "$(compare -metric AE "$1" "$2" null: 2>&1)" = "0" ]; }
# stable_shot FILE: a picture of ultime that two shots in a row agree on.
stable_shot() {
    ultime_shot "$XS_DIR/previous.png" && sleep 0.1 && ultime_shot "$1" && same_picture "$XS_DIR/previous.png" "$1"
}
shows_like() { ultime_shot "$XS_DIR/now.png" && same_picture "$XS_DIR/now.png" "$1"; }

start_pagiscopo
xs_poll 20 asked_for 100 || fail "start-up did not load page 100"
[ ! -e "$XS_DIR/config/pagiscopo" ] || fail "the favourites folder exists before any assignment"

# Notizie loads page 102 and keeps the focus.
click_at 40 444
xs_poll 20 asked_for 102 || fail "Notizie did not ask for page 102: $(cat "$ACCESS_LOG")"
fetch "$P/page-102.png" "$XS_DIR/page102.png" || fail "cannot fetch page 102"
xs_poll 20 picture_matches "$XS_DIR/page102.png" || fail "page 102 is not shown"
xs_poll 20 stable_shot "$XS_DIR/notizie.png" || fail "no steady picture of Notizie"

xdotool key m
DIALOG=$(xs_wait_window "Pagiscopo - Preferiti" 20) || fail "m on Notizie did not open the assign dialog"
xs_poll 20 sh -c "[ \"\$(xdotool getactivewindow)\" = $DIALOG ]" || fail "the dialog did not take the focus"
[ "$(client_size "$DIALOG")" = "209x212" ] || fail "the dialog's client area is $(client_size "$DIALOG")"
[ "$(client_origin "$DIALOG")" = "275,157" ] || fail "the dialog's client area lies at $(client_origin "$DIALOG")"
# The window manager is told: close and move only, no minimise (0x8) or maximise (0x10).
functions=$(xprop -id "$DIALOG" _MOTIF_WM_HINTS | awk -F'[=,] *' '{print $3}')
[ $((functions & 0x18)) = 0 ] && [ $((functions & 0x20)) != 0 ] || fail "the dialog's functions are $functions"
xdotool type --delay 30 540
xdotool key Tab
xdotool type --delay 30 Meteo
# Assegna lies at 64,160 (73 x 25) in the dialog.
xdotool mousemove --window "$DIALOG" 100 172 click 1
xs_poll 20 is_unmapped "$DIALOG" || fail "the dialog stayed open after Assegna!"
[ -f "$SLOT_FILE" ] || fail "no slot file at $SLOT_FILE"
printf '540\r\nMeteo\r\n' >"$XS_DIR/expected.txt"
cmp -s "$SLOT_FILE" "$XS_DIR/expected.txt" || fail "the slot file holds: $(od -c "$SLOT_FILE")"

# The caption changed at once: the button no longer looks as it did with Notizie.
xs_poll 20 sh -c "[ \"\$(xdotool getactivewindow)\" = $WINDOW ]" || fail "the main window did not get the focus back"
changed() { stable_shot "$XS_DIR/meteo.png" && ! same_picture "$XS_DIR/meteo.png" "$XS_DIR/notizie.png"; }
xs_poll 20 changed || fail "the button still shows Notizie"
asked_for 540 && fail "the dialog loaded the page"

# Closed by the window manager as a user closes it, then started again.
xdotool windowactivate --sync "$WINDOW" key alt+F4
ended() { [ ! -e "/proc/$PAGISCOPO_PID" ] || [ "$(awk '{print $3}' "/proc/$PAGISCOPO_PID/stat")" = Z ]; }
xs_poll 20 ended || fail "the program did not end when its window was closed"
wait "$PAGISCOPO_PID" || fail "the program ended with status $?"

start_pagiscopo
xs_poll 20 sh -c "[ \$(grep -cF ' GET $P/page-100.png ' '$ACCESS_LOG') -ge 2 ]" || fail "the restart did not load page 100"
click_at 40 444
xs_poll 20 asked_for 540 || fail "after the restart the favourite did not ask for page 540"
xs_poll 20 shows_like "$XS_DIR/meteo.png" || fail "after the restart the button does not show Meteo"
