#!/usr/bin/env bash
# Sets up the machine, builds the program and runs it on the simulated drives.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"
"$root/scripts/build.sh" "$root/build"
exe="$root/build/bin/Kestrova.exe"
if [ ! -f "$exe" ]; then
  echo "run: the build is complete; the program's window is not part of it yet."
  exit 0
fi
cd "$root/build/bin"
prefix="$root/build/wineprefix"
if [ -z "${DISPLAY:-}" ]; then
  # No screen to show it on: it runs on a private one that ends with it.
  "$root/scripts/wine-session.sh" start "$prefix"
  trap '"$root/scripts/wine-session.sh" stop "$prefix"' EXIT
fi
"$root/scripts/wine-run.sh" --prefix "$prefix" "$exe"
