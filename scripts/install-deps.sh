#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the local server need, and any more
# named on the command line.
set -euo pipefail
packages=(
    cmake ninja-build g++ pkg-config ccache
    qt6-base-dev qt6-base-private-dev libgl-dev libcurl4-openssl-dev libcpp-httplib-dev libmicrohttpd-dev libsqlite3-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    fonts-ipafont-gothic fontconfig xvfb xauth curl xdg-utils python3
    nginx dpkg-dev
    dbus-daemon at-spi2-core python3-pyatspi xdotool
    "$@"
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
    # The tests run nginx as a process of their own; the system-wide one that Debian starts on
    # port 80 when it is first installed is not wanted on a developer's machine.
    if printf '%s\n' "${missing[@]}" | grep -qx nginx && [ -d /run/systemd/system ]; then
        $sudo systemctl disable --now nginx >/dev/null 2>&1 || true
    fi
fi
