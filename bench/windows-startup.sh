#!/usr/bin/env bash
# Start of the program to the first full paint of its main window, under Wine beside the Linux
# build in the same run, and the size of the Windows zip. Run scripts/windows.sh --check first:
# it leaves the player's folder, a Wine prefix and the check's build behind.
#   bench/windows-startup.sh [RUNS]      (default 3; medians are printed)
# The Windows program talks to a furamio-server started here on the check's port, the Linux one
# to the server on its own port 8931 (started here too unless one answers there already). "Painted" is the
# first screenshot in which the menu row is drawn, looked for every tenth of a second or so;
# "mapped" is the window appearing on the X server.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-3}
port=28931
run=build-windows-check/run
player=$run/player/furamio-windows
[ -x build/furamio/furamio ] && [ -f "$player/furamio.exe" ] ||
    { echo "needs build/ and scripts/windows.sh --check first" >&2; exit 1; }

export WINEPREFIX=$PWD/$run/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wineserver -k 2>/dev/null || true
}
trap cleanup EXIT
Xvfb -displayfd 3 -screen 0 1600x1000x24 -nolisten tcp 3>"$run/bench-display" >/dev/null 2>&1 &
pids+=($!)
sleep 2
export DISPLAY=:$(cat "$run/bench-display")
data=$(mktemp -d)
build/furamio-server --listen "127.0.0.1:$port" --data "$data" >/dev/null 2>&1 &
pids+=($!)
if ! curl --noproxy 127.0.0.1 -fsS -o /dev/null --max-time 2 http://127.0.0.1:8931/kokki/oshirase.txt; then
    mkdir -p "$data/linux"
    build/furamio-server --listen 127.0.0.1:8931 --data "$data/linux" >/dev/null 2>&1 &
    pids+=($!)
fi
sleep 1
wineserver -p # keeps Wine's server up between runs, as on a desktop where Wine is in use

now_ms() { date +%s%3N; }

# The menu row is painted when its strip of the screen is no longer one flat colour.
menu_painted() {
    local spread
    spread=$(import -window root -crop 700x40+0+0 png:- 2>/dev/null |
        /usr/bin/convert - -format '%[fx:standard_deviation]' info: 2>/dev/null || echo 0)
    awk -v s="$spread" 'BEGIN { exit !(s > 0.05) }'
}

# One start: prints "mapped painted" in milliseconds after the start.
measure() {
    local start mapped painted program
    start=$(now_ms)
    "$@" >/dev/null 2>&1 &
    program=$!
    xdotool search --sync --onlyvisible --name "^フラミオ$" >/dev/null
    mapped=$(($(now_ms) - start))
    until menu_painted; do sleep 0.05; done
    painted=$(($(now_ms) - start))
    kill "$program" 2>/dev/null || true
    wait "$program" 2>/dev/null || true
    [ "$1" = wine ] && wineserver -w 2>/dev/null
    sleep 1
    echo "$mapped $painted"
}

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

report() {
    local name=$1
    shift
    local results=()
    for _ in $(seq 1 "$runs"); do results+=("$(measure "$@")"); done
    printf '%-28s mapped %6s ms   painted %6s ms   (median of %d)\n' "$name" \
        "$(printf '%s\n' "${results[@]}" | cut -d' ' -f1 | median)" \
        "$(printf '%s\n' "${results[@]}" | cut -d' ' -f2 | median)" "$runs"
}

echo "start to first full paint of the main window, 1600x1000 Xvfb"
report "Linux (build/furamio)" build/furamio/furamio
report "Windows under Wine" bash -c "cd '$player' && exec wine furamio.exe"
echo "zip: $(du -h dist/furamio-windows.zip | cut -f1) ($(stat -c %s dist/furamio-windows.zip) bytes)," \
    "unzipped $(du -sh dist/furamio-windows | cut -f1)"
