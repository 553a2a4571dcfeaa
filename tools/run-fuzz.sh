#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang in build-fuzz/ and runs
# each for SECONDS (default 60), two at a time, starting from its seed corpus
# in fuzz/corpus/ and what earlier runs found (kept in build-fuzz/corpus/).
# Any crash fails the script; the input that caused it is left in
# build-fuzz/findings/TARGET/ (make it a regression test).
#   bash tools/run-fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

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

run_one() {
  local name=$1 seconds=$2
  local seeds=fuzz/corpus/${name%_fuzz} corpus=build-fuzz/corpus/$name
  local findings=build-fuzz/findings/$name
  mkdir -p "$corpus" "$findings"
  if build-fuzz/fuzz/"$name" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$findings/" "$corpus" "$seeds" >"$findings/log.txt" 2>&1; then
    echo "$name: $(grep -E 'stat::number_of_executed_units' "$findings/log.txt" |
      awk '{print $2}') executions in $seconds s, no crash"
  else
    echo "$name: FAILED, see $findings/log.txt"
    tail -n 30 "$findings/log.txt"
    return 1
  fi
}
export -f run_one

targets=$(cd fuzz && ls -- *_fuzz.cpp | sed 's/\.cpp$//')
echo "$targets" | xargs -P 2 -I{} bash -c "run_one {} $seconds"
