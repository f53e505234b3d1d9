#!/usr/bin/env bash
# Runs the Windows build under Wine as a player would, against our own server on this machine.
# Called by scripts/windows.sh --check once the folder, the zip and the check's build exist:
#   scripts/windows-check.sh ZIP CHECK_BUILD PORT
# The check's build is the same program built to talk to 127.0.0.1:PORT; its furamio.exe is
# put into the unzipped player's folder in place of the shipped one.
# Everything lands in build-windows-check/run/: the Wine prefix, the server's data and log,
# the unzipped folder and the screenshots (shots/*.png).
set -euo pipefail
cd "$(dirname "$0")/.."
zip=$(realpath "$1")
check_build=$(realpath "$2")
port=$3
run=$check_build/run
shots=$run/shots
player=$run/player/furamio-windows
server_log=$run/server.log
# Wine's first start in a new prefix takes a minute or more on a busy machine.
slow=${FURAMIO_WINE_TIMEOUT:-240}

pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    [ -n "${WINEPREFIX:-}" ] && wineserver -k 2>/dev/null || true
}
trap cleanup EXIT

fail() {
    echo "windows check: FAILED: $*" >&2
    exit 1
}

# Waits up to $1 seconds for a command to succeed.
wait_for() {
    local seconds=$1
    shift
    local until=$((SECONDS + seconds))
    while ! "$@" >/dev/null 2>&1; do
        [ $SECONDS -lt $until ] || return 1
        sleep 1
    done
}

rm -rf "$run"
mkdir -p "$shots" "$run/server-data" "$run/player"

# A prefix of its own, made afresh; without the .NET and HTML engines nobody is asked to
# download them.
export WINEPREFIX=$run/wine
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
Xvfb -displayfd 3 -screen 0 1600x1000x24 -nolisten tcp 3>"$run/display" >/dev/null 2>&1 &
pids+=($!)
wait_for 20 test -s "$run/display" || fail "Xvfb did not start"
export DISPLAY=:$(cat "$run/display")
echo "windows check: Wine prefix $WINEPREFIX on display $DISPLAY"
timeout "$slow" wineboot -i >/dev/null 2>&1 || fail "wineboot did not finish in ${slow}s"
wineserver -w

# 1. The widget-free tests, cross-built, under Wine. The Qt and MinGW DLLs are those of the
# player's folder; Wine reads its search path in its own notation.
windows_path() {
    echo "Z:${1//\//\\}"
}
WINEPATH=$(windows_path "$(dirname "$zip")/furamio-windows")
export WINEPATH
ctest --test-dir "$check_build" --output-on-failure --timeout 600 ||
    fail "the widget-free tests do not pass under Wine"

# 2. Our server on its own port, logging every request.
[ -x build/furamio-server ] || scripts/build.sh
build/furamio-server --listen "127.0.0.1:$port" --data "$run/server-data" \
    >"$run/server.out" 2>"$server_log" &
server=$!
pids+=($server)
wait_for 20 curl --noproxy 127.0.0.1 -fsS -o /dev/null "http://127.0.0.1:$port/kokki/oshirase.txt" ||
    fail "furamio-server did not answer on port $port"

# The player's folder: the zip unpacked, with the check's executable in it.
(cd "$run/player" && unzip -q "$zip")
cp "$check_build/furamio/furamio.exe" "$player/furamio.exe"

start_program() {
    (cd "$player" && exec wine furamio.exe) >"$run/program-$1.log" 2>&1 &
    program=$!
    pids+=($program)
}

window_shown() {
    xdotool search --onlyvisible --name "^フラミオ$"
}

# The message box has the program's title too: the main window and the box above it.
message_shown() {
    [ "$(xdotool search --onlyvisible --name "^フラミオ$" | wc -l)" -ge 2 ]
}

notice_requests() {
    grep -c 'GET "/kokki/oshirase.txt"' "$server_log" || true
}

notice_fetched() {
    [ "$(notice_requests)" -gt "$before" ]
}

# 2. Start, the notice fetched, the main window up.
before=$(notice_requests)
start_program started
wait_for "$slow" window_shown || fail "furamio.exe showed no window in ${slow}s"
wait_for 60 notice_fetched || fail "the notice was never fetched"
sleep 5
import -window root "$shots/1-started.png"
echo "windows check: started, notice fetched; screenshot $shots/1-started.png"

# 3. One game of the European flags: the menu label 札取りゲーム, the region ヨーロッパ編, スタート,
# then every card of each board until the right one (the design's positions at 96 dpi, as Wine
# has). Positions are the window's own: without a window manager Wine may place it below the
# top. The program scales the design (1360 x 720 pixels) to fill its window, centred in the
# direction it does not fill, and the clicks follow it.
main_window=$(xdotool search --onlyvisible --name "^フラミオ$" | head -1)
eval "$(xdotool getwindowgeometry --shell "$main_window" | grep -E '^(X|Y|WIDTH|HEIGHT)=')"
click() {
    read -r at_x at_y < <(awk -v x="$1" -v y="$2" -v w="$WIDTH" -v h="$HEIGHT" 'BEGIN {
        f = w / 1360; if (h / 720 < f) f = h / 720
        ox = (w - 1360 * f) / 2; if (ox < 0) ox = 0
        oy = (h - 720 * f) / 2; if (oy < 0) oy = 0
        printf "%d %d\n", ox + f * x, oy + f * y }')
    xdotool mousemove "$((at_x + X))" "$((at_y + Y))" click 1
    sleep "${3:-0.3}"
}
click 645 23 3
click 810 219 1
import -window root "$shots/2-game-panel.png"
click 1140 123 3
import -window root "$shots/3-first-question.png"
xs=(105 291 477 661 847 1037)
ys=(313 492)
results=$player/seisekieurope.csv
for _ in $(seq 1 15); do
    for y in "${ys[@]}"; do
        for x in "${xs[@]}"; do
            [ -f "$results" ] && break 3
            click "$x" "$y" 0.25
        done
    done
done
wait_for 60 test -f "$results" || fail "no seisekieurope.csv in the player's folder after the game"
# The deviation report follows the game: its histogram, then the two counters.
wait_for 60 grep -q 'GET "/count1/countereurope/[0-9]*/count.php\(?r=[0-9a-f]*\)\?" 200' "$server_log" ||
    fail "the server never counted the game"
sleep 3
import -window root "$shots/4-after-the-game.png"
# Code page 932 with CR LF: every line ends in CR LF, and the bytes are valid code page 932.
if grep -q $'[^\r]$' "$results" || [ -n "$(tail -c 2 "$results" | tr -d '\r\n')" ]; then
    fail "seisekieurope.csv has a line without CR LF"
fi
iconv -f CP932 -t UTF-8 "$results" >/dev/null || fail "seisekieurope.csv is not code page 932"
echo "windows check: one game written to seisekieurope.csv ($(wc -c <"$results") bytes," \
    "CR LF, CP932) and counted by the server"
kill "$program" 2>/dev/null || true
wineserver -w

# 4. With the server gone the program says so, and ends when the player closes the message.
kill "$server"
wait "$server" 2>/dev/null || true
start_program offline
# The notice is tried again and again before the message comes.
wait_for "$slow" message_shown || fail "no message without the server"
sleep 3
import -window root "$shots/5-no-server.png"
xdotool key --clearmodifiers Return
wait_for 60 bash -c "! kill -0 $program" || fail "the program did not end after the message"
echo "windows check: without the server the program showed its message and ended;" \
    "screenshot $shots/5-no-server.png"
echo "windows check: passed"
