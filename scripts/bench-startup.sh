#!/usr/bin/env bash
# Start-up benchmark: time from process start to the drive page filled, and
# private memory at that moment, for Kestrova.exe on the simulated default
# machine beside a bare dialog of the framework. Prints a table.
#   bench-startup.sh [RUNS]   (median of RUNS starts each, default 5)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
runs="${1:-5}"
"$root/scripts/setup.sh"
"$root/scripts/build.sh" "$root/build" >/dev/null
prefix="$root/build/wineprefix"
"$root/scripts/wine-session.sh" start "$prefix" >/dev/null
trap '"$root/scripts/wine-session.sh" stop "$prefix" >/dev/null' EXIT
bin="$root/build/bin"
win() { echo "Z:${1//\//\\}"; }
cd "$bin"
# One start first, so neither side pays for the prefix's first use.
"$root/scripts/wine-run.sh" --prefix "$prefix" ./StartupBench.exe bare "$(win "$bin/BareDialog.exe")" 1 >/dev/null
log="$root/build/bench-startup.log"
read -r bare_ms bare_mem < <("$root/scripts/wine-run.sh" --prefix "$prefix" ./StartupBench.exe bare "$(win "$bin/BareDialog.exe")" "$runs" 2>"$log" | tr -d '\r')
read -r app_ms app_mem < <("$root/scripts/wine-run.sh" --prefix "$prefix" ./StartupBench.exe kestrova "$(win "$bin/Kestrova.exe")" "$runs" 2>>"$log" | tr -d '\r')
awk -v bm="$bare_ms" -v bb="$bare_mem" -v am="$app_ms" -v ab="$app_mem" -v runs="$runs" 'BEGIN {
  printf "%-34s %12s %16s\n", "program (median of " runs " starts)", "start (ms)", "private (MB)"
  printf "%-34s %12.1f %16.2f\n", "bare framework dialog", bm, bb / 1048576
  printf "%-34s %12.1f %16.2f\n", "Kestrova.exe, drive page filled", am, ab / 1048576
  printf "%-34s %12.2f %16.2f\n", "ratio / difference", am / bm, (ab - bb) / 1048576
  printf "%-34s %12s %16s\n", "target", "<= 1.30", "<= 8.00 more"
}'
echo "(messages of the programs' runs: $log)"
