# The favourite button "Notizie" (ultime) is drawn in its GradientRounded look at its place in the
# favourites frame: the dark-blue outline and its corner pixels, with the corners cut away.
start_pagiscopo
shot="$XS_DIR/looks.png"
# ultime lies at 16,432 (49 x 25): the frame at 8,416 plus 8,16 within it.
X0=16 Y0=432 W=49 H=25
outline=003C73 corner=104D7B
drawn() {
    xs_shot "$WINDOW" "$shot" && [ "$(pixel_at "$shot" $((X0 + 2)) $Y0)" = "$outline" ]
}
xs_poll 20 drawn || fail "no outline at the top of ultime: $(pixel_at "$shot" $((X0 + 2)) $Y0)"
expect() { # expect X Y COLOUR
    local got
    got=$(pixel_at "$shot" $((X0 + $1)) $((Y0 + $2)))
    [ "$got" = "$3" ] || fail "ultime pixel $1,$2 is $got, not $3"
}
for x in 2 10 24 40 $((W - 3)); do
    expect "$x" 0 "$outline"
    expect "$x" $((H - 1)) "$outline"
done
for y in 2 12 $((H - 3)); do
    expect 0 "$y" "$outline"
    expect $((W - 1)) "$y" "$outline"
done
expect 1 1 "$corner"
expect 1 $((H - 2)) "$corner"
expect $((W - 2)) 1 "$corner"
expect $((W - 2)) $((H - 2)) "$corner"
# The window region cuts the corners: what lies behind the button shows through there, as it does
# just beside the button on the same row.
for point in "0 0" "1 0" "0 1" "$((W - 1)) 0" "0 $((H - 1))" "$((W - 1)) $((H - 1))"; do
    read -r x y <<<"$point"
    if [ "$x" = 0 ]; then beside=-1; else beside=$W; fi
    expect "$x" "$y" "$(pixel_at "$shot" $((X0 + beside)) $((Y0 + y)))"
done
