# Ticking "Sempre in primo piano" keeps the window above the others in place; clearing it lets it
# back among them.
start_pagiscopo
above() { xprop -id "$WINDOW" _NET_WM_STATE | grep -q '_NET_WM_STATE_ABOVE'; }
not_above() { ! above; }
before_origin=$(client_origin "$WINDOW")
before_size=$(client_size "$WINDOW")
not_above || fail "the window is on top before Check1 is ticked"

# Check1 lies at 384,208 (121 x 33).
click_at 400 224
xs_poll 20 above || fail "ticking Check1 did not set _NET_WM_STATE_ABOVE: $(xprop -id "$WINDOW" _NET_WM_STATE)"
is_viewable "$WINDOW" || fail "the window is no longer mapped after going on top"
[ "$(client_origin "$WINDOW")" = "$before_origin" ] || fail "the window moved: $before_origin -> $(client_origin "$WINDOW")"
[ "$(client_size "$WINDOW")" = "$before_size" ] || fail "the window changed size: $(client_size "$WINDOW")"
# Still the same native window: re-creating it would have given a new id.
[ "$(xdotool search --onlyvisible --name "^${TITLE}\$" | head -n 1)" = "$WINDOW" ] || fail "the window was re-created"

click_at 400 224
xs_poll 20 not_above || fail "clearing Check1 did not clear _NET_WM_STATE_ABOVE"
[ "$(client_origin "$WINDOW")" = "$before_origin" ] || fail "the window moved when cleared"
[ "$(client_size "$WINDOW")" = "$before_size" ] || fail "the window changed size when cleared"
