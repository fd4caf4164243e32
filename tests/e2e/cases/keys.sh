# The keyboard alone drives the window: the page box at start-up, the letter keys, the window modes.
start_pagiscopo
P=/pagiscopo/pub/tt4web/Nazionale
xs_poll 20 grep -q "$P/page-100.png" "$ACCESS_LOG" || fail "start-up did not load page 100"
requests() { grep -o ' GET [^ ]*' "$ACCESS_LOG" | awk '{print $2}' | paste -sd' '; }
count() { grep -c ' GET ' "$ACCESS_LOG"; }
wait_count() { xs_poll 20 sh -c "[ \$(grep -c ' GET ' '$ACCESS_LOG') -ge $1 ]"; }

# The focus is in the page box from the start: type a page and Enter.
xdotool type --delay 30 540
xdotool key Return
wait_count 2 || fail "typing 540 and Enter asked nothing: $(requests)"
# x and z in the page box step the page and type nothing.
xdotool key x
wait_count 3 || fail "x asked nothing: $(requests)"
xdotool key z
wait_count 4 || fail "z asked nothing: $(requests)"
[ "$(requests)" = "$P/page-100.png $P/page-540.png $P/page-541.png $P/page-540.png" ] ||
    fail "requests were: $(requests)"

# Tab to the arrow button: the window's own keys work again.
above() { xprop -id "$WINDOW" _NET_WM_STATE | grep -q '_NET_WM_STATE_ABOVE'; }
not_above() { ! above; }
xdotool key Tab
# The digits open the favourites in the order of their buttons on screen, left to right: 1 is slot 4
# (Notizie, 102), 2 slot 5 (103), 3 slot 6 (200), 4 slot 7 (220), 5 slot 3 (500), 6 slot 2 (505),
# and 7 slot 1, which has no page of its own and loads the page in the box again.
last_request() { grep -o ' GET [^ ]*' "$ACCESS_LOG" | tail -n 1 | awk '{print $2}'; }
asked=4
for key_page in 1:102 2:103 3:200 4:220 5:500 6:505 7:505; do
    key=${key_page%:*}
    page=${key_page#*:}
    xdotool key "$key"
    asked=$((asked + 1))
    wait_count "$asked" || fail "$key asked nothing: $(requests)"
    [ "$(last_request)" = "$P/page-$page.png" ] || fail "$key did not open page $page: $(requests)"
done
xdotool key a
xs_poll 20 above || fail "a did not keep the window on top"
xdotool key a
xs_poll 20 not_above || fail "a again did not let the window back"

# b shrinks the window to the page and b again restores it.
size_is() { [ "$(client_size "$WINDOW")" = "$1" ]; }
xdotool key b
xs_poll 20 size_is 377x418 || fail "b gave a client area of $(client_size "$WINDOW")"
xdotool key b
xs_poll 20 size_is 519x469 || fail "b again gave a client area of $(client_size "$WINDOW")"
[ "$(count)" = "$asked" ] || fail "a digit or a mode key loaded more than its page: $(requests)"
