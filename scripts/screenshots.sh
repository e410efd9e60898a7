#!/usr/bin/env bash
# Writes PNG pictures of every window of Harrowin (on the sample player) and of HarrowinCast
# into manual/images, under a virtual X server (Xvfb) with a window manager (openbox), so the
# pictures show the windows' frames and captions as a user sees them, in the programs' font.
# The tools end every window they open themselves, and any other that gets in their way (and
# then say so and fail); each is also stopped after a time limit, so the script always ends.
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
  trap "kill $wm 2>/dev/null || true" EXIT
  sleep 1
  status=0
  timeout -k 10 300 "$build/bin/harrowin_screenshots" "$out" "$build/sample-player" || status=$?
  timeout -k 10 120 "$build/bin/harrowincast_screenshots" "$out" || status=$?
  [ "$status" -eq 124 ] && echo "a screenshot tool ran past its time limit" >&2
  exit "$status"' screenshots "$build" "$out"
