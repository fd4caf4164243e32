# The three dialogs belong to the main window: the window manager keeps each above it
# (WM_TRANSIENT_FOR), allows it no maximise and no resize and is told it has no minimise. openbox
# offers minimise on every window it frames all the same, so a dialog minimised through it comes
# straight back, with its main window, and can still be closed; the main window then works again.
start_pagiscopo
P=/pagiscopo/pub/tt4web/Nazionale
xs_poll 20 grep -q "$P/page-100.png" "$ACCESS_LOG" || fail "start-up did not load page 100"

# Bottom to top, the windows openbox manages.
stacking() { xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*# //' | tr -d ' ' | tr ',' '\n'; }
# position_in_stack ID: the window's place in that list, counted from the bottom.
position_in_stack() {
    local i=0 id
    for id in $(stacking); do
        [ "$((id))" = "$(($1))" ] && { echo "$i"; return 0; }
        i=$((i + 1))
    done
    echo -1
}
shown_normal() { is_viewable "$1" && xprop -id "$1" WM_STATE | grep -q 'window state: Normal'; }

# check_dialog ID NAME: the dialog's place and rights, then a minimise that must not stick.
check_dialog() {
    local id=$1 name=$2 transient actions functions
    transient=$(xprop -id "$id" WM_TRANSIENT_FOR | awk '{print $NF}')
    [ "$((transient))" = "$((WINDOW))" ] || fail "$name is transient for $transient, not the main window"
    [ "$(position_in_stack "$id")" -gt "$(position_in_stack "$WINDOW")" ] ||
        fail "$name lies below the main window: $(stacking | tr '\n' ' ')"
    actions=$(xprop -id "$id" _NET_WM_ALLOWED_ACTIONS)
    case "$actions" in
    *MAXIMIZE* | *RESIZE*) fail "$name can be maximised or resized: $actions" ;;
    esac
    # The hints say close and move only: no minimise (0x8), no maximise (0x10).
    functions=$(xprop -id "$id" _MOTIF_WM_HINTS | awk -F'[=,] *' '{print $3}')
    [ $((functions & 0x18)) = 0 ] || fail "$name's hints allow functions $functions"

    xdotool windowminimize "$id"
    xs_poll 10 shown_normal "$id" || fail "$name stayed minimised: $(xprop -id "$id" WM_STATE _NET_WM_STATE)"
    xs_poll 10 shown_normal "$WINDOW" || fail "the main window stayed minimised with $name"
    [ "$(position_in_stack "$id")" -gt "$(position_in_stack "$WINDOW")" ] ||
        fail "$name came back below the main window: $(stacking | tr '\n' ' ')"

    xdotool windowactivate --sync "$id" key alt+F4
    xs_poll 20 is_unmapped "$id" || fail "$name did not close after coming back"
    xs_poll 20 sh -c "[ \"\$(xdotool getactivewindow)\" = $WINDOW ]" || fail "the main window did not get the focus back"
}

# The interval dialog, from m on scorri1 (384,248).
click_at 400 256
xdotool key m
INTERVAL=$(xs_wait_window "Tempo cambiamento sottopagina" 20) || fail "m on scorri1 did not open the interval dialog"
check_dialog "$INTERVAL" "the interval dialog"

# The about window, from About (392,352): the main window takes clicks again.
click_at 440 360
ABOUT=$(xs_wait_window "About - zorvik!" 20) || fail "the about window did not open"
check_dialog "$ABOUT" "the about window"

# The assign dialog, over a main window kept on top (Check1 at 384,208 ticked).
click_at 400 216
xs_poll 20 sh -c "xprop -id $WINDOW _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE" || fail "Check1 did not put the window on top"
click_at 40 444
xdotool key m
DIALOG=$(xs_wait_window "Pagiscopo - Preferiti" 20) || fail "m on Notizie did not open the assign dialog"
check_dialog "$DIALOG" "the assign dialog"
