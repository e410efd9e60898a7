#!/usr/bin/env bash
# Starts Harrowin from the build folder on the sample player the build wrote. The program folder
# is <build>/run-home; at its first use it gets settings that lock the drive to the sample
# player, so the player is recognised at once (the terms of use still show at the first start).
set -euo pipefail
build=${1:-build}
build=$(cd "$build" && pwd)
if [ ! -x "$build/bin/harrowin" ]; then
  echo "Harrowin is not built in $build (run: make build)." >&2
  exit 1
fi
sample="$build/sample-player"
if [ ! -d "$sample/iPod_Control" ]; then
  echo "The sample player is missing in $sample (it is written by the build's sample_player target)." >&2
  exit 1
fi
export HARROWIN_HOME="$build/run-home"
mkdir -p "$HARROWIN_HOME"
settings="$HARROWIN_HOME/Tessmar.INI"
if [ ! -f "$settings" ]; then
  printf '[Recognize]\r\nMakeFolder=1\r\nDriveLockPath=%s\r\n' "$sample" > "$settings"
fi
exec "$build/bin/harrowin" "${@:2}"
