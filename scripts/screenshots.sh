#!/usr/bin/env bash
# Writes PNG pictures of every window of Harrowin (on the sample player) and of HarrowinCast
# into manual/images, under a virtual X server (Xvfb) with a window manager (openbox), so the
# pictures show the windows' frames and captions as a user sees them, in the programs' font.
# Usage: scripts/screenshots.sh [build folder] [output folder]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-build}" && pwd)
out=${2:-$here/manual/images}
mkdir -p "$out"
out=$(cd "$out" && pwd)
cmake --build "$build" --target harrowin_screenshots harrowincast_screenshots sample_player
exec xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  build=$1 out=$2
  openbox --sm-disable >/dev/null 2>&1 &
  wm=$!
  sleep 1
  status=0
  "$build/bin/harrowin_screenshots" "$out" "$build/sample-player" || status=$?
  "$build/bin/harrowincast_screenshots" "$out" || status=$?
  kill "$wm" 2>/dev/null || true
  exit "$status"' screenshots "$build" "$out"
