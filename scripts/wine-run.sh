#!/usr/bin/env bash
# Runs a Windows executable under Wine in a private prefix.
#   wine-run.sh [--prefix DIR] program.exe [args...]
# The prefix is created once per build tree (the first start of Wine takes a
# while). A private Xvfb display is started when no $DISPLAY is set and is
# stopped again when the program ends. The program's exit code is returned.
set -uo pipefail

prefix="${WINEPREFIX:-}"
if [ "${1:-}" = "--prefix" ]; then
  prefix="$2"
  shift 2
fi
[ -n "$prefix" ] || prefix="$(pwd)/wineprefix"
[ $# -ge 1 ] || { echo "usage: wine-run.sh [--prefix DIR] program.exe [args...]" >&2; exit 2; }

loader=/usr/lib/wine/wine64
[ -x "$loader" ] || loader="$(command -v wine64 || command -v wine || true)"
[ -n "$loader" ] || { echo "wine-run: no wine64 loader found" >&2; exit 2; }

export WINEPREFIX="$prefix"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export WINEARCH=win64
[ -x /usr/lib/wine/wineserver64 ] && export WINESERVER=/usr/lib/wine/wineserver64

# shellcheck source=display.sh
. "$(dirname "$0")/display.sh"
own_display=0
if [ -z "${DISPLAY:-}" ] && command -v Xvfb >/dev/null; then
  start_private_display
  own_display=1
fi

# One start creates the prefix; concurrent runners wait for it.
mkdir -p "$(dirname "$prefix")"
(
  flock 9
  if [ ! -f "$prefix/.kestrova-ready" ]; then
    "$loader" wineboot -i >/dev/null 2>&1
    "${WINESERVER:-wineserver}" -w 2>/dev/null
    touch "$prefix/.kestrova-ready"
  fi
  if [ ! -f "$prefix/.kestrova-unmanaged" ]; then
    # No window manager runs on the test screen: Wine frames the windows
    # itself and does not wait for a manager to map or withdraw each one.
    "$loader" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    "${WINESERVER:-wineserver}" -w 2>/dev/null
    touch "$prefix/.kestrova-unmanaged"
  fi
) 9>"$prefix.lock"

"$loader" "$@"
rc=$?
if [ "$own_display" = 1 ]; then
  # Wine's desktop process holds the display: end the prefix's server first.
  "${WINESERVER:-wineserver}" -k 2>/dev/null
  stop_private_display
fi
exit $rc
