#!/usr/bin/env bash
# One Wine session per run: a private Xvfb screen and the prefix's Wine server,
# owned by whoever runs the whole set of programs (the test run's first and
# last CTest tests, or run.sh), never by one of the programs.
#   wine-session.sh start PREFIX   creates the prefix if needed, starts both
#   wine-session.sh stop PREFIX    ends both
# The screen's display and the server's process are written to
# PREFIX.session, where wine-run.sh finds them. A start ends whatever an
# earlier, interrupted run of the prefix left.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
# shellcheck source=wine-env.sh
. "$here/wine-env.sh"
# shellcheck source=display.sh
. "$here/display.sh"

[ $# -eq 2 ] && { [ "$1" = start ] || [ "$1" = stop ]; } || {
  echo "usage: wine-session.sh start|stop PREFIX" >&2
  exit 2
}
action="$1"
mkdir -p "$(dirname "$2")"
prefix="$(cd "$(dirname "$2")" && pwd)/$(basename "$2")"
session="$prefix.session"
keeper="$prefix.keeper"

wine_find_programs
wine_use_prefix "$prefix"

# Ends the process of PID_NAME in the session file if it is still COMMAND,
# not a process that took its number since.
end_recorded() {
  local pid
  pid=$(sed -n "s/^$1=//p" "$session")
  if wine_process_runs "$pid" "$2"; then
    kill "$pid"
  fi
}

# Waits until the test (a command) holds, while process PID runs, within
# TENTHS tenths of a second: a limit that a loaded machine does not reach.
await() {
  local pid=$1 tenths=$2
  shift 2
  for _ in $(seq "$tenths"); do
    "$@" && return 0
    kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

end_session() {
  # The server ends its processes (the desktop, its keeper, the services) with it.
  if "$WINESERVER" -k 2>/dev/null; then
    "$WINESERVER" -w
  fi
  if [ -f "$session" ]; then
    end_recorded KEEPER_PID sleep
    end_recorded XVFB_PID Xvfb
    rm -f "$session"
  fi
  rm -f "$keeper" "$keeper.ready"
}

# The server in the foreground of a process of ours, so that its number is
# known: wine-run.sh checks that the session's server still runs before it
# starts a program, which would otherwise start a server of its own. In a
# process group of its own, as a server that goes to the background is: a
# signal to the group of whoever started the session (CTest ending a test
# run) leaves it to the session's stop, which ends its programs with it.
start_server() {
  setsid "$WINESERVER" -f -p </dev/null >"$prefix.server.log" 2>&1 &
  SERVER_PID=$!
  # Ready when its socket is there, in the folder the server works in.
  await "$SERVER_PID" 600 test -S "/proc/$SERVER_PID/cwd/socket" && return 0
  echo "wine-session: the Wine server did not start in $prefix:" >&2
  cat "$prefix.server.log" >&2
  return 1
}

# Wine ends the desktop process (explorer.exe /desktop) about a second after
# the last other program on the desktop has gone, and the next program that
# asks for a window starts it again as its own child. A command interpreter
# that waits for input which never comes stays on the desktop for the whole
# session, so one desktop, started below and holding nothing of any test,
# lives until the session ends.
start_desktop_keeper() {
  rm -f "$keeper" "$keeper.ready"
  mkfifo "$keeper" || return 1
  "$WINE_LOADER" cmd.exe <"$keeper" >/dev/null 2>&1 &
  # Its input: one command that says that it runs, then nothing until the
  # session ends the writer.
  local ready="Z:${keeper//\//\\}.ready"
  { echo "type nul > \"$ready\""; exec sleep infinity; } >"$keeper" 2>/dev/null </dev/null &
  KEEPER_PID=$!
  await "$KEEPER_PID" 1200 test -f "$keeper.ready" && return 0
  echo "wine-session: the desktop's keeper (cmd.exe) did not start in $prefix" >&2
  return 1
}

if [ "$action" = stop ]; then
  end_session
  echo "wine-session: ended the session of $prefix"
  exit 0
fi

# A start that fails or is ended half-way (CTest ending its run) leaves
# nothing running: no session file names its processes yet.
KEEPER_PID=""
abandon() {
  [ -z "$KEEPER_PID" ] || kill "$KEEPER_PID" 2>/dev/null
  end_session
  stop_private_display
  exit 1
}
end_session
trap abandon INT TERM HUP
start_private_display || exit 1
wine_prepare_prefix || abandon
# The server stays up between programs; the desktop and the services start
# now, outside every program's process tree and output.
start_server || abandon
if ! "$WINE_LOADER" wineboot </dev/null >/dev/null 2>&1; then
  echo "wine-session: Wine does not start in $prefix" >&2
  abandon
fi
start_desktop_keeper || abandon
# The desktop process starts with the first program that asks for a window,
# with that program's output. Started here, it holds nothing of any test.
"$WINE_LOADER" rundll32.exe user32.dll,GetDesktopWindow </dev/null >/dev/null 2>&1 || true
printf 'DISPLAY=%s\nXVFB_PID=%s\nSERVER_PID=%s\nKEEPER_PID=%s\n' "$DISPLAY" "$XVFB_PID" "$SERVER_PID" "$KEEPER_PID" \
  >"$session"
trap - INT TERM HUP
echo "wine-session: $prefix runs on display $DISPLAY"
