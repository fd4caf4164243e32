# A screen reader finds the text read on the page shown as the description of the picture
# ("Pagina teletext"), through AT-SPI on a private session bus, and the next page's text replaces
# it once that page is read.
start_accessibility

PAGISCOPO_LAUNCH=(env QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_LOGGING_RULES=pagiscopo.text.debug=true)
start_pagiscopo
P=/pagiscopo/pub/tt4web/Nazionale
xs_poll 20 grep -q "$P/page-100.png" "$ACCESS_LOG" || fail "start-up did not load page 100"
xs_poll 60 sh -c "[ \$(grep -c 'characters read on the page shown' '$XS_DIR/pagiscopo.log') -ge 1 ]" ||
    fail "page 100 was never read"

description() { at_spi pagiscopo "Pagina teletext" >"$XS_DIR/description.txt"; }
# described_as DRAWN: at least half the words of five letters or more that the server drew on the
# page are in the description, each as a whole word.
described_as() {
    description || return 1
    local words found=0 total=0 word
    words=$(grep -o "[[:alpha:]']\{5,\}" "$1" | sort -u)
    for word in $words; do
        total=$((total + 1))
        grep -qwF -- "$word" "$XS_DIR/description.txt" && found=$((found + 1))
    done
    echo "$found of $total words" >"$XS_DIR/described.txt"
    [ "$total" -gt 10 ] && [ $((found * 2)) -ge "$total" ]
}
"$PAGE_TEXT" Nazionale 100 >"$XS_DIR/drawn100.txt" || fail "no text for page 100"
xs_poll 20 described_as "$XS_DIR/drawn100.txt" ||
    fail "the picture's description is not page 100's text: '$(cat "$XS_DIR/description.txt" 2>&1)'"
echo "page 100: $(cat "$XS_DIR/described.txt") in the description" >&2
[ "$(grep -c '' "$XS_DIR/description.txt")" = 25 ] || fail "the description has $(grep -c '' "$XS_DIR/description.txt") rows"

xdotool windowactivate --sync "$WINDOW"
xdotool key x
xs_poll 20 grep -q "$P/page-101.png" "$ACCESS_LOG" || fail "x did not load page 101"
xs_poll 60 sh -c "[ \$(grep -c 'characters read on the page shown' '$XS_DIR/pagiscopo.log') -ge 2 ]" ||
    fail "page 101 was never read"
"$PAGE_TEXT" Nazionale 101 >"$XS_DIR/drawn101.txt" || fail "no text for page 101"
xs_poll 20 described_as "$XS_DIR/drawn101.txt" ||
    fail "the picture's description is not page 101's text: '$(cat "$XS_DIR/description.txt" 2>&1)'"
echo "page 101: $(cat "$XS_DIR/described.txt") in the description" >&2
! grep -qw TELETESTO "$XS_DIR/description.txt" || fail "page 100's text is still in the description"
