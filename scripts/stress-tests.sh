#!/usr/bin/env bash
# Runs a tree's whole suite again and again on a machine whose every core is
# kept busy, as CI's machine is right after a session, and prints a table:
# each run's verdict and every test that failed in it.
#   stress-tests.sh [--real-seam] [--fresh-prefixes] [RUNS]   (default 5)
# The tree is build-stress/ with the simulated machine, or build-stress-win32/
# with the real platform calls (--real-seam, CI's first tree); it is built or
# brought up to date first. --fresh-prefixes starts each run from new Wine
# prefixes, the session's and the runner check's, as a fresh clone's CI does.
# Each run is `ctest -j` twice the cores, its output kept in the tree's
# stress/run-N.log.
# The load is one busy loop per core, started after the build and ended with
# the script: at once when it is interrupted (the run under way is ended and
# the tree's Wine sessions stopped), and by itself when the script is killed.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
usage() {
  echo "usage: stress-tests.sh [--real-seam] [--fresh-prefixes] [RUNS]" >&2
  exit 2
}
build="$root/build-stress" configure=() fresh=no
while [ $# -gt 0 ]; do
  case "$1" in
  --real-seam) build="$root/build-stress-win32" configure=(-DKESTROVA_SIM_SEAM=OFF); shift ;;
  --fresh-prefixes) fresh=yes; shift ;;
  -*) usage ;;
  *) break ;;
  esac
done
[ $# -le 1 ] || usage
runs="${1:-5}"
[[ "$runs" =~ ^[1-9][0-9]*$ ]] || usage
cores="$(nproc)"
jobs=$((2 * cores))

logs="$build/stress"
rm -rf "$logs"
mkdir -p "$logs"
echo "stress-tests: building $build"
"$root/scripts/build.sh" "$build" "${configure[@]}" >"$logs/build.log" 2>&1 || {
  tail -n 40 "$logs/build.log" >&2
  echo "stress-tests: the build of $build failed (all of it: $logs/build.log)" >&2
  exit 1
}

load=() ctest_pid=""
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
# Ends the run under way (CTest and its tests, in a process group of their
# own) and the Wine sessions its tests had open.
end_run() {
  [ -n "$ctest_pid" ] || return 0
  kill -TERM -- "-$ctest_pid" 2>/dev/null
  wait "$ctest_pid" 2>/dev/null
  ctest_pid=""
  local session
  for session in "$build"/wineprefix.session "$build"/*/wineprefix.session; do
    [ -f "$session" ] && "$root/scripts/wine-session.sh" stop "${session%.session}" >/dev/null 2>&1
  done
}
interrupted() {
  end_load
  echo "stress-tests: interrupted; ending the run under way" >&2
  end_run
  exit "$1"
}
trap end_load EXIT
trap 'interrupted 130' INT
trap 'interrupted 143' TERM
# Busy until the script has gone, also when it is killed and cannot end it.
busy() {
  local parent=$1 state n
  while read -r _ _ state _ 2>/dev/null <"/proc/$parent/stat" && [ "$state" != Z ]; do
    for ((n = 0; n < 100000; ++n)); do :; done
  done
}
for ((i = 0; i < cores; ++i)); do
  busy $$ </dev/null >/dev/null 2>&1 &
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

# What a fresh clone's run starts without: the prefixes of the session and
# of the runner check, with everything a session leaves beside them.
remove_prefixes() {
  rm -rf "$build"/wineprefix "$build"/wineprefix.* "$build"/runner-check
}

verdicts=() seconds=() failures=()
for ((run = 1; run <= runs; ++run)); do
  log="$logs/run-$run.log"
  [ $fresh = no ] || remove_prefixes
  echo "stress-tests: run $run of $runs of $(basename "$build") (ctest -j$jobs, $cores busy loops$([ $fresh = no ] || echo ", new prefixes"))"
  start=$(date +%s)
  # In the background, so that an interruption is handled at once, not when
  # the run has ended.
  setsid ctest --test-dir "$build" --output-on-failure -j"$jobs" >"$log" 2>&1 </dev/null &
  ctest_pid=$!
  wait "$ctest_pid"
  status=$?
  ctest_pid=""
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
