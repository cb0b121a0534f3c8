#!/usr/bin/env bash
# Installs what the build needs, builds and runs every test:
#   1. the whole project with AddressSanitizer + UndefinedBehaviorSanitizer, all tests;
#   2. the threaded subsystems with ThreadSanitizer, their tests;
#   3. the fuzz targets (libFuzzer) for a bounded time each.
# FUZZ_SECONDS (default 10: every kept input replayed, then a short search) bounds each fuzz run; SPECTREL_SKIP_TSAN=1 / SPECTREL_SKIP_FUZZ=1 skip stages.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=${JOBS:-2}

bash scripts/install-deps.sh

echo "== build with address and undefined-behaviour sanitizers =="
cmake -S . -B build/asan -DCMAKE_BUILD_TYPE=Debug -DSPECTREL_SANITIZE=address,undefined >/dev/null
cmake --build build/asan -j"$jobs"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/scripts/lsan.supp}
export QT_QPA_PLATFORM=offscreen
(cd build/asan && ctest --output-on-failure -j"$jobs" --timeout 300)

if [ "${SPECTREL_SKIP_TSAN:-0}" != 1 ]; then
  echo "== threaded tests with the thread sanitizer =="
  cmake -S . -B build/tsan -DCMAKE_BUILD_TYPE=Debug -DSPECTREL_SANITIZE=thread -DSPECTREL_GUI=OFF >/dev/null
  available=$(cmake --build build/tsan --target help)
  targets=()
  for t in test_sensor test_sim test_measure test_cli; do
    grep -q "^\.\.\. $t\$" <<<"$available" && targets+=("$t")
  done
  if [ ${#targets[@]} -eq 0 ]; then
    echo "no threaded test programs found" >&2
    exit 1
  fi
  if [ ${#targets[@]} -gt 0 ]; then
    cmake --build build/tsan -j"$jobs" --target "${targets[@]}" spectrel-cli solmet-sim
    labels=$(printf '%s|' "${targets[@]#test_}"); labels=${labels%|}
    (cd build/tsan && TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
      ctest --output-on-failure -j"$jobs" --timeout 300 -L "^(${labels})\$")
  fi
fi

if [ "${SPECTREL_SKIP_FUZZ:-0}" != 1 ]; then
  echo "== fuzz targets =="
  FUZZ_MERGE=0 bash scripts/fuzz.sh "${FUZZ_SECONDS:-10}"
fi
echo "== all tests passed =="
