# A missing page, the question, Yes: the search ends on the nearest page below, which the
# picture box shows, having asked for nothing beyond a few pages past it.
start_pagiscopo
P=/pagiscopo/pub/tt4web/Nazionale
xs_poll 20 grep -q "$P/page-100.png" "$ACCESS_LOG" || fail "start-up did not load page 100"
requests() { grep -o ' GET [^ ]*' "$ACCESS_LOG" | awk '{print $2}' | paste -sd' '; }

# The sample server's gap below 150, as the server itself has it.
fetch "$P/page-150.png" "$XS_DIR/probe.png" && fail "page 150 exists on the sample server"
nearest=""
for page in $(seq 149 -1 100); do
    fetch "$P/page-$page.png" "$XS_DIR/nearest.png" && { nearest=$page; break; }
done
[ -n "$nearest" ] && [ "$nearest" -lt 145 ] || fail "no gap of some length below 150 (nearest: $nearest)"
# The server logs a request once it has answered it, so a probe's line can come after curl has
# returned; wait for all of them before emptying the log, or they land among the program's.
probes_logged() {
    [ "$(grep -c "/page-1[0-9][0-9]\.png .*\"curl/" "$ACCESS_LOG")" -ge $((151 - nearest)) ]
}
xs_poll 10 probes_logged || fail "the server did not log the probes of pages 150 to $nearest"
: >"$ACCESS_LOG"

xdotool windowactivate --sync "$WINDOW"
xdotool key ctrl+a type 150
xdotool key Return
QUESTION=$(xs_wait_window Pagiscopo 20) || fail "no question for the missing page 150"
# Yes is the default button.
xdotool windowactivate --sync "$QUESTION" key Return
xs_poll 20 picture_matches "$XS_DIR/nearest.png" || fail "the picture box does not show page $nearest: $(requests)"
xs_poll 10 sh -c "! xdotool search --onlyvisible --name '^Pagiscopo\$'" || fail "the question stayed"
grep -q "page search found page $nearest" "$XS_DIR/pagiscopo.log" || fail "the log does not say the search found $nearest"

# The first request is the page asked for; then every page of the gap, each once, and at most
# five beyond the one found.
first=$(grep -o ' GET [^ ]*' "$ACCESS_LOG" | head -n 1 | awk '{print $2}')
[ "$first" = "$P/page-150.png" ] || fail "the first request was $first"
for page in $(seq 149 -1 "$nearest"); do
    [ "$(grep -cF " GET $P/page-$page.png " "$ACCESS_LOG")" = 1 ] || fail "page $page was not asked once: $(requests)"
done
for page in $(grep -o ' GET [^ ]*' "$ACCESS_LOG" | sed -n 's|.*/page-\([0-9]*\)\.png$|\1|p'); do
    [ "$page" -le 150 ] && [ "$page" -ge $((nearest - 5)) ] || fail "page $page was asked for: $(requests)"
done
