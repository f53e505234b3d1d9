#!/usr/bin/env bash
# Installs what is missing, builds, starts the local server if nothing answers on its port yet,
# and opens フラミオ.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh

port=8931
if ! curl --noproxy 127.0.0.1 -fsS -o /dev/null --max-time 2 "http://127.0.0.1:${port}/kokki/oshirase.txt"; then
    mkdir -p build/server-data
    nohup build/furamio-server --listen "127.0.0.1:${port}" --data build/server-data \
        >build/server.log 2>&1 &
    for _ in $(seq 1 50); do
        curl --noproxy 127.0.0.1 -fsS -o /dev/null --max-time 1 "http://127.0.0.1:${port}/kokki/oshirase.txt" && break
        sleep 0.1
    done
    echo "furamio-server: http://127.0.0.1:${port}/ (data in build/server-data, log in build/server.log)"
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No desktop display found; running under a virtual X server." >&2
    exec xvfb-run -a -s "-screen 0 1920x1080x24" build/furamio/furamio
fi
exec build/furamio/furamio
