#!/usr/bin/env bash
# The engine's benchmark, run by hand: builds engine_bench in the simulated
# build tree and runs it under Wine in a session of its own (its own prefix,
# so a test run of the same tree is left alone); it prints one table per
# section.
#   bash scripts/bench-engine.sh [section ...]     (sections: scan, llf, slow-smart; default all)
# BENCH_BUILD_DIR names another simulated build tree to use than build/.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BENCH_BUILD_DIR:-$root/build}"
prefix="$build/bench-wineprefix"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j4 --target engine_bench >/dev/null
"$root/scripts/wine-session.sh" start "$prefix" >/dev/null
trap '"$root/scripts/wine-session.sh" stop "$prefix" >/dev/null' EXIT
cd "$build/bin"
"$root/scripts/wine-run.sh" --prefix "$prefix" --timeout 600 ./engine_bench.exe "$@"
