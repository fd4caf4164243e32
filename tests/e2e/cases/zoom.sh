# screen: 1600x1400x24
# Ctrl+plus doubles every page pixel and grows the window by one page; the zoom is there again
# after a restart, and Ctrl+0 gives back the window of the layout exactly.
start_pagiscopo
P=/pagiscopo/pub/tt4web/Nazionale
xs_poll 20 grep -q "$P/page-100.png" "$ACCESS_LOG" || fail "start-up did not load page 100"
fetch "$P/page-100.png" "$XS_DIR/page100.png" || fail "cannot fetch page 100"
convert "$XS_DIR/page100.png" -scale 200% "$XS_DIR/page100x2.png" || fail "cannot scale page 100"
size_is() { [ "$(client_size "$WINDOW")" = "$1" ]; }

xdotool key ctrl+plus
xs_poll 20 size_is 879x869 || fail "Ctrl+plus gave a client area of $(client_size "$WINDOW")"
xs_poll 20 picture_matches "$XS_DIR/page100x2.png" || fail "the picture at x2 is not page 100 in 2 x 2 blocks"
# The controls moved with the picture: avanti now lies at 448 + 360.
xdotool mousemove --window "$WINDOW" 832 100 click 1
xs_poll 20 grep -q "$P/page-101.png" "$ACCESS_LOG" || fail "avanti is not where x2 puts it"
grep -q 'zoom=2' "$XS_DIR/config/pagiscopo/pagiscopo.conf" || fail "the zoom was not kept: $(cat "$XS_DIR/config/pagiscopo/pagiscopo.conf" 2>&1)"

# Closed (SIGTERM closes it as its close box does); the next start opens at x2.
kill "$PAGISCOPO_PID"
xs_poll 20 sh -c "! kill -0 $PAGISCOPO_PID 2>/dev/null" || fail "the program did not end"
xs_untrack "$PAGISCOPO_PID"
start_pagiscopo
xs_poll 20 size_is 879x869 || fail "after a restart the client area is $(client_size "$WINDOW")"
xs_poll 20 picture_matches "$XS_DIR/page100x2.png" || fail "after a restart the picture is not at x2"

xdotool key ctrl+0
xs_poll 20 size_is 519x469 || fail "Ctrl+0 gave a client area of $(client_size "$WINDOW")"
xs_poll 20 picture_matches "$XS_DIR/page100.png" || fail "Ctrl+0 did not show the page at its size"
