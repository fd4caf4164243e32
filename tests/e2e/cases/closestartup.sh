# Closed while the first page is still on its way, the program ends there and then: with the close
# box, and with SIGTERM or SIGINT, whether the window has appeared yet or not. It does not wait for
# the server, shows no window afterwards, exits with status 0 and leaves no private folder.
SLOW_LOG="$XS_DIR/slow-access.log"
"$SERVER" --port 0 --fixed-time --latency-ms 60000 --access-log "$SLOW_LOG" >"$XS_DIR/slow.out" 2>"$XS_DIR/slow.log" &
xs_track $!
xs_poll 20 grep -q 'http://' "$XS_DIR/slow.out" || fail "the slow server did not start"
SERVER_URL=$(grep -o 'http://[^ ]*' "$XS_DIR/slow.out" | head -n 1)
RUNTIME="$XS_DIR/runtime"
PAGISCOPO_LAUNCH=(env --default-signal=INT)
private_folder() { ls -d "$RUNTIME"/pagiscopo-"$1"-?????? 2>/dev/null; }

# ended PID WHAT: the program has ended with status 0, before the server answered its first request.
ended() {
    xs_poll 20 sh -c "! kill -0 $1" || fail "still running 20 s after $2"
    local status=0
    wait "$1" || status=$?
    [ "$status" = 0 ] || fail "exit status $status after $2"
    [ ! -s "$SLOW_LOG" ] || fail "the program waited for the server after $2"
    [ -z "$(private_folder "$1")" ] || fail "the private folder outlived $2"
    grep -q "closed while the first page was loading" "$XS_DIR/pagiscopo.log" ||
        fail "the program did not see that it was closed during start-up after $2"
}

start_pagiscopo
# A loaded machine may map the window before the window manager gives it the keyboard: press
# again until the window goes, as a user would.
close_box() {
    xdotool windowactivate --sync "$WINDOW" key alt+F4 2>/dev/null
    sleep 0.5
    ! kill -0 "$PAGISCOPO_PID" 2>/dev/null
}
xs_poll 20 close_box || fail "the close box did not close the window"
ended "$PAGISCOPO_PID" "the close box"

for signal in TERM INT; do
    start_pagiscopo
    kill -s "$signal" "$PAGISCOPO_PID"
    ended "$PAGISCOPO_PID" "SIG$signal"
done

# A signal before the window has appeared: as soon as the private folder exists.
XDG_CONFIG_HOME="$XS_DIR/config" XDG_RUNTIME_DIR="$RUNTIME" \
    env --default-signal=INT "$PAGISCOPO" --server "$SERVER_URL" >"$XS_DIR/pagiscopo.log" 2>&1 &
PAGISCOPO_PID=$!
xs_track "$PAGISCOPO_PID"
xs_poll 20 private_folder "$PAGISCOPO_PID" || fail "no private folder for process $PAGISCOPO_PID"
kill -s TERM "$PAGISCOPO_PID"
ended "$PAGISCOPO_PID" "SIGTERM before the window appeared"
