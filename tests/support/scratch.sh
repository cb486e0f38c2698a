# Sourced by the shell tests. $work is a fresh folder, $pids the processes the test starts in the
# background. On exit those end, with everything still running from $work, and the folder goes; a
# test that has more to do first defines before_cleanup.
work=$(mktemp -d)
pids=()
scratch_cleanup() {
  if declare -F before_cleanup > /dev/null; then before_cleanup; fi
  for pid in "${pids[@]}"; do kill "$pid" 2> /dev/null || true; done
  pkill -f "$work/" 2> /dev/null || true
  rm -rf "$work"
}
trap scratch_cleanup EXIT

# start_xvfb [COMMAND...]: an X server of the test's own (through COMMAND, such as runuser, when
# given), on the first free display; its number goes to $xvfb_display.
start_xvfb() {
  "$@" Xvfb -displayfd 3 -nolisten tcp -screen 0 1024x768x24 3> "$work/xvfb.display" 2> /dev/null &
  pids+=($!)
  for _ in $(seq 1 100); do [ -s "$work/xvfb.display" ] && break; sleep 0.1; done
  xvfb_display=$(cat "$work/xvfb.display")
}
