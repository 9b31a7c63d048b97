# Starts a private Xvfb (1600x1200, 24 bits, or TWR_XVFB_SIZE) unless
# TWR_USE_DISPLAY is set; sourced. Sets DISPLAY and stops the server when the shell exits.
twr_start_xvfb() {
  if [ -n "${TWR_USE_DISPLAY:-}" ] && [ -n "${DISPLAY:-}" ]; then
    return 0
  fi
  local fifo
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 ${TWR_XVFB_SIZE:-1600x1200}x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  TWR_XVFB_PID=$!
  read -r num <"$fifo"
  rm -f "$fifo"
  export DISPLAY=":$num"
  trap 'kill $TWR_XVFB_PID 2>/dev/null || true' EXIT
}
