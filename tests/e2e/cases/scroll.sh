# s turns subpage auto-scroll on; one interval (10 s) later the next subpage is asked for.
start_pagiscopo
P=/pagiscopo/pub/tt4web/Nazionale
xs_poll 20 grep -q "$P/page-100.png" "$ACCESS_LOG" || fail "start-up did not load page 100"
# Leave the page box, where letters only act on the box's own terms, for the arrow button.
xdotool key Tab
xdotool key s
started=$SECONDS
xs_poll 30 grep -qF " GET $P/page-100.2.png " "$ACCESS_LOG" || fail "no subpage 2 within 30 s of s"
elapsed=$((SECONDS - started))
[ "$elapsed" -ge 8 ] || fail "subpage 2 came after $elapsed s, before a full interval"
