#!/usr/bin/env bash
# The station's web page as a browser shows it, beside a simulated station measuring every 2 s:
# web_en.png and web_ja.png (desktop width), web_phone.png (a phone's width). Run by
# render-look.sh, which picks a zone in which it is about noon; alone it takes TZ as it is.
#   scripts/render-web-look.sh [OUTPUT_DIR]     (default out/look)
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-out/look}")
build=${BUILD_DIR:-build/look}
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DSPECTREL_TESTS=OFF >/dev/null
fi
cmake --build "$build" -j"${JOBS:-2}" --target spectrel-cli >/dev/null
cli=$(realpath "$build/src/cli/spectrel-cli")
work=$(mktemp -d)
pids=()
finish() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; wait; rm -rf "$work"; }
trap finish EXIT
printf '[INT]\nSTART=0\nEND=86399\nINT=2\n[SITE]\nNAME=Rooftop (simulated)\nLAT=35.680\nLON=139.750\nALT=40.0\n' > "$work/p.ini"
"$cli" run --simulate --unpaced --profile "$work/p.ini" --data "$work/data" > "$work/run.log" 2>&1 & pids+=($!)
"$cli" serve --profile "$work/p.ini" --data "$work/data" --listen 127.0.0.1:0 > "$work/serve.log" 2>&1 & pids+=($!)
for _ in $(seq 100); do [ "$(grep -c ' stored ' "$work/run.log" || true)" -ge 8 ] && break; sleep 0.2; done
url=$(sed -n 's/^serving \(http[^ ]*\) .*/\1/p' "$work/serve.log")
mkdir -p "$out"
shoot() {   # NAME WIDTHxHEIGHT [chromium options]
  local name=$1 size=$2
  shift 2
  mkdir -p "$work/profile-$name"
  chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run --disable-background-networking \
    --disable-component-update --disable-sync --user-data-dir="$work/profile-$name" --hide-scrollbars \
    --virtual-time-budget=10000 --window-size="${size/x/,}" "$@" --screenshot="$out/$name.png" "$url" 2>/dev/null
}
shoot web_en 1280x1400
shoot web_ja 1280x1400 --lang=ja --accept-lang=ja
shoot web_phone 412x1500 --force-device-scale-factor=1
echo "web pictures in $out"
