# Ctrl+Shift+C ("Copia testo") puts the text read on the page shown on the clipboard as plain
# text, 25 lines, which another program reads as the page the server drew, give or take the
# characters the recogniser misreads.
PAGISCOPO_LAUNCH=(env QT_LOGGING_RULES=pagiscopo.text.debug=true)
start_pagiscopo
P=/pagiscopo/pub/tt4web/Nazionale
xs_poll 20 grep -q "$P/page-100.png" "$ACCESS_LOG" || fail "start-up did not load page 100"
xs_poll 60 sh -c "[ \$(grep -c 'characters read on the page shown' '$XS_DIR/pagiscopo.log') -ge 1 ]" ||
    fail "page 100 was never read"

# copy_text FILE: Ctrl+Shift+C, then the clipboard's text as another program reads it.
copy_text() {
    : | xclip -selection clipboard -i
    xdotool key ctrl+shift+c
    xs_poll 20 sh -c '[ -n "$(xclip -selection clipboard -o -t UTF8_STRING 2>/dev/null)" ]' ||
        fail "the clipboard holds no text: $(xclip -selection clipboard -o -t TARGETS 2>&1)"
    ! xclip -selection clipboard -o -t TARGETS | grep -qx image/png || fail "Ctrl+Shift+C copied the picture"
    xclip -selection clipboard -o -t UTF8_STRING >"$1" || fail "cannot read the clipboard's text"
}

# compare_text DRAWN COPIED: fails unless the copy has the drawn page's 25 rows, blank where the
# server drew nothing and nowhere else, with at most 30 characters in 100 misread (the reading's
# accuracy is the benchmark's business; a shifted row, another page or no text is far beyond it).
compare_text() {
    python3 - "$1" "$2" <<'PY' || fail "$(basename "$2") is not the page drawn: $(cat "$2")"
import sys

def rows(path):
    lines = open(path, encoding="utf-8").read().split("\n")
    if lines and lines[-1] == "":
        lines.pop()
    return [line.rstrip() for line in lines]

def distance(a, b):
    previous = list(range(len(b) + 1))
    for i, x in enumerate(a, 1):
        current = [i]
        for j, y in enumerate(b, 1):
            current.append(min(previous[j] + 1, current[j - 1] + 1, previous[j - 1] + (x != y)))
        previous = current
    return previous[-1]

drawn, copied = rows(sys.argv[1]), rows(sys.argv[2])
if len(copied) != 25:
    sys.exit(f"{len(copied)} rows copied")
for number, (d, c) in enumerate(zip(drawn, copied)):
    if (d == "") != (c == ""):
        sys.exit(f"row {number} is '{c}' where the server drew '{d}'")
errors = sum(distance(d, c) for d, c in zip(drawn, copied))
characters = sum(len(d.strip()) for d in drawn)
print(f"{errors} of {characters} characters misread", file=sys.stderr)
if errors * 100 > characters * 30:
    sys.exit(1)
PY
}

xdotool windowactivate --sync "$WINDOW"
"$PAGE_TEXT" Nazionale 100 >"$XS_DIR/drawn100.txt" || fail "no text for page 100"
copy_text "$XS_DIR/copied100.txt"
compare_text "$XS_DIR/drawn100.txt" "$XS_DIR/copied100.txt"
# The lines in large clean letters, and the index's words, are all there.
for word in TELETESTO PROVA Servizio dimostrativo Nazionale NOTIZIE SPORT CALCIO REGIONI CULTURA; do
    grep -qw "$word" "$XS_DIR/copied100.txt" || fail "'$word' is not in the text copied: $(cat "$XS_DIR/copied100.txt")"
done

# The next page's text replaces it once that page is read.
xdotool key x
xs_poll 20 grep -q "$P/page-101.png" "$ACCESS_LOG" || fail "x did not load page 101"
xs_poll 60 sh -c "[ \$(grep -c 'characters read on the page shown' '$XS_DIR/pagiscopo.log') -ge 2 ]" ||
    fail "page 101 was never read"
"$PAGE_TEXT" Nazionale 101 >"$XS_DIR/drawn101.txt" || fail "no text for page 101"
copy_text "$XS_DIR/copied101.txt"
compare_text "$XS_DIR/drawn101.txt" "$XS_DIR/copied101.txt"
