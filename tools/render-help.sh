#!/usr/bin/env bash
# Renders every help page in headless Chromium, to look at by eye: does the Japanese text show,
# is anything cut off? Not a test; the screenshots go to OUT (default build/help-shots/).
#   tools/render-help.sh [HELP_FOLDER] [OUT]      (default HELP_FOLDER: build/furamio/help)
# Needs the Debian package chromium.
set -euo pipefail
cd "$(dirname "$0")/.."
help=$(realpath "${1:-build/furamio/help}")
out=$(realpath -m "${2:-build/help-shots}")
browser=$(command -v chromium || command -v chromium-browser || true)
[ -n "$browser" ] || { echo "chromium is not installed (apt-get install chromium)" >&2; exit 1; }
mkdir -p "$out"
# Two widths: a usual window and a narrow one where long lines and tables must still fit.
for width in 1024 640; do
    for page in "$help"/*.html; do
        name=$(basename "$page" .html)
        profile=$(mktemp -d)
        "$browser" --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
            --disable-background-networking --disable-component-update --disable-sync \
            --user-data-dir="$profile" --hide-scrollbars --window-size="$width,1400" \
            --screenshot="$out/$name-$width.png" "file://$page" >/dev/null 2>&1
        rm -rf "$profile"
        echo "$out/$name-$width.png"
    done
done
