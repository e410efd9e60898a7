#!/usr/bin/env bash
# Fails when a program Harrowin or HarrowinCast starts while it runs is not installed, or when
# the README ("What the programs call at run time", each as `program` (package)) and
# scripts/install-deps.sh name different programs or packages.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

installed=$(bash "$root/scripts/install-deps.sh" --run-time | sort)
named=$(sed -n '/\*\*What the programs call at run time\.\*\*/,/^- \*\*/p' "$root/README.md" |
  grep -o '`[^` ]*` ([a-z0-9.+-]*)' | sed 's/^`\([^`]*\)` (\(.*\))$/\1 \2/' | sort -u || true)

status=0
if [ "$installed" != "$named" ]; then
  echo "The README and scripts/install-deps.sh name different run-time programs:" >&2
  diff <(echo "$named") <(echo "$installed") --label README.md --label install-deps.sh >&2 || true
  status=1
fi
# The disk check finds fsck.vfat in the sbin folders too, which a user's PATH may lack.
while read -r program package; do
  if ! PATH="$PATH:/usr/sbin:/sbin" command -v "$program" >/dev/null; then
    echo "$program is not installed (package $package; run scripts/install-deps.sh)." >&2
    status=1
  fi
done <<< "$installed"
exit $status
