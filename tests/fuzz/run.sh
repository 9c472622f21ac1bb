#!/usr/bin/env bash
# Runs fuzz targets for a number of seconds each on their committed seed corpora.
#   tests/fuzz/run.sh [SECONDS] [TARGET...]     (default: 60 seconds, every target)
# Builds with clang into build-fuzz first. Findings are written to build-fuzz/findings/.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
seconds=${1:-60}
shift || true
build="$top/build-fuzz"
CC=clang CXX=clang++ cmake -S "$top" -B "$build" -G Ninja -DVARNO_FUZZ=ON -DVARNO_BUILD_TESTS=OFF \
  -DVARNO_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
targets=("$@")
if ((${#targets[@]} == 0)); then
  for f in "$top"/tests/fuzz/*_fuzz.cpp; do
    n=$(basename "$f" _fuzz.cpp)
    targets+=("$n")
  done
fi
cmake --build "$build" -j "$(nproc)" --target "${targets[@]/#/fuzz_}"
mkdir -p "$build/findings"
for t in "${targets[@]}"; do
  work="$build/corpus/$t"
  mkdir -p "$work"
  echo "== fuzz_$t for ${seconds}s"
  "$build/tests/fuzz/fuzz_$t" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$build/findings/$t-" \
    "$work" "$top/tests/fuzz/corpus/$t" 2>&1 | grep -E 'stat::number_of_executed_units|stat::average_exec_per_sec|ERROR|SUMMARY|Done' || true
done
