#!/usr/bin/env bash
# Renders the desktop program's look to files for inspection, on the offscreen platform, with the
# look renderer (tools/look, never shipped): the main window at its first-start size after one
# simulated manual measurement, the graph alone (1000 x 750), the clipboard picture (SVG), a
# printed page (PDF), the measurement dialog and the day overview of a generated day in English
# and Japanese, the states of the commands (a pinned point with Back to Live, the overview's
# printed page, the spectrum zoomed, night labels, the 25-hour autumn day on the station's clock
# and in UTC, a missing day) in both languages, then both settings dialogs in both languages.
#   scripts/render-look.sh [OUTPUT_DIR]        (default out/look)
# BUILD_DIR picks the build folder (default build/look, configured when missing).
# The simulated sun follows the local time of day; unless TZ is set, a zone is chosen in which it
# is about noon now, so the curve shows a daylight spectrum.
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-out/look}
build=${BUILD_DIR:-build/look}

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DSPECTREL_GUI=ON -DSPECTREL_TESTS=OFF >/dev/null
fi
cmake --build "$build" -j"${JOBS:-2}" --target spectrel-look >/dev/null

if [ -z "${TZ:-}" ]; then
  hour=$((10#$(date -u +%H)))
  offset=$(( (12 - hour + 36) % 24 - 12 ))   # local noon is UTC + offset hours, -12..11
  if [ "$offset" -ge 0 ]; then export TZ="LOOK-$offset"; else export TZ="LOOK+$(( -offset ))"; fi
fi
mkdir -p "$out"
QT_QPA_PLATFORM=offscreen "$build/tools/look/spectrel-look" window "$out"
echo "pictures in $out"
# Both settings dialogs in English and Japanese; a control too small for its text is reported.
QT_QPA_PLATFORM=offscreen "$build/tools/look/spectrel-look" dialogs "$out"
# The station's web page in a browser (web_en.png, web_ja.png, web_phone.png), in the same zone.
if command -v chromium >/dev/null; then bash scripts/render-web-look.sh "$out"; else echo "chromium not installed: no web pictures"; fi
