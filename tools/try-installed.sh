#!/usr/bin/env bash
# Tries the built packages as a new player would, on this machine (needs root; changes it):
# installs dist/*.deb with apt-get, makes a fresh user, starts the local server, starts the
# program from the menu entry's Exec line under Xvfb as that user, plays one game by clicking
# every card until the right one, and shows what landed in the player's data folder. Then it
# purges the packages and removes the user again. Needs xvfb, xdotool and ImageMagick's import.
#   tools/try-installed.sh [SCREENSHOT_FOLDER]      (default build/try-installed/)
set -euo pipefail
cd "$(dirname "$0")/.."
shots=$(realpath -m "${1:-build/try-installed}")
mkdir -p "$shots"
player=furamio-newplayer
display=:71

DEBIAN_FRONTEND=noninteractive apt-get install -y -qq ./dist/furamio_*.deb ./dist/furamio-server_*.deb >/dev/null
id "$player" >/dev/null 2>&1 || useradd -m -s /bin/bash "$player"
home=$(getent passwd "$player" | cut -d: -f6)

pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq furamio furamio-server >/dev/null || true
    userdel -r "$player" 2>/dev/null || true
}
trap cleanup EXIT

# The program was built to talk to 127.0.0.1:8931; the packaged server, run by hand.
# A server already answering there (a developer's own) is used as it is.
if curl --noproxy 127.0.0.1 -fsS -o /dev/null --max-time 2 http://127.0.0.1:8931/kokki/oshirase.txt; then
    echo "Using the server already on 127.0.0.1:8931"
else
    serverdata=$(mktemp -d)
    /usr/bin/furamio-server --listen 127.0.0.1:8931 --data "$serverdata" >"$shots/server.log" 2>&1 &
    pids+=($!)
fi
Xvfb "$display" -screen 0 1600x1000x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
sleep 1

exec_line=$(sed -n 's/^Exec=//p' /usr/share/applications/jp.example.furamio.desktop)
echo "Exec line: $exec_line"
su - "$player" -c "DISPLAY=$display $exec_line" >"$shots/program.log" 2>&1 &
pids+=($!)
sleep 5
export DISPLAY=$display
import -window root "$shots/1-started.png"

# The menu label 札取りゲーム, then スタート, in the window as it opens full-screen on Xvfb.
xdotool mousemove 645 23 click 1
sleep 2
xdotool mousemove 1140 123 click 1
sleep 3
import -window root "$shots/2-first-question.png"
xs=(105 291 477 661 847 1037)
ys=(313 492)
for _ in $(seq 1 15); do
    for y in "${ys[@]}"; do
        for x in "${xs[@]}"; do
            xdotool mousemove "$x" "$y" click 1
            sleep 0.15
        done
    done
done
sleep 2
import -window root "$shots/3-after-the-game.png"

echo "The player's data folder, $home/.local/share/furamio:"
ls -la "$home/.local/share/furamio"
for f in "$home"/.local/share/furamio/seiseki*.csv; do
    [ -f "$f" ] && { echo "$f:"; { iconv -f SHIFT_JIS -t UTF-8 "$f" || true; } | tail -3; }
done
echo "Written into the program's folder (should be nothing):"
find /usr/lib/furamio -newer /usr/lib/furamio/furamio -type f
echo "Screenshots in $shots"
