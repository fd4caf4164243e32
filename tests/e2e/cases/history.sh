# Back and forward through the pages shown: Alt+Left, Alt+Right and the mouse's back button, one
# request each, and nothing typed into the page box.
start_pagiscopo
P=/pagiscopo/pub/tt4web/Nazionale
xs_poll 20 grep -q "$P/page-100.png" "$ACCESS_LOG" || fail "start-up did not load page 100"
requests() { grep -o ' GET [^ ]*' "$ACCESS_LOG" | awk '{print $2}' | paste -sd' '; }
wait_count() { xs_poll 20 sh -c "[ \$(grep -c ' GET ' '$ACCESS_LOG') -ge $1 ]"; }

# 540 typed into the page box, then favourite key 1 (Notizie, page 102) from a button.
xdotool type --delay 30 540
xdotool key Return
wait_count 2 || fail "540 was not asked for: $(requests)"
xdotool key Tab
xdotool key 1
wait_count 3 || fail "1 did not open page 102: $(requests)"

xdotool key alt+Left
wait_count 4 || fail "the first Alt+Left asked nothing: $(requests)"
xdotool key alt+Left
wait_count 5 || fail "the second Alt+Left asked nothing: $(requests)"
xdotool key alt+Right
wait_count 6 || fail "the first Alt+Right asked nothing: $(requests)"
xdotool key alt+Right
wait_count 7 || fail "the second Alt+Right asked nothing: $(requests)"
# The mouse's back button (X button 8) over the picture.
xdotool mousemove --window "$WINDOW" 180 200 click 8
wait_count 8 || fail "the mouse's back button asked nothing: $(requests)"

expected="$P/page-100.png $P/page-540.png $P/page-102.png $P/page-540.png $P/page-100.png $P/page-540.png"
expected="$expected $P/page-102.png $P/page-540.png"
sleep 0.5 # a second load of any of them would show by now
[ "$(requests)" = "$expected" ] || fail "requests were: $(requests)"
fetch "$P/page-540.png" "$XS_DIR/page540.png" || fail "cannot fetch page 540"
xs_poll 20 picture_matches "$XS_DIR/page540.png" || fail "the picture box does not show page 540"
