#!/usr/bin/env bash
# Installs what is missing, builds, checks that the layers only point down, and runs every test;
# then the Windows build under Wine, when Qt for Windows is built on this machine or its prebuilt
# archive lies beside the clone.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
python3 scripts/check-layers.py
ctest --test-dir build --output-on-failure -j"$(nproc)" --timeout 600
scripts/windows.sh --check-if-cached
