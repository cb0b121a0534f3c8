#!/usr/bin/env bash
# Builds the benchmarks in Release and runs them, printing medians (5 repetitions each).
#   scripts/bench.sh [FILTER]     FILTER: a benchmark program name part, e.g. krf
# Speed targets live here, never in the tests.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BENCH_BUILD_DIR:-build/bench}
bash scripts/install-deps.sh
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DSPECTREL_BENCH=ON -DSPECTREL_TESTS=OFF >/dev/null
cmake --build "$build" -j"${JOBS:-2}"
for b in "$build"/bench/bench_*; do
  [ -x "$b" ] || continue
  name=$(basename "$b")
  [ -n "${1:-}" ] && [[ "$name" != *"$1"* ]] && continue
  echo "== $name"
  QT_QPA_PLATFORM=offscreen "$b" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
    2>&1 | grep -E '_median|^BM_|Benchmark|-----' | grep -v -E '_(mean|stddev|cv)\b'
done
