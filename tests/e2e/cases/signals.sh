# SIGTERM, SIGINT and SIGHUP close the program as its close box does: the window's unload runs,
# the private folder goes and the exit status is 0. A run killed outright leaves its folder behind;
# the next start removes it and touches nothing else in the runtime folder.
RUNTIME="$XS_DIR/runtime"
export QT_LOGGING_RULES="pagiscopo.*.debug=true"
running() { kill -0 "$1" 2>/dev/null; }
private_folder() { ls -d "$RUNTIME"/pagiscopo-"$1"-?????? 2>/dev/null; }

for signal in TERM INT HUP; do
    # A shell starts background jobs with SIGINT ignored; a desktop starts programs without that.
    PAGISCOPO_LAUNCH=(env --default-signal=INT)
    start_pagiscopo
    folder=$(private_folder "$PAGISCOPO_PID") || fail "no private folder for process $PAGISCOPO_PID"
    kill -s "$signal" "$PAGISCOPO_PID"
    xs_poll 30 sh -c "! kill -0 $PAGISCOPO_PID" || fail "still running 30 s after SIG$signal"
    status=0
    wait "$PAGISCOPO_PID" || status=$?
    [ "$status" = 0 ] || fail "exit status $status after SIG$signal"
    [ ! -e "$folder" ] || fail "the private folder outlived SIG$signal"
    grep -q "SIG$signal received: closing" "$XS_DIR/pagiscopo.log" || fail "SIG$signal was not handled"
    grep -q "Form_Unload" "$XS_DIR/pagiscopo.log" || fail "the window's unload did not run on SIG$signal"
done

# Neighbours in the runtime folder that are not ours.
mkdir -m 700 "$RUNTIME/pagiscopo-other" "$RUNTIME/some-service"
echo keep >"$RUNTIME/some-service/socket-like"
echo keep >"$RUNTIME/pagiscopo-1-abcdef"

PAGISCOPO_LAUNCH=()
start_pagiscopo
killed=$PAGISCOPO_PID
leftover=$(private_folder "$killed") || fail "no private folder for process $killed"
kill -s KILL "$killed"
wait "$killed" 2>/dev/null || true
[ -d "$leftover" ] || fail "SIGKILL left no folder behind to clean up"

start_pagiscopo
[ ! -e "$leftover" ] || fail "the folder left by the killed run is still there"
private_folder "$PAGISCOPO_PID" >/dev/null || fail "the new run has no private folder"
[ -d "$RUNTIME/pagiscopo-other" ] && [ -f "$RUNTIME/some-service/socket-like" ] &&
    [ -f "$RUNTIME/pagiscopo-1-abcdef" ] || fail "the start touched something that is not its own"
grep -Eq "removed the private folder \"?pagiscopo-$killed-" "$XS_DIR/pagiscopo.log" ||
    fail "the clean-up was not logged"
kill -s TERM "$PAGISCOPO_PID"
status=0
wait "$PAGISCOPO_PID" || status=$?
[ "$status" = 0 ] || fail "exit status $status after SIGTERM"
