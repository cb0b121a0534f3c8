#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer) and runs each of them for SECONDS (default 600) on the
# corpus kept in fuzz/corpus/<target>/. Inputs that reach new code are merged back into that
# corpus at the end (FUZZ_MERGE=0 leaves it alone, as the short runs of scripts/test.sh do);
# a crash leaves its input in build/fuzz/artifacts/ and fails the script.
# FUZZ_RUNS=N runs each target for N inputs instead of a time (the long runs kept in the corpus).
# FUZZ_SANITIZE=undefined builds them without the address sanitizer (several times as many inputs
# a second, for the longest runs; the corpus they grow is replayed with it by the short runs).
# FUZZ_JOBS=J runs J fuzzing processes side by side on the one corpus (N/J inputs each); their
# logs follow one another in the target's log.
#   scripts/fuzz.sh [SECONDS] [TARGET]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
only=${2:-}
sanitize=${FUZZ_SANITIZE:-address,undefined}
build=${FUZZ_BUILD_DIR:-build/fuzz$([ "$sanitize" = address,undefined ] || echo "-${sanitize//,/-}")}
# Optimised with debug information: the sanitizers still catch everything, and a run gets through
# several times as many inputs as an unoptimised build.
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DSPECTREL_FUZZ=ON -DSPECTREL_FUZZ_SANITIZE="$sanitize" -DSPECTREL_TESTS=OFF -DSPECTREL_GUI=OFF \
  -DCMAKE_CXX_COMPILER_LAUNCHER="$(command -v ccache || true)" >/dev/null
targets=()
for src in fuzz/fuzz_*.cpp; do targets+=("$(basename "$src" .cpp)"); done
[ -n "$only" ] && targets=("$only")
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
  jobs=${FUZZ_JOBS:-1}
  [ -n "${FUZZ_RUNS:-}" ] && limit=-runs="$(( (FUZZ_RUNS + jobs - 1) / jobs ))"
  echo "-- $name ($limit, $jobs process(es))"
  args=("$limit" -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$(realpath -m "$build/artifacts")/$name-"
        "$(realpath -m "$work")" "$(realpath -m "$corpus")")
  logs=$build/logs/$name
  rm -rf "$logs" && mkdir -p "$logs"
  if [ "$jobs" -gt 1 ]; then
    # Each process writes its own log (fuzz-<n>.log) in the folder it runs in.
    exe=$(realpath "$f")
    (cd "$logs" && "$exe" -jobs="$jobs" -workers="$jobs" "${args[@]}") >"$logs/main.log" 2>&1
  else
    "$f" "${args[@]}" >"$logs/main.log" 2>&1
  fi || { status=1; echo "$name FAILED: see $build/$name.log and $build/artifacts/"; }
  cat "$logs"/fuzz-*.log "$logs/main.log" >"$build/$name.log" 2>/dev/null || true
  grep -E 'stat::number_of_executed_units|stat::average_exec_per_sec|ERROR|SUMMARY' "$build/$name.log" || true
  if [ "${FUZZ_MERGE:-1}" = 1 ] && [ "$status" = 0 ]; then
    "$f" -merge=1 "$corpus" "$work" >"$build/$name.merge.log" 2>&1 || true
  fi
done
exit $status
