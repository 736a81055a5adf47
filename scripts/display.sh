# Sourced: start_private_display starts an Xvfb screen (1280x1024x24) on a free
# display, exports DISPLAY and sets XVFB_PID, or says why it could not and
# returns non-zero; stop_private_display ends it.
start_private_display() {
  local fdfile log
  command -v Xvfb >/dev/null || { echo "display: Xvfb is not installed (bash scripts/setup.sh)" >&2; return 1; }
  fdfile=$(mktemp) log=$(mktemp)
  # No descriptor of ours: it outlives the script that starts it and holds
  # no pipe a caller (CTest) waits on.
  Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp >"$fdfile" 2>"$log" </dev/null &
  XVFB_PID=$!
  for _ in $(seq 200); do
    [ -s "$fdfile" ] && break
    kill -0 "$XVFB_PID" 2>/dev/null || break
    sleep 0.05
  done
  local number
  number=$(head -n1 "$fdfile")
  rm -f "$fdfile"
  if [ -z "$number" ] || ! kill -0 "$XVFB_PID" 2>/dev/null; then
    echo "display: Xvfb did not start:" >&2
    cat "$log" >&2
    rm -f "$log"
    kill "$XVFB_PID" 2>/dev/null
    XVFB_PID=""
    return 1
  fi
  rm -f "$log"
  export DISPLAY=":$number"
}

stop_private_display() {
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null
  XVFB_PID=""
  return 0
}
