#!/usr/bin/env bash
# Start-up benchmark: time from process start to the drive page filled, and
# private memory at that moment, for Kestrova.exe on the simulated default
# machine beside a bare dialog of the framework. Prints a table.
#   bench-startup.sh [RUNS]   (median of RUNS starts each, default 7)
# The programs are timed as they ship: a Release tree of their own
# (build-bench/, no tests), without the test tree's debug information, which
# would make the program several times larger and, under Wine, as much
# private memory. Both programs are started once before the measured starts
# and then take turns, in one Wine session with its own prefix.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
runs="${1:-7}"
"$root/scripts/setup.sh"
build="$root/build-bench"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DKESTROVA_TESTS=OFF -DKESTROVA_BENCH=ON >/dev/null
cmake --build "$build" -j4 --target Kestrova VntNvmed VntAtad KestrovaSim kestrova_art BareDialog StartupBench \
  >/dev/null
prefix="$build/wineprefix"
"$root/scripts/wine-session.sh" start "$prefix" >/dev/null
trap '"$root/scripts/wine-session.sh" stop "$prefix" >/dev/null' EXIT
bin="$build/bin"
win() { echo "Z:${1//\//\\}"; }
cd "$bin"
log="$build/bench-startup.log"
results="$("$root/scripts/wine-run.sh" --prefix "$prefix" ./StartupBench.exe "$runs" "$(win "$bin/BareDialog.exe")" \
  "$(win "$bin/Kestrova.exe")" 2>"$log" | tr -d '\r')" || {
  cat "$log" >&2
  exit 1
}
read -r _ bare_ms bare_fast bare_slow bare_mem < <(grep '^bare ' <<<"$results")
read -r _ app_ms app_fast app_slow app_mem < <(grep '^kestrova ' <<<"$results")
awk -v bm="$bare_ms" -v bf="$bare_fast" -v bs="$bare_slow" -v bb="$bare_mem" \
  -v am="$app_ms" -v af="$app_fast" -v as="$app_slow" -v ab="$app_mem" -v runs="$runs" 'BEGIN {
  printf "%-34s %12s %16s %16s\n", "program (median of " runs " starts)", "start (ms)", "fastest-slowest", "private (MB)"
  printf "%-34s %12.1f %7.1f-%-8.1f %16.2f\n", "bare framework dialog", bm, bf, bs, bb / 1048576
  printf "%-34s %12.1f %7.1f-%-8.1f %16.2f\n", "Kestrova.exe, drive page filled", am, af, as, ab / 1048576
  printf "%-34s %12.2f %16s %16.2f\n", "ratio / difference", am / bm, "", (ab - bb) / 1048576
  printf "%-34s %12s %16s %16s\n", "target", "<= 1.30", "", "<= 8.00 more"
}'
echo "(each run: $log)"
