#!/usr/bin/env bash
# Builds Brackwyn in build/ and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$(nproc)"
# The window's tests draw offscreen, so no display is needed.
QT_QPA_PLATFORM=offscreen ctest --test-dir build --output-on-failure -j 2
