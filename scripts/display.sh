# Sourced: start_private_display starts an Xvfb screen (1280x1024x24) on a free
# display, exports DISPLAY and sets XVFB_PID; stop_private_display ends it.
start_private_display() {
  local fdfile
  fdfile=$(mktemp)
  Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp >"$fdfile" 2>/dev/null &
  XVFB_PID=$!
  for _ in $(seq 200); do
    [ -s "$fdfile" ] && break
    sleep 0.05
  done
  export DISPLAY=":$(head -n1 "$fdfile")"
  rm -f "$fdfile"
}

stop_private_display() {
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null
  XVFB_PID=""
  return 0
}
