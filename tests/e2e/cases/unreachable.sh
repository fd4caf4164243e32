# Against a port where nothing listens, no question is asked: the window says the server cannot be
# reached.
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1]); s.close()' 2>/dev/null ||
    echo 9)
SERVER_URL="http://127.0.0.1:$port"
start_pagiscopo
question() { xdotool search --onlyvisible --name '^Pagiscopo$' >/dev/null 2>&1; }
sleep 1
question && fail "a question window appeared for an unreachable server"
xs_poll 10 grep -q 'Server non raggiungibile: 127.0.0.1:' "$XS_DIR/pagiscopo.log" || fail "nothing said the server is out of reach"
notice_shown() {
    xs_shot "$WINDOW" "$XS_DIR/unreachable.png" && [ "$(convert "$XS_DIR/unreachable.png" -crop 100x10+140+75 +repage -colorspace Gray -format '%[fx:mean<0.4]' info:)" = 1 ]
}
xs_poll 10 notice_shown || fail "no notice over the picture box"
