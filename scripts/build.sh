#!/usr/bin/env bash
# Installs what is missing and builds everything into build/ (the program's folder is build/furamio).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
# ccache keeps compiled objects across clones and work trees of this project on one machine;
# paths are taken relative to the clone so that another folder still finds them.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
if [ ! -f build/CMakeCache.txt ]; then
    cmake -S . -B build "${generator[@]}" "${launcher[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build build -j"$(nproc)"
