#!/usr/bin/env bash
# Runs the simulated tree's whole suite again and again on a machine whose
# every core is kept busy, as CI's machine is right after a session, and
# prints a table: each run's verdict and every test that failed in it.
#   stress-tests.sh [RUNS]   (default 5)
# The tree is build-stress/ (built or brought up to date first); each run is
# `ctest -j` twice the cores, its output kept in build-stress/stress/run-N.log.
# The load is one busy loop per core, started after the build and ended with
# the script, also when it is interrupted.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
runs="${1:-5}"
[[ "$runs" =~ ^[1-9][0-9]*$ ]] || {
  echo "usage: stress-tests.sh [RUNS]" >&2
  exit 2
}
build="$root/build-stress"
cores="$(nproc)"
jobs=$((2 * cores))

logs="$build/stress"
rm -rf "$logs"
mkdir -p "$logs"
echo "stress-tests: building $build"
"$root/scripts/build.sh" "$build" >"$logs/build.log" 2>&1 || {
  tail -n 40 "$logs/build.log" >&2
  echo "stress-tests: the build of $build failed (all of it: $logs/build.log)" >&2
  exit 1
}

load=()
end_load() {
  local pid
  for pid in "${load[@]}"; do
    kill "$pid" 2>/dev/null
  done
  for pid in "${load[@]}"; do
    wait "$pid" 2>/dev/null
  done
  load=()
}
trap end_load EXIT
trap 'end_load; exit 130' INT
trap 'end_load; exit 143' TERM
for ((i = 0; i < cores; ++i)); do
  (while :; do :; done) &
  load+=("$!")
done

# The GoogleTest cases that failed, from a test's report (none when the
# program left no report: its log says why).
failed_cases() {
  local report="$build/test-reports/$1.xml"
  [ -f "$report" ] || return 0
  awk '
    /<testcase / { match($0, / name="[^"]*"/); name = substr($0, RSTART + 7, RLENGTH - 8)
                   match($0, / classname="[^"]*"/); suite = substr($0, RSTART + 12, RLENGTH - 13) }
    /<failure / { if (!seen[suite "." name]++) print suite "." name }
  ' "$report"
}

verdicts=() seconds=() failures=()
for ((run = 1; run <= runs; ++run)); do
  log="$logs/run-$run.log"
  echo "stress-tests: run $run of $runs (ctest -j$jobs, $cores busy loops)"
  start=$(date +%s)
  ctest --test-dir "$build" --output-on-failure -j"$jobs" >"$log" 2>&1
  status=$?
  seconds+=("$(($(date +%s) - start))")
  failed=""
  while read -r test; do
    cases="$(failed_cases "$test" | paste -sd, - | sed 's/,/, /g')"
    failed+="${failed:+; }$test${cases:+ ($cases)}"
  done < <(sed -n '/^The following tests FAILED:/,$ s/^[[:space:]]*[0-9]\+ - \([^ ]*\) (.*)$/\1/p' "$log")
  if [ $status -eq 0 ]; then
    verdicts+=(passed)
  else
    verdicts+=(FAILED)
    [ -n "$failed" ] || failed="(no test named: see $log)"
  fi
  failures+=("${failed:--}")
done
end_load

echo
printf '%-4s %-8s %8s  %s\n' run verdict seconds "failed tests"
status=0
for ((i = 0; i < runs; ++i)); do
  printf '%-4s %-8s %8s  %s\n' "$((i + 1))" "${verdicts[$i]}" "${seconds[$i]}" "${failures[$i]}"
  [ "${verdicts[$i]}" = passed ] || status=1
done
echo "(each run's output: $logs/run-N.log)"
exit $status
