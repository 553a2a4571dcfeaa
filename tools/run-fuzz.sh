#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang in build-fuzz/ and gives
# each a short run over its seed corpus. Any crash fails the script.
set -euo pipefail
cd "$(dirname "$0")/.."

compiler=${BRACKWYN_FUZZ_CXX:-clang++-14}
if ! command -v "$compiler" >/dev/null; then
  echo "$compiler not found (Debian: clang-14 libfuzzer-14-dev): the fuzz targets are skipped"
  exit 0
fi
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER="$compiler" \
  -DBRACKWYN_FUZZ=ON -DBRACKWYN_GUI=OFF -DBRACKWYN_TESTS=OFF -DBRACKWYN_BENCH=OFF \
  "${launcher[@]}" >/dev/null
cmake --build build-fuzz --target fuzz_targets -j "$(nproc)"
ctest --test-dir build-fuzz -L fuzz --output-on-failure
