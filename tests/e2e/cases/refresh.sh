# The page shown is asked for again when the 30-second auto-refresh comes round.
start_pagiscopo
P=/pagiscopo/pub/tt4web/Nazionale
xs_poll 20 grep -q "$P/page-100.png" "$ACCESS_LOG" || fail "start-up did not load page 100"
started=$SECONDS
xs_poll 45 sh -c "[ \$(grep -cF ' GET $P/page-100.png ' '$ACCESS_LOG') -ge 2 ]" || fail "no second request within 45 s"
elapsed=$((SECONDS - started))
[ "$elapsed" -ge 27 ] || fail "the page was asked again after $elapsed s, before 30 s"
[ "$(grep -c ' GET ' "$ACCESS_LOG")" = 2 ] || fail "unexpected requests: $(cat "$ACCESS_LOG")"

# After No to a missing page the page box keeps its number; the refresh asks for it again and
# finds it missing again, but asks the question of nobody and leaves the picture as it was.
missing=""
for page in $(seq 101 199); do
    fetch "$P/page-$page.png" "$XS_DIR/probe.png" || { missing=$page; break; }
done
[ -n "$missing" ] || fail "the sample server has no missing page between 101 and 199"
question() { xs_wait_window Pagiscopo 1; }
xs_shot "$WINDOW" "$XS_DIR/before.png" || fail "no screenshot"
xdotool windowactivate --sync "$WINDOW"
xdotool key ctrl+a type "$missing"
xdotool key Return
QUESTION=$(xs_wait_window Pagiscopo 20) || fail "no question for the missing page $missing"
xdotool windowactivate --sync "$QUESTION" key n
xs_poll 20 sh -c "! xdotool search --onlyvisible --name '^Pagiscopo\$'" || fail "the question did not go on No"
asked=$(count_requests_for "$P/page-$missing.png")
xs_poll 45 sh -c "[ \$(grep -cF ' GET $P/page-$missing.png ' '$ACCESS_LOG') -gt $asked ]" ||
    fail "the refresh did not ask for page $missing again"
sleep 1
question && fail "the refresh asked about the missing page $missing"
requests_for "$P/page-$((missing - 1)).png" | grep -q '"VB_APP"$' && fail "the refresh searched for another page"
xs_shot "$WINDOW" "$XS_DIR/after.png" || fail "no screenshot"
convert "$XS_DIR/before.png" -crop 360x400+10+10 +repage "$XS_DIR/before-page.png"
convert "$XS_DIR/after.png" -crop 360x400+10+10 +repage "$XS_DIR/after-page.png"
[ "$(compare -metric AE "$XS_DIR/before-page.png" "$XS_DIR/after-page.png" null: 2>&1)" = 0 ] ||
    fail "the picture changed after the refresh of a missing page"
