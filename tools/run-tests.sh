#!/usr/bin/env bash
# Builds Brackwyn and runs the whole test suite.
#   bash tools/run-tests.sh             in build/
#   bash tools/run-tests.sh --werror    in build/, warnings as errors
#   bash tools/run-tests.sh --sanitize  in build-sanitize/, with AddressSanitizer and
#                                       UndefinedBehaviorSanitizer (no benchmarks)
set -euo pipefail
cd "$(dirname "$0")/.."

dir=build
options=(-DCMAKE_BUILD_TYPE=Release)
case "${1:-}" in
  "") ;;
  --werror) options+=(-DBRACKWYN_WERROR=ON) ;;
  --sanitize)
    dir=build-sanitize
    options+=(-DBRACKWYN_SANITIZE=ON -DBRACKWYN_BENCH=OFF)
    # Qt's font and platform libraries keep caches until exit that the leak
    # checker would report; they are not ours to fix.
    export LSAN_OPTIONS="suppressions=$PWD/tools/lsan-suppressions.txt:print_suppressions=0"
    export UBSAN_OPTIONS=print_stacktrace=1
    ;;
  *) echo "usage: $0 [--werror | --sanitize]" >&2; exit 2 ;;
esac
command -v ccache >/dev/null && options+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

cmake -S . -B "$dir" "${options[@]}" >/dev/null
cmake --build "$dir" -j "$(nproc)"
# The window's tests draw offscreen, so no display is needed.
QT_QPA_PLATFORM=offscreen ctest --test-dir "$dir" --output-on-failure -j 2
