# "Togli pulsanti" shrinks the window to the page picture.
start_pagiscopo
origin=$(client_origin "$WINDOW")
# soloimma lies at 392,320 (97 x 17).
click_at 440 328
xs_poll 20 sh -c "[ \"\$(xwininfo -id $WINDOW | awk '/Width:/{w=\$2} /Height:/{h=\$2} END{print w \"x\" h}')\" = 377x418 ]" ||
    fail "image-only client area is $(client_size "$WINDOW"), not 377x418"
[ "$(client_origin "$WINDOW")" = "$origin" ] || fail "the window moved: $origin -> $(client_origin "$WINDOW")"
fetch /pagiscopo/pub/tt4web/Nazionale/page-100.png "$XS_DIR/page100.png" || fail "cannot fetch page 100"
xs_poll 20 picture_matches "$XS_DIR/page100.png" || fail "the picture box does not show page 100 in image-only mode"
