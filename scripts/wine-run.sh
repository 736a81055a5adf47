#!/usr/bin/env bash
# Runs a Windows program under Wine in a private prefix and says whether it
# ran to its end.
#   wine-run.sh [--prefix DIR] [--gtest REPORT.xml | --exit-code N] [--timeout SECONDS]
#               [--hang-report TOOL.exe --screenshots DIR] program.exe [args...]
# --gtest REPORT.xml  a GoogleTest program: it passes only when it exits 0 and
#                     the XML report it writes at its very end counts at least
#                     one test and no failure (a crash, a killed Wine server or
#                     an early exit leave no report)
# --exit-code N       it passes only when the program ends with exit code N
# --timeout SECONDS   the program is ended after SECONDS and the run fails;
#                     first the runner says where it hangs: the GoogleTest
#                     test under way and, with --hang-report, the program's
#                     processes and those it started, their windows with
#                     their texts, the stack of every thread (Wine's
#                     debugger) and a picture of the screen, saved in the
#                     --screenshots folder (else the current one) as
#                     NAME.hang.png (NAME: the report's, else the program's)
# Without --gtest or --exit-code the program's exit code is returned.
# The screen is the one of the prefix's session (wine-session.sh) when one
# runs, else $DISPLAY. The runner neither starts nor stops the Wine server:
# other programs may share it; the session's owner ends it.
# The program's output and errors (a crash's backtrace too) go to files of the
# runner's own, printed when the program ends, with how long it ran: a Wine
# process that outlives the program (the desktop, a child it left, a server it
# started) may hold those files, never the caller's output, so a caller that
# reads to the end (CTest) sees the run end when the program ends.
set -uo pipefail
runner_started=$EPOCHREALTIME
here="$(cd "$(dirname "$0")" && pwd)"
# shellcheck source=wine-env.sh
. "$here/wine-env.sh"

usage() {
  echo "usage: wine-run.sh [--prefix DIR] [--gtest REPORT.xml | --exit-code N] [--timeout SECONDS]" \
    "[--hang-report TOOL.exe --screenshots DIR] program.exe [args...]" >&2
  exit 2
}
prefix="${WINEPREFIX:-$(pwd)/wineprefix}" report="" expected_exit="" time_limit="" hang_tool="" screenshots=""
while [ $# -gt 0 ]; do
  case "$1" in
  --prefix) [ $# -ge 2 ] || usage; prefix="$2"; shift 2 ;;
  --gtest) [ $# -ge 2 ] || usage; report="$(realpath -m "$2")"; shift 2 ;;
  --exit-code) [ $# -ge 2 ] || usage; expected_exit="$2"; shift 2 ;;
  --timeout) [ $# -ge 2 ] || usage; time_limit="$2"; shift 2 ;;
  --hang-report) [ $# -ge 2 ] || usage; hang_tool="$(realpath -m "$2")"; shift 2 ;;
  --screenshots) [ $# -ge 2 ] || usage; screenshots="$(realpath -m "$2")"; shift 2 ;;
  --*) usage ;;
  *) break ;;
  esac
