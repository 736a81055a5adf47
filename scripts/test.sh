#!/usr/bin/env bash
# Sets up the machine, builds everything with the cross compiler and runs all
# tests under Wine.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"
"$root/scripts/build.sh" "$root/build"
cd "$root/build"
export WINEPREFIX="$root/build/wineprefix"
# One screen for the whole run: every Wine process of the prefix shares it.
. "$root/scripts/display.sh"
if [ -z "${DISPLAY:-}" ]; then
  start_private_display
  trap '/usr/lib/wine/wineserver64 -k 2>/dev/null; stop_private_display' EXIT
fi
ctest --output-on-failure -j"$(nproc)" "$@"
