# The arrow buttons and "Vai", clicked with the mouse, step the page and reload it.
start_pagiscopo
xs_poll 20 grep -q 'Nazionale/page-100.png' "$ACCESS_LOG" || fail "start-up did not load page 100"
requests() { grep -o ' GET [^ ]*' "$ACCESS_LOG" | awk '{print $2}' | paste -sd' '; }
P=/pagiscopo/pub/tt4web/Nazionale

# avanti lies at 448,80 (49 x 41), indietro at 392,80, vai at 448,32 (33 x 33).
click_at 472 100
xs_poll 20 sh -c "grep -qF ' GET $P/page-101.png ' '$ACCESS_LOG'" || fail "avanti did not ask for page 101: $(requests)"
click_at 416 100
xs_poll 20 sh -c "[ \$(grep -c ' GET ' '$ACCESS_LOG') -ge 3 ]" || fail "indietro asked nothing: $(requests)"
click_at 464 48
xs_poll 20 sh -c "[ \$(grep -c ' GET ' '$ACCESS_LOG') -ge 4 ]" || fail "vai asked nothing: $(requests)"
expected="$P/page-100.png $P/page-101.png $P/page-100.png $P/page-100.png"
[ "$(requests)" = "$expected" ] || fail "requests were: $(requests)"
fetch "$P/page-100.png" "$XS_DIR/page100.png" || fail "cannot fetch page 100"
xs_poll 20 picture_matches "$XS_DIR/page100.png" || fail "the picture box does not show page 100 again"
