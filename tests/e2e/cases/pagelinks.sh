# A page number printed on the page is a link once the page has been read: over it a tip says
# where it goes (read through AT-SPI, as a screen reader would), and a left click asks the server
# for that page and puts its number in the page box, as if typed.
start_accessibility
PAGISCOPO_LAUNCH=(env QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_LOGGING_RULES=pagiscopo.text.debug=true)
start_pagiscopo
P=/pagiscopo/pub/tt4web/Nazionale
xs_poll 20 grep -q "$P/page-100.png" "$ACCESS_LOG" || fail "start-up did not load page 100"
fetch "$P/page-100.png" "$XS_DIR/page100.png" || fail "cannot fetch page 100"
xs_poll 20 picture_matches "$XS_DIR/page100.png" || fail "the picture box does not show page 100"
xs_poll 60 grep -q "links on the page shown:" "$XS_DIR/pagiscopo.log" || fail "page 100 was never read"
"$PAGE_TEXT" Nazionale 100 >"$XS_DIR/page100.txt" || fail "no text for page 100"

# The page box's inside, with the focus elsewhere so that no text cursor blinks in it; first as
# it shows 100.
box_shot() {
    xs_shot "$WINDOW" "$XS_DIR/shot.png" && convert "$XS_DIR/shot.png" -crop 45x29+394+34 +repage "$1"
}
click_at 416 48
xdotool key Tab
xs_poll 20 box_shot "$XS_DIR/box-100.png" || fail "no screenshot of the page box"

# The links found, as "PAGE@ROW,COLUMN", held against the text the server drew: the first one
# that stands where the server drew that number is the one to follow.
found=$(sed -n 's/.*links on the page shown: *//p' "$XS_DIR/pagiscopo.log" | tail -n 1)
target=""
for link in $found; do
    page=${link%@*}
    cell=${link#*@}
    row=${cell%,*}
    column=${cell#*,}
    drawn=$(sed -n "$((row + 1))p" "$XS_DIR/page100.txt")
    if [ "${drawn:column:3}" = "$page" ] && [ "$page" != 100 ]; then
        target=$page
        break
    fi
    echo "note: link to $page at row $row, column $column, where the server drew '${drawn:column:3}'" >&2
done
[ -n "$target" ] || fail "no page number of page 100 became a link: '$found'"

# The middle digit's centre on the grid of 9 x 16 pixel cells, and a point of the row's first
# cell, where no number stands.
link_x=$((PICTURE_X + (column + 1) * 9 + 4))
link_y=$((PICTURE_Y + row * 16 + 8))
off_x=$((PICTURE_X + 4))
[ "${drawn:0:1}" = " " ] || fail "row $row starts with '${drawn:0:1}'"

# Qt shows tips in the active window only.
xdotool windowactivate --sync "$WINDOW"
tip_says() { [ "$(at_spi --tips pagiscopo)" = "$1" ]; }
no_tip() { ! at_spi --tips pagiscopo; }
# The pointer takes another shape over the link (a pointing hand, though only its pixels can be
# seen here) and the page's own again beside it.
pointer_is() { [ "$("$POINTER_SHAPE")" = "$1" ]; }
pointer_is_not() { ! pointer_is "$1"; }
# The program sets the shape as the pointer moves, so the page's own is the one that stays.
settled_pointer() {
    local before after
    before=$("$POINTER_SHAPE") && sleep 0.3 && after=$("$POINTER_SHAPE") && [ "$before" = "$after" ] &&
        echo "$after" >"$XS_DIR/pointer.txt"
}
xdotool mousemove --window "$WINDOW" "$off_x" "$link_y"
xs_poll 20 settled_pointer || fail "no pointer shape"
page_pointer=$(cat "$XS_DIR/pointer.txt")
xdotool mousemove --window "$WINDOW" "$link_x" "$link_y"
xs_poll 20 pointer_is_not "$page_pointer" || fail "the pointer over the link looks as it does beside it"
xs_poll 20 tip_says "Vai a pagina $target" ||
    fail "no tip 'Vai a pagina $target' over the link at $link_x,$link_y: '$(at_spi --tips pagiscopo)'"
xdotool mousemove --window "$WINDOW" "$off_x" "$link_y"
xs_poll 20 no_tip || fail "the tip stayed after the pointer left the link: '$(at_spi --tips pagiscopo)'"
xs_poll 20 pointer_is "$page_pointer" || fail "the pointer kept the link's shape after leaving it"

[ "$(count_requests_for "$P/page-$target.png")" = 0 ] || fail "page $target was asked for before the click"
click_at "$link_x" "$link_y"
xs_poll 20 grep -q " GET $P/page-$target.png " "$ACCESS_LOG" || fail "the click on $target did not ask for page $target"
fetch "$P/page-$target.png" "$XS_DIR/target.png" || fail "cannot fetch page $target"
xs_poll 20 picture_matches "$XS_DIR/target.png" || fail "the picture box does not show page $target"
pages=$(grep -o ' GET [^ ]*' "$ACCESS_LOG" | grep -v "page-100.png" | awk '{print $2}' | sort -u | paste -sd' ')
[ "$pages" = "$P/page-$target.png" ] || fail "asked for $pages after the click on $target"

# The page box shows the number just as it does when the number is typed there and confirmed,
# and not as it did before.
click_at 416 48
xdotool key Tab
xs_poll 20 box_shot "$XS_DIR/box-clicked.png" || fail "no screenshot of the page box"
[ "$(compare -metric AE "$XS_DIR/box-clicked.png" "$XS_DIR/box-100.png" null: 2>&1)" != 0 ] ||
    fail "the page box looks the same after the click on $target as with 100"
click_at 416 48
xdotool key ctrl+a type "$target"
xdotool key Return
# Once by the click, once by fetch above, and now typed.
xs_poll 20 sh -c "[ \$(grep -c ' GET $P/page-$target.png ' '$ACCESS_LOG') -ge 3 ]" || fail "typing $target asked nothing"
xdotool key Tab
same_box() {
    box_shot "$XS_DIR/box-typed.png" &&
        [ "$(compare -metric AE "$XS_DIR/box-clicked.png" "$XS_DIR/box-typed.png" null: 2>&1)" = 0 ]
}
xs_poll 20 same_box || fail "the page box after the click differs from the box with $target typed"
