# Against a server that takes a minute to answer, the window appears at once, waiting, and Escape
# ends the wait.
SLOW_LOG="$XS_DIR/slow-access.log"
"$SERVER" --port 0 --fixed-time --latency-ms 60000 --access-log "$SLOW_LOG" >"$XS_DIR/slow.out" 2>"$XS_DIR/slow.log" &
xs_track $!
xs_poll 20 grep -q 'http://' "$XS_DIR/slow.out" || fail "the slow server did not start"
SERVER_URL=$(grep -o 'http://[^ ]*' "$XS_DIR/slow.out" | head -n 1)
started=$SECONDS
start_pagiscopo
[ $((SECONDS - started)) -lt 20 ] || fail "the window took $((SECONDS - started)) s to appear"
# The server has not answered yet: the window appeared while it waited.
[ ! -s "$SLOW_LOG" ] || fail "the server answered before the window appeared"
# The wait notice lies across the picture box's upper part, dark on the empty box.
dark_notice() {
    xs_shot "$WINDOW" "$XS_DIR/wait.png" && [ "$(convert "$XS_DIR/wait.png" -crop 100x10+140+75 +repage -colorspace Gray -format '%[fx:mean<0.4]' info:)" = 1 ]
}
xs_poll 10 dark_notice || fail "no wait notice over the picture box"
xdotool key Escape
xs_poll 10 grep -q 'download is cancelled' "$XS_DIR/pagiscopo.log" || fail "Escape did not cancel the download"
no_notice() { ! dark_notice; }
xs_poll 10 no_notice || fail "the wait notice stayed after Escape"
is_viewable "$WINDOW" || fail "the window went away"
