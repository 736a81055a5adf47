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
  trap '/usr/lib/wine/wineserver64 -k 2>/dev/null || true; stop_private_display' EXIT
fi
# The seam as it ships (the real platform calls) is built in a tree of its own
# and only its smoke test runs there, in the main tree's Wine prefix.
cmake -S "$root" -B "$root/build-win32" -DCMAKE_BUILD_TYPE=Release -DKESTROVA_SIM_SEAM=OFF >/dev/null
cmake --build "$root/build-win32" -j"$(nproc)" --target seam_win32_tests
cd "$root/build-win32/bin"
"$root/scripts/wine-run.sh" --prefix "$root/build/wineprefix" ./seam_win32_tests.exe --gtest_brief=1

# The whole suite last, so that its summary closes the output.
cd "$root/build"
ctest --output-on-failure -j"$(nproc)" "$@"
echo "Screenshots of this run: $root/build/screenshots"
