# Shared by `make run` (without a display) and the end-to-end tests: a private X session with a
# window manager and a tray, and bounded waits on it. Source it; call xs_cleanup on exit.

XS_PIDS=()
XS_DIR=""

xs_log() { echo "$*" >&2; }

# xs_poll SECONDS COMMAND...: runs COMMAND every 50 ms until it succeeds or SECONDS have passed.
xs_poll() {
    local limit=$1
    shift
    local deadline=$((SECONDS + limit))
    until "$@" >/dev/null 2>&1; do
        if [ "$SECONDS" -ge "$deadline" ]; then
            return 1
        fi
        sleep 0.05
    done
}

xs_track() { XS_PIDS+=("$1"); }
# xs_untrack PID: forgets a process that has ended, so that the cleanup never signals whichever
# process took its id since.
xs_untrack() {
    local kept=() pid
    for pid in "${XS_PIDS[@]}"; do
        [ "$pid" = "$1" ] || kept+=("$pid")
    done
    XS_PIDS=("${kept[@]}")
}

# xs_ours PID: whether that id still belongs to a child of this shell. An id tracked here may have
# ended long ago and been taken since by a process of another case running at the same time.
xs_ours() { [ "$(ps -o ppid= -p "$1" 2>/dev/null | tr -d ' ')" = "$$" ]; }

xs_cleanup() {
    local pid ours=()
    for pid in "${XS_PIDS[@]}"; do
        if xs_ours "$pid"; then
            ours+=("$pid")
        fi
    done
    for ((i = ${#ours[@]} - 1; i >= 0; i--)); do
        kill "${ours[i]}" 2>/dev/null || true
    done
    for pid in "${ours[@]}"; do
        for _ in $(seq 1 40); do
            xs_ours "$pid" && kill -0 "$pid" 2>/dev/null || break
            sleep 0.05
        done
        xs_ours "$pid" && kill -9 "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    XS_PIDS=()
    if [ -n "$XS_DIR" ] && [ -d "$XS_DIR" ] && [ -z "${XS_KEEP_DIR:-}" ]; then
        rm -rf "$XS_DIR"
    fi
}

# Starts Xvfb on a free display (the server picks it and tells us through -displayfd) and exports
# DISPLAY. Sets XS_DIR to a private scratch folder. XS_SCREEN (WIDTHxHEIGHTxDEPTH) sizes the screen.
xs_start_x() {
    XS_DIR=$(mktemp -d "${TMPDIR:-/tmp}/pagiscopo-x.XXXXXX")
    local fifo="$XS_DIR/displayfd"
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 "${XS_SCREEN:-1024x768x24}" -nolisten tcp -noreset 3>"$fifo" 2>"$XS_DIR/xvfb.log" &
    xs_track $!
    local number
    if ! read -r -t 20 number <"$fifo"; then
        xs_log "Xvfb did not start:"
        cat "$XS_DIR/xvfb.log" >&2
        return 1
    fi
    export DISPLAY=":$number"
    unset WAYLAND_DISPLAY
    # Qt would look for a StatusNotifier tray on D-Bus; the X11 tray is the one we start.
    unset DBUS_SESSION_BUS_ADDRESS
    export QT_QPA_PLATFORM=xcb
    xs_poll 20 xdpyinfo || { xs_log "X server $DISPLAY does not answer"; return 1; }
}

# A real window manager, so windows get frames, focus and stacking as on a desktop.
xs_start_wm() {
    openbox --sm-disable >"$XS_DIR/openbox.log" 2>&1 &
    xs_track $!
    xs_poll 20 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' ||
        { xs_log "openbox did not start"; return 1; }
}

# A system tray (freedesktop system tray protocol), for the notification-area icon.
xs_start_tray() {
    trayer --edge top --align right --widthtype pixel --width 120 --heighttype pixel --height 24 \
        --SetDockType true --transparent false >"$XS_DIR/trayer.log" 2>&1 &
    xs_track $!
    xs_poll 20 sh -c "xdotool search --classname trayer >/dev/null" ||
        { xs_log "trayer did not start"; return 1; }
}

# xs_wait_window TITLE SECONDS: prints the id of the viewable window with exactly that title.
xs_wait_window() {
    local title=$1 limit=$2 id=""
    local deadline=$((SECONDS + limit))
    while [ "$SECONDS" -lt "$deadline" ]; do
        for id in $(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null); do
            if xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable'; then
                echo "$id"
                return 0
            fi
        done
        sleep 0.05
    done
    return 1
}

# xs_shot WINDOW FILE: screenshot of a window's contents (no frame).
xs_shot() {
    import -silent -window "$1" "$2"
}
