# The windows' texts come out at their sizes and weights on the real screen, measured in
# screenshots: the height of the first capital or digit and the width of the strokes (tenths of a
# pixel), for the small regular window font, the bold page box, the assign dialog's and the interval
# dialog's large bold labels and boxes; the author's name and the scroll check box's caption at
# 999 seconds stay whole inside their controls.
: "${INK_MEASURE:?the ink-measure program}"
# measure NAME PNG X Y W H: the text in that area; sets glyph, stroke10, ink and the ink's box
# (left top right bottom, within the area) and says what it found.
measure() {
    local name=$1 result
    shift
    result=$("$INK_MEASURE" "$@") || fail "cannot measure $name"
    echo "$name: $result"
    eval "$result"
    [ "$ink" -gt 0 ] || fail "no text in $name"
}
# within NAME VALUE LOW HIGH
within() { [ "$2" -ge "$3" ] && [ "$2" -le "$4" ] || fail "$1 is $2, not within $3..$4"; }

P=/pagiscopo/pub/tt4web/Nazionale
start_pagiscopo
xs_poll 20 grep -q "$P/page-100.png" "$ACCESS_LOG" || fail "start-up did not load page 100"
# Out of the page box, so no text cursor stands in its digits.
xdotool key Tab
sleep 0.3
shot="$XS_DIR/main.png"
xs_shot "$WINDOW" "$shot" || fail "no screenshot of the main window"
# "Sotto-pagina" (Frame3's Label1 at 384,136): the windows' font, 8.25 pt regular, an 11-pixel em.
measure "Sotto-pagina" "$shot" 384 136 65 16
within "its capitals" "$glyph" 7 9
within "its strokes" "$stroke10" 8 12
# The page box (392,32, 49 x 33) inside its frame: Tahoma 15.75 pt bold, a 21-pixel em, where the
# regular weight draws strokes of 2 pixels.
measure "the page box" "$shot" 395 35 43 27
within "its digits" "$glyph" 13 17
within "its strokes" "$stroke10" 28 60

# The author's name (Label2 at 184,0, 65 x 25): Tw Cen MT 14.25 pt, a 19-pixel em, all of it.
click_at 440 360
ABOUT=$(xs_wait_window "About - zorvik!" 20) || fail "the about window did not open"
xs_shot "$ABOUT" "$XS_DIR/about.png" || fail "no screenshot of the about window"
measure "Zorvik88" "$XS_DIR/about.png" 184 0 65 25
within "its capitals" "$glyph" 12 16
[ "$right" -lt 64 ] || fail "Zorvik88 runs into the label's right edge: cut off"
xdotool key alt+F4
xs_poll 20 is_unmapped "$ABOUT" || fail "the about window did not close"

# The assign dialog: its labels 12 pt bold (a 16-pixel em), the page number 13.5 pt bold (18), the
# caption 9.75 pt bold (13).
click_at 40 444
xdotool key m
DIALOG=$(xs_wait_window "Pagiscopo - Preferiti" 20) || fail "m on Notizie did not open the assign dialog"
xdotool type --delay 30 540
xdotool key Tab
xdotool type --delay 30 Meteo
xdotool key Tab # to Assegna!, so no text cursor stands in the boxes
sleep 0.3
xs_shot "$DIALOG" "$XS_DIR/assign.png" || fail "no screenshot of the assign dialog"
measure "Numero della pagina" "$XS_DIR/assign.png" 24 16 209 24
within "its capitals" "$glyph" 10 13
within "its strokes" "$stroke10" 18 40
measure "the page number" "$XS_DIR/assign.png" 27 43 43 22
within "its digits" "$glyph" 11 15
within "its strokes" "$stroke10" 25 60
measure "the caption" "$XS_DIR/assign.png" 27 115 83 13
within "its capitals" "$glyph" 8 11
within "its strokes" "$stroke10" 18 40
xdotool key alt+F4
xs_poll 20 is_unmapped "$DIALOG" || fail "the assign dialog did not close"

# The interval dialog's label (8,8, 297 x 49), 12 pt bold; then 999 seconds, the longest interval,
# into scorri1's caption (at 384,248, 121 x 33; the caption from 15 pixels in).
click_at 400 256
xdotool key m
INTERVAL=$(xs_wait_window "Tempo cambiamento sottopagina" 20) || fail "m on scorri1 did not open the interval dialog"
xs_shot "$INTERVAL" "$XS_DIR/interval.png" || fail "no screenshot of the interval dialog"
measure "Intervallo di tempo" "$XS_DIR/interval.png" 8 8 297 49
within "its capitals" "$glyph" 10 13
within "its strokes" "$stroke10" 18 40
xdotool type --delay 30 999
# Cambia! lies at 112,104 (89 x 25) in the dialog.
xdotool mousemove --window "$INTERVAL" 156 116 click 1
xs_poll 20 is_unmapped "$INTERVAL" || fail "Cambia! did not close the interval dialog"
sleep 0.3
xs_shot "$WINDOW" "$shot" || fail "no screenshot of the main window"
measure "the scroll caption" "$shot" 399 248 106 33
# A line that does not fit is cut at the box's top and bottom edges.
[ "$top" -ge 1 ] && [ "$bottom" -le 31 ] || fail "the caption reaches rows $top..$bottom of 0..32: cut off"
