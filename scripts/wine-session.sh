#!/usr/bin/env bash
# One Wine session per run: a private Xvfb screen and the prefix's Wine server,
# owned by whoever runs the whole set of programs (the test run's first and
# last CTest tests, or run.sh), never by one of the programs.
#   wine-session.sh start PREFIX   creates the prefix if needed, starts both
#   wine-session.sh stop PREFIX    ends both
# The screen's display is written to PREFIX.session, where wine-run.sh finds
# it. A start ends whatever an earlier, interrupted run of the prefix left.
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

wine_find_programs
wine_use_prefix "$prefix"

end_session() {
  # The server ends its processes (the desktop, the services) with it.
  if "$WINESERVER" -k 2>/dev/null; then
    "$WINESERVER" -w
  fi
  if [ -f "$session" ]; then
    local pid
    pid=$(sed -n 's/^XVFB_PID=//p' "$session")
    # Only the screen this session started, not a process that took its number.
    if [ -n "$pid" ] && [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = Xvfb ]; then
      kill "$pid"
    fi
    rm -f "$session"
  fi
}

if [ "$action" = stop ]; then
  end_session
  echo "wine-session: ended the session of $prefix"
  exit 0
fi

end_session
start_private_display
wine_prepare_prefix || { stop_private_display; exit 1; }
# The server stays up between programs; the desktop and the services start
# now, outside every program's process tree and output.
"$WINESERVER" -p </dev/null >"$prefix.server.log" 2>&1 || {
  cat "$prefix.server.log" >&2
  stop_private_display
  exit 1
}
if ! "$WINE_LOADER" wineboot </dev/null >/dev/null 2>&1; then
  echo "wine-session: Wine does not start in $prefix" >&2
  end_session
  stop_private_display
  exit 1
fi
# The desktop process (explorer.exe /desktop) starts with the first program
# that asks for a window and keeps that program's standard output and error
# for the rest of the session, so CTest would count that test as running
# until the session's last window closed (a minute and more on a busy run).
# Started here, it holds nothing of any test.
"$WINE_LOADER" rundll32.exe user32.dll,GetDesktopWindow </dev/null >/dev/null 2>&1 || true
printf 'DISPLAY=%s\nXVFB_PID=%s\n' "$DISPLAY" "$XVFB_PID" >"$session"
echo "wine-session: $prefix runs on display $DISPLAY"
