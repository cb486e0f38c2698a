#!/usr/bin/env bash
# make run / make run-settings: starts a program in build/run, the folder both programs share.
# Without a display (neither DISPLAY nor WAYLAND_DISPLAY set) the program runs on a virtual X
# server instead: a screenshot of its window is saved, and the editor is then cancelled (the
# generator ends by itself).
set -euo pipefail

build=${BUILD:-build}
program=zimbrel-${1:-generator}
bin=$(cd "$build/bin" && pwd)
rundir="$build/run"

mkdir -p "$rundir"
if [ ! -e "$rundir/settings.ini" ]; then
  # Letters and digits, length 12, written as the editor writes it (CR LF line ends).
  printf 'abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789\r\n12\r\n' > "$rundir/settings.ini"
fi

if [ ! -x "$bin/$program" ]; then
  echo "$program is not built yet." >&2
  exit 1
fi

cd "$rundir"
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$bin/$program"
fi

shot=$(cd .. && pwd)/$program.png
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  XDG_RUNTIME_DIR=$(mktemp -d)
  export XDG_RUNTIME_DIR
  trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
fi
echo "No display available: running $program on a virtual X server."
case "$program" in
  zimbrel-settings) title="Kavrin Password Settings" ;;
  *) title=$program ;;
esac
xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp -noreset" bash -c '
  "$1" &
  pid=$!
  for _ in $(seq 1 50); do
    window=$(xdotool search --onlyvisible --name "^$4\$" 2>/dev/null | head -n 1) && [ -n "$window" ] && break
    sleep 0.1
  done
  sleep 0.5
  if [ -n "${window:-}" ]; then
    eval "$(xdotool getwindowgeometry --shell "$window")"
    import -window root -crop "$((WIDTH + 40))x$((HEIGHT + 40))+$((X - 20))+$((Y - 20))" +repage "$3"
    echo "Screenshot of the window saved to $3"
  fi
  if [ "$2" = zimbrel-generator ]; then
    echo "Clipboard: $(xclip -o -selection clipboard 2>/dev/null)"
  else
    xdotool key Escape 2>/dev/null; sleep 0.5; kill "$pid" 2>/dev/null || true
  fi
  wait "$pid"
' run "$bin/$program" "$program" "$shot" "$title"
