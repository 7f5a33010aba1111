# Sourced: start_xvfb starts a private Xvfb (when no DISPLAY is set) and
# exports DISPLAY; the trap of the caller should call stop_xvfb.
XVFB_PID=""
start_xvfb() {
  [ -n "${DISPLAY:-}" ] && return 0
  local n
  for n in $(seq 90 140); do
    # A lock whose server is gone (a killed run) is stale: its number is free.
    # A lock still being written holds no number yet and is left alone.
    local owner
    owner=$(tr -d ' \n' 2>/dev/null <"/tmp/.X$n-lock")
    if [ -n "$owner" ] && [ -z "${owner//[0-9]/}" ] && ! kill -0 "$owner" 2>/dev/null; then
      rm -f "/tmp/.X$n-lock" "/tmp/.X11-unix/X$n"
    fi
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 50); do
      [ -e "/tmp/.X11-unix/X$n" ] && { export DISPLAY=":$n"; return 0; }
      sleep 0.1
    done
    kill "$XVFB_PID" 2>/dev/null || true
  done
  echo "could not start Xvfb" >&2
  return 1
}
stop_xvfb() {
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
}
