#!/usr/bin/env bash
# Installs what is missing and builds everything into build/ (the program's folder is build/furamio).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
if [ ! -f build/CMakeCache.txt ]; then
    cmake -S . -B build "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build build -j"$(nproc)"
