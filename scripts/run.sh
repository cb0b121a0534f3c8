#!/usr/bin/env bash
# The program's main job on a fresh machine: install what the build needs, build in Release, and
# take one measurement: with the station's sensors when a sensor in use has an existing port,
# otherwise with simulated sensors (the configured ports are left alone).
#   - with a display ($DISPLAY or $WAYLAND_DISPLAY) and the desktop program built: spectrel --simulate
#   - otherwise: spectrel-cli measure --simulate into ${SPECTREL_DATA:-$HOME/Spectrel}/, then shows
#     the day file, the CSV file and the end of the event log.
# Extra arguments go to the program that runs. SPECTREL_BUILD_DIR overrides build/release.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${SPECTREL_BUILD_DIR:-build/release}

bash scripts/install-deps.sh

echo "== configure and build ($build) =="
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DSPECTREL_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target spectrel-cli

gui=0
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] &&
   cmake --build "$build" --target help | grep -q '^\.\.\. spectrel$'; then
  # The desktop program is optional here: when it does not build, measure headless instead.
  if cmake --build "$build" -j2 --target spectrel && [ -x "$build/src/app/spectrel" ]; then
    gui=1
  else
    echo "the desktop program is not available: measuring headless" >&2
  fi
fi
if [ "$gui" = 1 ]; then
  exec "$build/src/app/spectrel" --simulate=auto "$@"
fi

data="${SPECTREL_DATA:-$HOME/Spectrel}/"
echo "== one measurement into $data (simulated sensors unless real ones are configured) =="
out=$(mktemp)
trap 'rm -f "$out"' EXIT
set +e
# tee ignores Ctrl-C so that the runner's own clean stop is still shown.
"$build/src/cli/spectrel-cli" measure --simulate=auto --data "$data" "$@" | (trap '' INT; tee "$out")
status=${PIPESTATUS[0]}
set -e

cycle=$(grep ' stored ' "$out" | tail -n 1 || true)
day=$(sed -n 's/^.*  day file \(.*\)  CSV .*$/\1/p' <<<"$cycle")
csv=$(sed -n 's/^.*  CSV \(.*\)$/\1/p' <<<"$cycle")
log=$(sed -n 's/^event log: //p' "$out" | tail -n 1)
echo "== files written =="
for f in "$day" "$csv"; do
  [ -n "$f" ] && [ -f "$f" ] && ls -l "$f"
done
if [ -n "$log" ] && [ -f "$log" ]; then
  echo "-- end of the event log $log"
  tail -n 6 "$log" | tr -d '\r'
fi
exit "$status"
