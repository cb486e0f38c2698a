#!/usr/bin/env bash
# The programs without a usable window system, and the generator's processes as another user
# would see them:
#   - no display, a dead X display, a dead Wayland socket, a screen the display does not have:
#     each of zimbrel-generator, zimbrel-settings and zimbrel-colorpicker says one line naming
#     what is missing, exits 1 within a second, and leaves no core file (the generator's would
#     hold a password);
#   - the generator's processes (the window and the keeper) are not dumpable: their /proc files
#     belong to root, so no other process of the user can read their memory.
#
#   startup.sh BIN_DIR
set -euo pipefail
bin=$(cd "$1" && pwd)
source "$(dirname "$0")/../support/scratch.sh"
mkdir -p "$work/run" "$work/runtime" "$work/bin"
chmod 700 "$work/runtime"
printf 'abcdefghjk\r\n12\r\n' > "$work/run/settings.ini"

source "$(dirname "$0")/../support/checks.sh"
source "$(dirname "$0")/../support/users.sh"

# A display number nobody serves, and a Wayland socket nobody listens on.
# (Servers also listen on an abstract socket of the same name, which no file shows.)
dead=$((3000 + RANDOM % 3000))
while [ -e "/tmp/.X11-unix/X$dead" ] || grep -q "@/tmp/.X11-unix/X$dead\$" /proc/net/unix; do dead=$((dead + 1)); done
python3 -c "import socket,sys; socket.socket(socket.AF_UNIX).bind(sys.argv[1])" "$work/runtime/wayland-dead"

# A live X server (as an unprivileged user when run as root: root may read anything, which the
# last check needs), for a screen it does not have and for the generator's processes.
as_user=()
if [ "$(id -u)" -eq 0 ]; then
  user=zimbrel-wayland-test
  test_user "$user"
  as_user=(runuser -u "$user" --)
fi
live=
if command -v Xvfb >/dev/null; then
  start_xvfb "${as_user[@]}"
  live=$xvfb_display
fi

ulimit -c unlimited
for program in zimbrel-generator zimbrel-settings zimbrel-colorpicker; do
  while IFS='|' read -r name variables said; do
    [ -n "$name" ] || continue
    (cd "$work/run" && env -i PATH=/usr/bin:/bin HOME="$work" XDG_RUNTIME_DIR="$work/runtime" $variables \
      timeout 5 "$bin/$program" > "$work/out" 2> "$work/err") && status=0 || status=$?
    lines=$(wc -l < "$work/err")
    [ "$status" -eq 1 ] && [ "$lines" -eq 1 ] && grep -qxF "$program: $said" "$work/err" && r=ok || r=no
    check "$r" "$program, $name: status $status, said: $(head -c 300 "$work/err")"
    cores=$(find "$work/run" -name 'core*' | wc -l)
    [ "$cores" -eq 0 ] && r=ok || r=no
    check "$r" "$program, $name: no core file ($cores)"
    [ ! -s "$work/out" ] && r=ok || r=no
    check "$r" "$program, $name: nothing on standard output"
  done <<ROWS
no display||no display: neither DISPLAY nor WAYLAND_DISPLAY is set
dead X display|DISPLAY=:$dead|cannot open display :$dead
dead Wayland socket|WAYLAND_DISPLAY=wayland-dead|cannot connect to the Wayland display wayland-dead
${live:+a screen the display does not have|DISPLAY=:$live.7|display :$live.7 has no screen 7}
ROWS
done

# Not dumpable: the generator's processes, run as the unprivileged user.
if [ -n "$live" ]; then
  cp "$bin"/zimbrel-generator "$bin"/zimbrel-generator-window "$bin"/zimbrel-clipboard-keeper \
     "$bin"/zimbrel-wayland-keeper "$work/bin/"
  chmod -R a+rX "$work"
  chmod a+w "$work/run"
  (cd "$work/run" && "${as_user[@]}" env -i PATH=/usr/bin:/bin HOME="$work" DISPLAY=":$live" \
    timeout 20 "$work/bin/zimbrel-generator" > /dev/null 2>&1 &)
  running=
  for _ in $(seq 1 100); do
    running=$(pgrep -f "$work/bin/zimbrel-(generator-window|clipboard-keeper)" || true)
    [ "$(wc -w <<< "$running")" -eq 2 ] && break
    sleep 0.1
  done
  [ "$(wc -w <<< "$running")" -eq 2 ] && r=ok || r=no
  check "$r" "the generator's window and keeper run ($running)"
  for pid in $running; do
    # A program just started is dumpable until its first step (after a sanitizer's set-up, which
    # takes a while); it holds no password before.
    for _ in $(seq 1 50); do
      owner=$(stat -c %U "/proc/$pid/mem" 2>/dev/null || echo gone)
      [ "$owner" = root ] && break
      sleep 0.1
    done
    [ "$owner" = root ] && r=ok || r=no
    check "$r" "$(tr '\0' ' ' < "/proc/$pid/cmdline" | cut -c1-80): /proc/$pid/mem belongs to $owner"
  done

  # An X server with no other client (Xvfb in a script, no window manager) resets when its last
  # client leaves, and drops a connection made in that instant: the generator's look at the
  # display must not leave while its keeper connects. Ten starts, each on the bare server.
  owned=0
  for _ in $(seq 1 10); do
    pkill -f "$work/bin/zimbrel-(generator-window|clipboard-keeper)" 2>/dev/null || true
    for _ in $(seq 1 100); do pgrep -f "$work/bin/zimbrel-(generator-window|clipboard-keeper)" > /dev/null || break; sleep 0.1; done
    (cd "$work/run" && "${as_user[@]}" env -i PATH=/usr/bin:/bin HOME="$work" DISPLAY=":$live" \
      timeout 20 "$work/bin/zimbrel-generator" > /dev/null 2>&1 &)
    window=
    for _ in $(seq 1 100); do window=$(pgrep -f "$work/bin/zimbrel-generator-window") && break; sleep 0.1; done
    tr '\0' ' ' < "/proc/${window:-0}/cmdline" 2>/dev/null | grep -q -- '--copied 1 ' && owned=$((owned + 1))
  done
  [ "$owned" -eq 10 ] && r=ok || r=no
  check "$r" "on an X server with no other client, $owned of 10 keepers took the clipboard"
fi

finish
