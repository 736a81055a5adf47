#!/usr/bin/env bash
# The runner must fail every program that does not run to its end and pass
# the one that does. Runs runner_probe's cases in a prefix and session of its
# own, because one case ends the Wine server under its program.
#   RunnerCheck.sh RUNNER runner_probe.exe SCRATCH_DIR
set -uo pipefail
[ $# -eq 3 ] || { echo "usage: RunnerCheck.sh RUNNER runner_probe.exe SCRATCH_DIR" >&2; exit 2; }
runner="$1" probe="$2" scratch="$3"
session="$(dirname "$runner")/wine-session.sh"
prefix="$scratch/wineprefix"
mkdir -p "$scratch"
bash "$session" start "$prefix" >"$scratch/session.log" 2>&1 || {
  cat "$scratch/session.log"
  exit 1
}
trap 'bash "$session" stop "$prefix" >/dev/null 2>&1' EXIT
# shellcheck source=../../scripts/wine-env.sh
. "$(dirname "$runner")/wine-env.sh"
wine_find_programs || exit 1
wine_use_prefix "$prefix"

mismatches=0
# expect NAME VERDICT TEXT [runner options...]: runs RunnerProbe.DISABLED_NAME;
# the verdict must be VERDICT (pass or fail) and the output must hold TEXT.
expect() {
  local name="$1" verdict="$2" text="$3" log="$scratch/$1.log"
  shift 3
  local started=$SECONDS got=pass
  bash "$runner" --prefix "$prefix" --gtest "$scratch/$name.xml" "$@" "$probe" --gtest_brief=1 \
    --gtest_also_run_disabled_tests --gtest_filter="RunnerProbe.DISABLED_$name" >"$log" 2>&1 || got=fail
  if [ "$got" = "$verdict" ] && grep -q -- "$text" "$log"; then
    echo "ok: $name: $got in $((SECONDS - started)) s ($text)"
  else
    echo "WRONG: $name: the runner said $got, expected $verdict with \"$text\"; its output:"
    sed 's/^/    /' "$log"
    mismatches=$((mismatches + 1))
  fi
}

expect Passes pass "PASSED"
expect Fails fail "1 failed and 0 broken of 1 tests"
# The crash ends at once with where it happened, not in a waiting debugger.
expect Crashes fail "Backtrace:" --timeout 60
grep -q "RunnerProbe_DISABLED_Crashes_Test::TestBody.*RunnerProbe.cpp:[0-9]" "$scratch/Crashes.log" || {
  echo "WRONG: Crashes: the backtrace does not name the crashing function and line"
  mismatches=$((mismatches + 1))
}
grep -q "no GoogleTest report" "$scratch/Crashes.log" || {
  echo "WRONG: Crashes: not reported as a program that did not run to its end"
  mismatches=$((mismatches + 1))
}
expect Hangs fail "did not end within 3 s" --timeout 3
expect LeavesEarly fail "no GoogleTest report"

# Last: it ends this prefix's server while the program waits.
rm -f "$scratch/OutlivesItsServer.log"
(
  for _ in $(seq 600); do
    grep -q "waiting for the server to end" "$scratch/OutlivesItsServer.log" 2>/dev/null && break
    sleep 0.1
  done
  "$WINESERVER" -k
) &
expect OutlivesItsServer fail "no GoogleTest report" --timeout 120
wait

[ $mismatches -eq 0 ] || { echo "the runner judged $mismatches of the programs above wrongly"; exit 1; }
