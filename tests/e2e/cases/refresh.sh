# The page shown is asked for again when the 30-second auto-refresh comes round.
start_pagiscopo
P=/pagiscopo/pub/tt4web/Nazionale
xs_poll 20 grep -q "$P/page-100.png" "$ACCESS_LOG" || fail "start-up did not load page 100"
started=$SECONDS
xs_poll 45 sh -c "[ \$(grep -cF ' GET $P/page-100.png ' '$ACCESS_LOG') -ge 2 ]" || fail "no second request within 45 s"
elapsed=$((SECONDS - started))
[ "$elapsed" -ge 27 ] || fail "the page was asked again after $elapsed s, before 30 s"
[ "$(grep -c ' GET ' "$ACCESS_LOG")" = 2 ] || fail "unexpected requests: $(cat "$ACCESS_LOG")"
