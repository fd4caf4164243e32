# The picture's context menu copies the page to the clipboard as a PNG image for other programs,
# and Ctrl+S saves the bytes the server sent through the real file dialog, asking before it
# replaces a file.
start_pagiscopo
P=/pagiscopo/pub/tt4web/Nazionale
xs_poll 20 grep -q "$P/page-100.png" "$ACCESS_LOG" || fail "start-up did not load page 100"
fetch "$P/page-100.png" "$XS_DIR/page100.png" || fail "cannot fetch page 100"
xs_poll 20 picture_matches "$XS_DIR/page100.png" || fail "the picture box does not show page 100"

# Right click on the picture, then the entry's mnemonic.
xdotool mousemove --window "$WINDOW" 180 200 click 3
menu_open() { xdotool search --onlyvisible --class pagiscopo | grep -vx "$WINDOW" | grep -q .; }
xs_poll 20 menu_open || fail "no context menu opened on the picture"
xdotool key c
targets() { xclip -selection clipboard -o -t TARGETS 2>/dev/null; }
xs_poll 20 sh -c "xclip -selection clipboard -o -t TARGETS 2>/dev/null | grep -qx image/png" ||
    fail "the clipboard offers no image/png: $(targets)"
xclip -selection clipboard -o -t image/png >"$XS_DIR/copied.png" || fail "cannot read the clipboard's image/png"
[ "$(identify -format '%m %wx%h' "$XS_DIR/copied.png")" = "PNG 360x400" ] ||
    fail "the clipboard holds $(identify -format '%m %wx%h' "$XS_DIR/copied.png" 2>&1)"
[ "$(compare -metric AE "$XS_DIR/copied.png" "$XS_DIR/page100.png" null: 2>&1)" = "0" ] ||
    fail "the copied picture differs from page 100"

# The Menu key opens the menu as well while the picture has the focus, which the click gave it.
no_menu() { ! menu_open; }
xs_poll 20 no_menu || fail "the menu stayed open after its entry was chosen"
xdotool key Menu
xs_poll 20 menu_open || fail "the Menu key opened no menu on the picture"
xdotool key Escape
xs_poll 20 no_menu || fail "Escape did not close the menu"

# Ctrl+S: the dialog, a path typed over the proposed name, Enter.
save_dialog() { xs_wait_window "Salva immagine" 20; }
mkdir -p "$XS_DIR/saved"
TARGET="$XS_DIR/saved/pagina.png"
save_to() {
    xdotool key ctrl+s
    DIALOG=$(save_dialog) || fail "Ctrl+S opened no dialog titled Salva immagine"
    xdotool key ctrl+a
    xdotool type --delay 10 "$TARGET"
    xdotool key Return
}
save_to
xs_poll 20 sh -c "! xdotool search --onlyvisible --name '^Salva immagine\$' >/dev/null" ||
    fail "the dialog stayed open"
xs_poll 20 cmp -s "$TARGET" "$XS_DIR/page100.png" || fail "the saved file is not page 100 byte for byte"

# Another page saved over it: the dialog asks, and No keeps the file as it was.
xdotool key x
xs_poll 20 grep -q "$P/page-101.png" "$ACCESS_LOG" || fail "x did not load page 101"
fetch "$P/page-101.png" "$XS_DIR/page101.png" || fail "cannot fetch page 101"
xs_poll 20 picture_matches "$XS_DIR/page101.png" || fail "the picture box does not show page 101"
save_to
question() { xdotool search --onlyvisible --name '^Salva immagine$' | grep -vx "$DIALOG" | grep -q .; }
xs_poll 20 question || fail "saving over an existing file asked nothing"
QUESTION=$(xdotool search --onlyvisible --name '^Salva immagine$' | grep -vx "$DIALOG" | head -n 1)
xdotool key Return # No is the default answer
xs_poll 20 sh -c "! xwininfo -id $QUESTION 2>/dev/null | grep -q IsViewable" || fail "the question stayed open"
xdotool key Escape # and the dialog is left
xs_poll 20 sh -c "! xdotool search --onlyvisible --name '^Salva immagine\$' >/dev/null" ||
    fail "the dialog stayed open after Escape"
cmp -s "$TARGET" "$XS_DIR/page100.png" || fail "the file was replaced without a Yes"

# Yes replaces it.
save_to
xs_poll 20 question || fail "saving over an existing file asked nothing the second time"
xdotool key Tab space
xs_poll 20 cmp -s "$TARGET" "$XS_DIR/page101.png" || fail "Yes did not replace the file with page 101"
[ "$(ls -A "$XS_DIR/saved")" = "pagina.png" ] || fail "files left beside it: $(ls -A "$XS_DIR/saved")"
