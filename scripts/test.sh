#!/usr/bin/env bash
# Installs what is missing, builds, checks that the layers only point down, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
python3 scripts/check-layers.py
ctest --test-dir build --output-on-failure -j"$(nproc)" --timeout 600