done
[ $# -ge 1 ] || usage
program="$1"
fail() {
  echo "wine-run: FAILED: $program: $*" >&2
  exit 1
}

wine_find_programs || exit 2
mkdir -p "$(dirname "$prefix")"
prefix="$(cd "$(dirname "$prefix")" && pwd)/$(basename "$prefix")"
wine_use_prefix "$prefix"

session="$prefix.session"
# What a session wrote (NAME=VALUE lines), read without a process per name: on
# a loaded machine each start costs a large part of a second.
declare -A recorded=()
# Whether the session's process NAME still runs as PATTERN.
session_runs() { wine_process_runs "${recorded[$1]:-}" "$2"; }
if [ -f "$session" ]; then
  while IFS='=' read -r name value; do
    recorded[$name]="$value"
  done <"$session"
  DISPLAY="${recorded[DISPLAY]:-}"
  session_runs XVFB_PID Xvfb ||
    fail "the screen of the session in $session has gone (start it again: scripts/wine-session.sh start $prefix)"
  # A program started without the session's server would start a server of
  # its own, which the session's stop does not know of.
  session_runs SERVER_PID 'wineserver*' ||
    fail "the Wine server of the session in $session has gone (start it again: scripts/wine-session.sh start $prefix)"
  export DISPLAY
elif [ -z "${DISPLAY:-}" ]; then
  fail "no screen: start a session (scripts/wine-session.sh start $prefix) or set DISPLAY"
fi
wine_prepare_prefix || exit 2

# An absolute Unix path as Wine's drive Z: (the Unix root) names it.
windows_path() { echo "Z:${1//\//\\}"; }

args=("$@")
if [ -n "$report" ]; then
  # Wine's drive Z: is the Unix root.
  [ "$(readlink "$prefix/dosdevices/z:")" = / ] || fail "drive Z: of $prefix is not the Unix root"
  mkdir -p "$(dirname "$report")"
  rm -f "$report"
  args+=("--gtest_output=xml:$(windows_path "$report")")
fi

# Two files, so that the caller still tells the program's output from its errors.
output="$(mktemp "${TMPDIR:-/tmp}/wine-run.XXXXXX")" || fail "no file for its output"
error_file="$output.errors"
sleeper=""
trap 'rm -f "$output" "$error_file" "$output".hang*; [ -z "$sleeper" ] || kill "$sleeper" 2>/dev/null' EXIT

# Waits up to SECONDS for the program; sets rc when it has ended. The timer
# holds none of the caller's output.
program_ends_within() {
  local ended="" status
  sleep "$1" </dev/null >/dev/null 2>&1 &
  sleeper=$!
  wait -n -p ended "$program_pid" "$sleeper"
  status=$?
  if [ "$ended" = "$program_pid" ]; then
    rc=$status
    kill "$sleeper" 2>/dev/null
    wait "$sleeper" 2>/dev/null
    sleeper=""
    return 0
  fi
  sleeper=""
  return 1
}

# The GoogleTest test that started and did not end, from the program's output.
test_under_way() {
  awk '/^\[ RUN      \] / { test = $4 }
       /^\[       OK \] |^\[  FAILED  \] |^\[  SKIPPED \] / { if ($4 == test) test = "" }
       END { if (test != "") print test }' "$output"
}

# Says where the program hangs, before it is ended: which test, the windows
# and the screen (the report tool), and every thread's stack.
report_hang() {
  local name under_way listing="$output.hang" commands="$output.hang.dbg" pid tids tid
  echo "wine-run: $program did not end within $time_limit s; where it is:" >&2
  under_way="$(test_under_way)"
  [ -z "$under_way" ] || echo "wine-run: the test under way: $under_way" >&2
  if [ -z "$hang_tool" ]; then
    echo "wine-run: no windows and no picture of the screen (no --hang-report tool given)" >&2
    return
  fi
  if [ ! -f "$hang_tool" ]; then
    echo "wine-run: no windows and no picture of the screen: $hang_tool is missing" >&2
    return
  fi
  name="$(basename "${report:-$program}")"
  name="${name%.*}"
  mkdir -p "${screenshots:=$(pwd)}"
  timeout -k 5 30 "$WINE_LOADER" "$hang_tool" "$(windows_path "$(realpath -m "$program")")" \
    "$(windows_path "$screenshots/$name.hang.png")" </dev/null >"$listing" 2>&1 ||
    echo "wine-run: the report tool failed or did not end within 30 s" >&2
  cat "$listing" >&2
  # "hang-report: threads of 0xPID: 0xTID ...": each thread's stack from the
  # debugger attached to its process, which it leaves as it found it.
  while read -r pid tids; do
    : >"$commands"
    for tid in $tids; do
      echo "bt $tid" >>"$commands"
    done
    echo detach >>"$commands"
    echo "wine-run: the stacks of the threads of process $pid:" >&2
    timeout -k 5 40 "$WINE_LOADER" winedbg --file "$(windows_path "$(realpath -m "$commands")")" "$pid" </dev/null 2>&1 |
      sed 's/^/    /' >&2
    [ "${PIPESTATUS[0]}" -eq 0 ] || echo "wine-run: the debugger failed or did not end within 40 s" >&2
  done < <(sed -n 's/^hang-report: threads of \(0x[0-9a-f]*\):\(.*\)$/\1 \2/p' "$listing")
}

started=$EPOCHREALTIME
"$WINE_LOADER" "${args[@]}" </dev/null >"$output" 2>"$error_file" &
program_pid=$!
stopped=no
if [ -z "$time_limit" ]; then
  wait "$program_pid"
  rc=$?
elif ! program_ends_within "$time_limit"; then
  report_hang
  # Ended as timeout(1) ends a program: asked first, then killed.
  kill -TERM "$program_pid" 2>/dev/null
  program_ends_within 10 || {
    kill -KILL "$program_pid" 2>/dev/null
    wait "$program_pid"
  }
  stopped=yes
fi
ended=$EPOCHREALTIME
cat "$output"
cat "$error_file" >&2
awk -v program="${program##*/}" -v runner="$runner_started" -v from="$started" -v to="$ended" \
  'BEGIN { printf "wine-run: %s ran for %.2f s (%.2f s after the runner started)\n", program, to - from, to - runner }' >&2
[ $stopped = no ] || fail "did not end within $time_limit s and was stopped"

if [ -n "$report" ]; then
  [ -f "$report" ] || fail "no GoogleTest report (exit code $rc): it did not run to its end"
  totals=$(grep -o -m1 '<testsuites [^>]*>' "$report")
  count() { sed -n "s/.* $1=\"\([0-9]*\)\".*/\1/p" <<<"$totals"; }
  tests=$(count tests) failures=$(count failures) errors=$(count errors)
  [ -n "$tests" ] && [ -n "$failures" ] && [ -n "$errors" ] || fail "unreadable GoogleTest report $report"
  [ "$failures" -eq 0 ] && [ "$errors" -eq 0 ] || fail "$failures failed and $errors broken of $tests tests"
  [ $rc -eq 0 ] || fail "exit code $rc after its report"
  [ "$tests" -gt 0 ] || fail "ran no test"
  exit 0
fi
if [ -n "$expected_exit" ]; then
  [ $rc -eq "$expected_exit" ] || fail "exit code $rc, not $expected_exit"
  exit 0
fi
exit $rc
