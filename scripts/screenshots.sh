#!/usr/bin/env bash
# Writes PNG pictures of every Harrowin window into manual/images, on the sample player, under a
# virtual X server (Xvfb), with the Japanese font the windows use.
# Usage: scripts/screenshots.sh [build folder] [output folder]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build}
out=${2:-$here/manual/images}
cmake --build "$build" --target harrowin_screenshots sample_player
exec xvfb-run -a -s "-screen 0 1280x1024x24" \
  "$build/bin/harrowin_screenshots" "$out" "$build/sample-player"
