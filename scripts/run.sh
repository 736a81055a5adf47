#!/usr/bin/env bash
# Builds the program (not the tests) and runs it on the simulated drives.
#   run.sh [MACHINE_FILE]
# The program's folder is laid out in build-run/Kestrova: Kestrova.exe, the
# stand-in device libraries, the simulated machine (KestrovaSim.dll), its
# description (machine.txt, when MACHINE_FILE is given; the built-in default
# machine otherwise), config.ini, SMART.ini and res\. With a $DISPLAY the
# program opens there and runs until it is closed; without one it runs on a
# private Xvfb screen until its drive page is filled, a screenshot is saved
# and the program is closed again.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
machine="${1:-}"
if [ -n "$machine" ] && [ ! -f "$machine" ]; then
  echo "run: no machine description at $machine" >&2
  exit 2
fi
"$root/scripts/setup.sh"

build="$root/build-run"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DKESTROVA_TESTS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target Kestrova VntNvmed VntAtad KestrovaSim kestrova_art

folder="$build/Kestrova"
rm -rf "$folder"
mkdir -p "$folder"
for file in Kestrova.exe VntNvmed.dll VntAtad.dll KestrovaSim.dll config.ini SMART.ini; do
  cp "$build/bin/$file" "$folder/"
done
cp -r "$build/bin/res" "$folder/res"
[ -z "$machine" ] || cp "$machine" "$folder/machine.txt"
echo "run: the program's folder is $folder"

prefix="$build/wineprefix"
cd "$folder"
if [ -n "${DISPLAY:-}" ]; then
  exec "$root/scripts/wine-run.sh" --prefix "$prefix" ./Kestrova.exe
fi

# No screen: a private one, a picture of the drive page, and the program closed.
"$root/scripts/wine-session.sh" start "$prefix"
trap '"$root/scripts/wine-session.sh" stop "$prefix"' EXIT
x86_64-w64-mingw32-g++-posix -std=c++17 -O1 -municode -static \
  "$root/scripts/KestrovaSnap.cpp" -o "$build/KestrovaSnap.exe" -luser32 -lgdi32 -lgdiplus
shot="$build/Kestrova.png"
rm -f "$shot"
if "$root/scripts/wine-run.sh" --prefix "$prefix" "$build/KestrovaSnap.exe" "Z:${folder//\//\\}" \
  "Z:${shot//\//\\}"; then
  echo "run: the drive page as the program showed it: $shot"
else
  echo "run: the program did not show its drive page; see the messages above" >&2
  exit 1
fi
