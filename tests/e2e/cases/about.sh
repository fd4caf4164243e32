# The About button opens the about window; a click on the link runs the desktop's URL opener and
# leaves the about window open.
OPENED="$XS_DIR/opened"
mkdir -p "$XS_DIR/bin"
cat >"$XS_DIR/bin/xdg-open" <<SCRIPT
#!/bin/sh
echo "\$@" >>"$OPENED"
SCRIPT
chmod +x "$XS_DIR/bin/xdg-open"
PATH="$XS_DIR/bin:$PATH" start_pagiscopo
# About lies at 392,352 (97 x 17).
click_at 440 360
ABOUT=$(xs_wait_window "About - zorvik!" 20) || fail "the about window did not open"
[ "$(client_size "$ABOUT")" = "394x184" ] || fail "the about window is $(client_size "$ABOUT")"
# The link (Label5) lies at 32,96 (337 x 17).
xdotool mousemove --window "$ABOUT" 60 104 click 1
xs_poll 20 test -s "$OPENED" || fail "the link opened nothing"
grep -qx 'http://www.example.org/pagiscopo/' "$OPENED" || fail "the link opened: $(cat "$OPENED")"
is_viewable "$ABOUT" || fail "the about window closed on the click"
