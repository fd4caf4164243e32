# Start-up asks for page 100 of the national edition exactly once, as VB_APP, and shows its pixels
# exactly inside the picture box.
PAGE100=/pagiscopo/pub/tt4web/Nazionale/page-100.png
start_pagiscopo
[ "$(count_requests_for "$PAGE100")" = 1 ] || fail "page 100 was asked $(count_requests_for "$PAGE100") times"
[ "$(grep -c ' GET ' "$ACCESS_LOG")" = 1 ] || fail "start-up made more than one request: $(cat "$ACCESS_LOG")"
requests_for "$PAGE100" | grep -q '"VB_APP"$' || fail "wrong user agent: $(requests_for "$PAGE100")"
fetch "$PAGE100" "$XS_DIR/page100.png" || fail "cannot fetch page 100 from the server"
xs_poll 20 picture_matches "$XS_DIR/page100.png" || fail "the picture box does not show page 100 exactly"
# The window is laid out in twips: 7785 x 7035 client area.
geometry=$(xwininfo -id "$WINDOW" | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w "x" h}')
[ "$geometry" = "519x469" ] || fail "client area is $geometry, not 519x469"
# Its client area opens at 2175, 780 twips on the screen, inside the frame the window manager adds.
origin=$(client_origin "$WINDOW")
[ "$origin" = "145,52" ] || fail "the client area lies at $origin, not 145,52"
