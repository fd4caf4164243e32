# Escape closes the assign dialog and the interval dialog as their close box would, also while
# their button (Assegna!, Cambia!) has the focus; nothing is written.
P=/pagiscopo/pub/tt4web/Nazionale
SLOT_FILE="$XS_DIR/config/pagiscopo/4pagina.txt"
is_active() { [ "$(xdotool getactivewindow)" = "$1" ]; }

start_pagiscopo
xs_poll 20 grep -qF " GET $P/page-100.png " "$ACCESS_LOG" || fail "start-up did not load page 100"

# The interval dialog opens with m on the scroll check box, five controls back from the page box,
# which has the focus at start.
xdotool key shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab m
INTERVAL=$(xs_wait_window "Tempo cambiamento sottopagina" 20) || fail "m on the scroll check box did not open the interval dialog"
xs_poll 20 is_active "$INTERVAL" || fail "the interval dialog did not take the focus"
# From the interval box to Cambia!.
xdotool key Tab Escape
xs_poll 20 is_unmapped "$INTERVAL" || fail "Escape with Cambia! focused left the interval dialog open"
xs_poll 20 is_active "$WINDOW" || fail "the main window did not get the focus back after the interval dialog"

# open_assign: m on Notizie (16,432, 49 x 25), which takes the focus with the click.
open_assign() {
    click_at 40 444
    xdotool key m
    DIALOG=$(xs_wait_window "Pagiscopo - Preferiti" 20) || fail "m on Notizie did not open the assign dialog"
    xs_poll 20 is_active "$DIALOG" || fail "the assign dialog did not take the focus"
}

# From the page number box past the caption box to Assegna!.
open_assign
xdotool key Tab Tab Escape
xs_poll 20 is_unmapped "$DIALOG" || fail "Escape with Assegna! focused left the assign dialog open"
xs_poll 20 is_active "$WINDOW" || fail "the main window did not get the focus back"
[ ! -e "$SLOT_FILE" ] || fail "Escape wrote the slot file"

# The same two Tabs do lead to Assegna!: space there assigns (two empty lines).
open_assign
xdotool key Tab Tab space
xs_poll 20 is_unmapped "$DIALOG" || fail "space after two Tabs did not press Assegna!"
printf '\r\n\r\n' >"$XS_DIR/expected.txt"
xs_poll 20 cmp -s "$SLOT_FILE" "$XS_DIR/expected.txt" || fail "the slot file holds: $(od -c "$SLOT_FILE" 2>&1)"

kill -0 "$PAGISCOPO_PID" || fail "the program is gone"
