#!/usr/bin/env bash
# The runner must fail every program that does not run to its end and pass
# the one that does. Runs runner_probe's cases in a prefix and session of its
# own, because one case ends the Wine server under its program.
#   RunnerCheck.sh RUNNER runner_probe.exe SCRATCH_DIR CTEST hang_report.exe
set -uo pipefail
[ $# -eq 5 ] || { echo "usage: RunnerCheck.sh RUNNER runner_probe.exe SCRATCH_DIR CTEST hang_report.exe" >&2; exit 2; }
runner="$(realpath "$1")" probe="$(realpath "$2")" scratch="$(realpath -m "$3")" ctest="$4"
hang_tool="$(realpath "$5")"
session="$(dirname "$runner")/wine-session.sh"
prefix="$scratch/wineprefix"
mkdir -p "$scratch"
# The probes leave their marks in the working folder.
cd "$scratch" || exit 1
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
  bash "$runner" --prefix "$prefix" --gtest "$scratch/$name.xml" "$@" "$probe" \
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
# A hang says where it is before the program is ended: the test under way,
# the text of the box it waits in, the function with its file and line, and
# a picture of the screen named after the test.
rm -rf "$scratch/screenshots"
expect HangsInABox fail "did not end within 20 s" --timeout 20 --hang-report "$hang_tool" \
  --screenshots "$scratch/screenshots"
hang_shows() {
  grep -q -- "$2" "$scratch/HangsInABox.log" || {
    echo "WRONG: HangsInABox: the report does not show $1 (\"$2\")"
    mismatches=$((mismatches + 1))
  }
}
hang_shows "the test under way" "the test under way: RunnerProbe.DISABLED_HangsInABox"
hang_shows "the box's text" "child \"Static\" .*\"Runner probe: nobody answers this box\""
hang_shows "the waiting function with its file and line" "WaitForAnAnswerThatNeverComes.*RunnerProbe.cpp:[0-9]"
[ -s "$scratch/screenshots/HangsInABox.hang.png" ] || {
  echo "WRONG: HangsInABox: no picture of the screen in $scratch/screenshots/HangsInABox.hang.png"
  mismatches=$((mismatches + 1))
}
expect LeavesEarly fail "no GoogleTest report"

# A Windows child that a test leaves behind must not hold CTest's output: CTest
# sees the test end when its program ends, while the child still runs. Run
# as CTest runs it, in a test project of its own.
check_left_child() {
  local project="$scratch/left-child" log="$scratch/LeavesAChild.log"
  rm -rf "$project"
  mkdir -p "$project"
  cat >"$project/CTestTestfile.cmake" <<EOF
add_test(leaves_a_child bash [==[$runner]==] --prefix [==[$prefix]==] --gtest [==[$scratch/LeavesAChild.xml]==]
         [==[$probe]==] --gtest_brief=1 --gtest_also_run_disabled_tests --gtest_filter=RunnerProbe.DISABLED_LeavesAChild)
set_tests_properties(leaves_a_child PROPERTIES WORKING_DIRECTORY [==[$project]==] TIMEOUT 120)
EOF
  "$ctest" --test-dir "$project" --verbose >"$log" 2>&1
  local status=$? lingering=no counted own
  [ -f "$project/lingering.txt" ] && lingering=yes
  counted=$(sed -n 's/.*leaves_a_child .*Passed *\([0-9.]*\) sec.*/\1/p' "$log")
  own=$(sed -n 's/.*ran for \([0-9.]*\) s.*/\1/p' "$log" | tail -n1)
  if [ $status -ne 0 ] || [ -z "$counted" ]; then
    echo "WRONG: LeavesAChild: CTest did not pass it; its output:"
    sed 's/^/    /' "$log"
    mismatches=$((mismatches + 1))
  elif [ $lingering = no ]; then
    echo "WRONG: LeavesAChild: CTest counted the test as running until its child had gone: $counted s" \
      "(the program's own run: ${own:-not said})"
    mismatches=$((mismatches + 1))
  elif [ -z "$own" ] || awk -v c="$counted" -v o="$own" 'BEGIN { exit !(c > o + 10) }'; then
    # The runner's own work around the program takes well under 10 s; the
    # child stays 30 s.
    echo "WRONG: LeavesAChild: CTest counted $counted s, the program's own run ${own:-(not said)} s"
    mismatches=$((mismatches + 1))
  else
    echo "ok: LeavesAChild: CTest counted $counted s, the program's own run ${own:-?} s; its child still runs"
  fi
}
check_left_child

# Last: it ends this prefix's server while the program waits.
rm -f "$scratch/waiting.txt"
(
  for _ in $(seq 600); do
    [ -f "$scratch/waiting.txt" ] && break
    sleep 0.1
  done
  "$WINESERVER" -k
) &
expect OutlivesItsServer fail "no GoogleTest report" --timeout 120
wait
# With the session's server gone, the runner starts nothing (a program would
# start a server of its own, outside the session).
expect Passes fail "the Wine server of the session in .* has gone"

[ $mismatches -eq 0 ] || { echo "the runner judged $mismatches of the programs above wrongly"; exit 1; }
