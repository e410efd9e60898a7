#!/usr/bin/env bash
# Starts Harrowin from the build folder on the sample player the build wrote.
set -euo pipefail
build=${1:-build}
if [ ! -x "$build/bin/harrowin" ]; then
  echo "Harrowin is not built yet: the main window is still to come." >&2
  exit 1
fi
export HARROWIN_HOME="$build/run-home"
exec "$build/bin/harrowin" "${@:2}"
