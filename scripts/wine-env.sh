# Sourced by the scripts that start Wine.
#   wine_find_programs: sets WINE_LOADER and exports WINESERVER, or says why not
#   wine_use_prefix DIR: exports the environment every Wine start of DIR shares
#   wine_prepare_prefix: creates the prefix once and applies the test settings
#   wine_process_runs PID PATTERN: whether process PID still runs as PATTERN
# Each returns non-zero with a message on stderr when it cannot do its work.

# Debian's wine64 puts its loader and server outside $PATH; other systems have
# them on it. Whatever is found must run, or nothing Wine starts can.
wine_find_programs() {
  local dir
  WINE_LOADER="" WINESERVER=""
  for dir in /usr/lib/wine /usr/lib64/wine; do
    if [ -x "$dir/wine64" ] && [ -x "$dir/wineserver64" ]; then
      WINE_LOADER="$dir/wine64"
      WINESERVER="$dir/wineserver64"
      break
    fi
  done
  if [ -z "${WINE_LOADER:-}" ]; then
    WINE_LOADER="$(command -v wine64 || command -v wine || true)"
    WINESERVER="$(command -v wineserver || true)"
  fi
  if [ -z "$WINE_LOADER" ] || [ -z "$WINESERVER" ]; then
    echo "wine: no Wine loader and server found (install wine64: bash scripts/setup.sh)" >&2
    return 1
  fi
  export WINESERVER
}

# A session keeps the numbers of the processes it started; a number may have
# been taken by another process since, and an ended process that its parent
# has not reaped yet keeps its name. Read without a process of its own: on a
# loaded machine each start costs a large part of a second.
wine_process_runs() {
  local comm="" state=""
  [ -n "$1" ] || return 1
  read -r comm 2>/dev/null <"/proc/$1/comm"
  read -r _ _ state _ 2>/dev/null <"/proc/$1/stat"
  # shellcheck disable=SC2053
  [[ "$comm" == $2 ]] && [ "$state" != Z ]
}

wine_use_prefix() {
  export WINEPREFIX="$1"
  export WINEARCH=win64
  export WINEDEBUG="${WINEDEBUG:--all}"
  # No .NET or Gecko installer prompts: nothing here needs them.
  export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
}

# The settings a test run depends on; raise the number when they change so
# that prefixes made before take them too.
wine_settings_version=4
wine_fonts_dir=/usr/share/wine/fonts
wine_liberation_dir=/usr/share/fonts/truetype/liberation
wine_settings() {
  cat <<'EOF'
REGEDIT4

; No window manager runs on the test screen: Wine frames the windows itself
; and does not wait for a manager to map or withdraw each one.
[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"

; A crash prints its backtrace and ends the process instead of waiting in the
; crash dialog for a person who is not there.
[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\AeDebug]
"Auto"="1"
"Debugger"="winedbg --auto %ld %ld"
EOF
}

# Needs a display (the first start draws Wine's boot window). Concurrent
# callers wait for the one that creates the prefix.
wine_prepare_prefix() {
  local marker="$WINEPREFIX/.kestrova-settings-$wine_settings_version"
  # Made last, when the prefix is whole: no need to wait for the lock.
  [ -f "$marker" ] && return 0
  mkdir -p "$(dirname "$WINEPREFIX")" || return 1
  (
    flock 9
    [ -f "$marker" ] && exit 0
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      "$WINE_LOADER" wineboot -i >/dev/null 2>&1
      "$WINESERVER" -w || exit 1
      [ -f "$WINEPREFIX/system.reg" ] || { echo "wine: creating the prefix $WINEPREFIX failed" >&2; exit 1; }
    fi
    # Wine's own fonts (Debian's fonts-wine) lie outside the folders this
    # Wine searches; without them "MS Shell Dlg" falls back to a wider face,
    # dialogs are laid out about 7/6 wider than designed and caption buttons
    # show letters instead of their glyphs.
    if ! ls "$wine_fonts_dir"/*.ttf >/dev/null 2>&1; then
      echo "wine: Wine's own fonts are missing from $wine_fonts_dir (package fonts-wine; scripts/setup.sh installs it)" >&2
      exit 1
    fi
    cp "$wine_fonts_dir"/*.ttf "$wine_fonts_dir"/*.fon "$WINEPREFIX/drive_c/windows/Fonts/" || exit 1
    # Debian's fonts-liberation, with the metrics of Arial, Times New Roman
    # and Courier New: the controls' untitled sans-serif font maps to its
    # Arial stand-in. Without it Wine takes a wider face and labels laid out
    # for Windows lose words ("Model Name :" shows as "Model").
    if ! ls "$wine_liberation_dir"/Liberation*.ttf >/dev/null 2>&1; then
      echo "wine: the Liberation fonts are missing from $wine_liberation_dir (package fonts-liberation; scripts/setup.sh installs it)" >&2
      exit 1
    fi
    cp "$wine_liberation_dir"/Liberation*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" || exit 1
    local settings="$WINEPREFIX/drive_c/kestrova-settings.reg"
    wine_settings >"$settings"
    if ! "$WINE_LOADER" regedit /S 'C:\kestrova-settings.reg' >/dev/null 2>&1; then
      echo "wine: the test settings could not be written to $WINEPREFIX" >&2
      exit 1
    fi
    "$WINESERVER" -w || exit 1
    rm -f "$settings"
    touch "$marker"
  ) 9>"$WINEPREFIX.lock"
}
