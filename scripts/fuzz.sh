#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer) and runs each of them for SECONDS (default 600) on the
# corpus kept in fuzz/corpus/<target>/. Inputs that reach new code are merged back into that
# corpus at the end (FUZZ_MERGE=0 leaves it alone, as the short runs of scripts/test.sh do);
# a crash leaves its input in build/fuzz/artifacts/ and fails the script.
# FUZZ_RUNS=N runs each target for N inputs instead of a time (the long runs kept in the corpus).
#   scripts/fuzz.sh [SECONDS] [TARGET]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
only=${2:-}
build=${FUZZ_BUILD_DIR:-build/fuzz}
# Optimised with debug information: the sanitizers still catch everything, and a run gets through
# several times as many inputs as an unoptimised build.
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DSPECTREL_FUZZ=ON -DSPECTREL_TESTS=OFF -DSPECTREL_GUI=OFF >/dev/null
targets=()
for src in fuzz/fuzz_*.cpp; do targets+=("$(basename "$src" .cpp)"); done
cmake --build "$build" -j"${JOBS:-2}" --target "${targets[@]}"
mkdir -p "$build/artifacts"
status=0
for f in "$build"/fuzz/fuzz_*; do
  [ -x "$f" ] || continue
  name=$(basename "$f")
  [ -n "$only" ] && [ "$name" != "$only" ] && continue
  corpus=fuzz/corpus/$name
  work=$build/work/$name
  mkdir -p "$corpus" "$work"
  limit=-max_total_time="$seconds"
  [ -n "${FUZZ_RUNS:-}" ] && limit=-runs="$FUZZ_RUNS"
  echo "-- $name ($limit)"
  if ! "$f" "$limit" -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$build/artifacts/$name-" "$work" "$corpus" >"$build/$name.log" 2>&1; then
    status=1
    echo "$name FAILED: see $build/$name.log and $build/artifacts/"
  fi
  grep -E 'stat::number_of_executed_units|stat::average_exec_per_sec|ERROR|SUMMARY' "$build/$name.log" || true
  if [ "${FUZZ_MERGE:-1}" = 1 ] && [ "$status" = 0 ]; then
    "$f" -merge=1 "$corpus" "$work" >"$build/$name.merge.log" 2>&1 || true
  fi
done
exit $status
