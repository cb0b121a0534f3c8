#!/usr/bin/env bash
# Peak memory of an unattended station: spectrel-cli run --simulate with a 1 s interval and
# unpaced simulated sensors, so that a few minutes give hundreds of cycles and a day file as big
# as a long day's. The runner prints its peak resident set (VmHWM) at exit.
#   SECONDS_TO_RUN  how long to measure (default 150)
#   SPECTREL_BUILD_DIR  Release build folder (default build/release)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${SPECTREL_BUILD_DIR:-build/release}
duration=${SECONDS_TO_RUN:-150}

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DSPECTREL_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target spectrel-cli >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf '[INT]\nSTART=0\nEND=86399\nINT=1\n' >"$work/station.ini"

echo "== spectrel-cli run --simulate, INT=1 s, for $duration s =="
set +e
timeout -s TERM "$duration" "$build/src/cli/spectrel-cli" run --simulate --unpaced --verbose \
  --data "$work/data" --profile "$work/station.ini" >"$work/out.txt" 2>"$work/err.txt"
status=$?
set -e
# timeout reports 124 when it had to send the signal; the runner itself then exited 0.
if [ "$status" -ne 124 ] && [ "$status" -ne 0 ]; then
  echo "the runner failed with status $status" >&2
  cat "$work/err.txt" >&2
  exit 1
fi

cycles=$(grep -c ' stored ' "$work/out.txt" || true)
day=$(find "$work/data" -name '*.KRF' -printf '%s %p\n' | sort -n | tail -n 1)
peak=$(sed -n 's/^peak memory: \([0-9]*\) kB$/\1/p' "$work/out.txt")
threads=$(sed -n 's/^threads left at exit: //p' "$work/out.txt")
echo "cycles stored:      $cycles"
echo "largest day file:   ${day:-none} bytes"
echo "threads left:       $threads"
echo "peak memory (VmHWM): $peak kB ($((peak / 1024)) MB)"
if [ -n "$peak" ] && [ "$peak" -le $((100 * 1024)) ]; then
  echo "within the 100 MB budget"
else
  echo "OVER the 100 MB budget" >&2
  exit 1
fi
