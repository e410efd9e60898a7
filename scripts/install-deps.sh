#!/usr/bin/env bash
# Installs the Debian packages Harrowin and HarrowinCast build, test and run with.
# Safe to run again: it is quiet and does nothing when everything is present.
# With --run-time it only prints the programs Harrowin and HarrowinCast start while they run,
# each with its package, as "program package" lines (scripts/check-run-time-programs.sh
# holds the README and this list to each other).
set -euo pipefail

run_time=(
  xdg-open:xdg-utils
  udisksctl:udisks2
  eject:eject
  fsck.vfat:dosfstools
)
if [ "${1:-}" = "--run-time" ]; then
  for entry in "${run_time[@]}"; do echo "${entry%%:*} ${entry#*:}"; done
  exit 0
fi

packages=(
  g++ cmake ninja-build make pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev qt6-translations-l10n
  libsqlite3-dev libjpeg62-turbo-dev libcurl4-openssl-dev
  libgtest-dev libgmock-dev
  fonts-ipafont-gothic xvfb xauth openbox
  clang libclang-rt-14-dev
  libcpp-httplib-dev
  fusefat  # the FAT volumes of the tests
)
for entry in "${run_time[@]}"; do packages+=("${entry#*:}"); done

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "install-deps: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
