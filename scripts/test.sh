#!/usr/bin/env bash
# Sets up the machine, builds everything with the cross compiler and runs all
# tests under Wine, in two build trees: ./build-win32 with the seam as it
# ships (the real platform calls; only the tests that can pass without the
# simulated machine are registered there) and ./build, the simulated machine.
#   test.sh [ctest arguments...]   (given to both runs)
# Each CTest run owns its Wine session: its first test starts a private
# screen and the prefix's server, its last ends them.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"
"$root/scripts/build.sh" "$root/build-win32" -DKESTROVA_SIM_SEAM=OFF
# The folder that ships, from the tree with the real seam: the program and its files only.
rm -rf "$root/build-win32/install"
cmake --install "$root/build-win32" --prefix "$root/build-win32/install" >/dev/null
for file in Kestrova.exe config.ini SMART.ini res/drive.ico res/mainbk.bmp; do
  [ -f "$root/build-win32/install/$file" ] || { echo "test: the installed folder lacks $file" >&2; exit 1; }
done
"$root/scripts/build.sh" "$root/build"

status=0
ctest --test-dir "$root/build-win32" --output-on-failure -j"$(nproc)" "$@" || status=1
# The whole suite last, so that its summary closes the output.
ctest --test-dir "$root/build" --output-on-failure -j"$(nproc)" "$@" || status=1
echo "Screenshots of this run: $root/build/screenshots"
[ $status -eq 0 ] || echo "test: FAILED (see the failed tests above)"
exit $status
