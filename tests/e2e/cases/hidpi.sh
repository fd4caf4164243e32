# screen: 1600x1400x24
# On a screen scaled by 2 every page pixel is an exact 2 x 2 block; a screen of 144 dots per inch
# (a scale of 1.5) is rounded to 2 rather than drawn with uneven pixels.
P=/pagiscopo/pub/tt4web/Nazionale
fetch "$P/page-100.png" "$XS_DIR/page100.png" || fail "cannot fetch page 100"
convert "$XS_DIR/page100.png" -scale 200% "$XS_DIR/page100x2.png" || fail "cannot scale page 100"
size_is() { [ "$(client_size "$WINDOW")" = "$1" ]; }
PICTURE_X=20
PICTURE_Y=20

PAGISCOPO_LAUNCH=(env QT_SCALE_FACTOR=2)
start_pagiscopo
xs_poll 20 size_is 1038x938 || fail "at scale 2 the client area is $(client_size "$WINDOW")"
xs_poll 20 picture_matches "$XS_DIR/page100x2.png" || fail "at scale 2 the page is not in 2 x 2 blocks"
kill "$PAGISCOPO_PID"
xs_poll 20 sh -c "! kill -0 $PAGISCOPO_PID 2>/dev/null" || fail "the program did not end"
xs_untrack "$PAGISCOPO_PID"

# The desktop's own font resolution, as a desktop sets it for a 150 % screen.
xprop -root -f RESOURCE_MANAGER 8s -set RESOURCE_MANAGER "Xft.dpi:	144" || fail "cannot set Xft.dpi"
PAGISCOPO_LAUNCH=()
start_pagiscopo
xs_poll 20 size_is 1038x938 || fail "at 144 dpi the client area is $(client_size "$WINDOW"), not a whole scale of 2"
xs_poll 20 picture_matches "$XS_DIR/page100x2.png" || fail "at 144 dpi the page is not in 2 x 2 blocks"
