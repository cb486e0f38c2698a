#!/usr/bin/env bash
# A real Wayland session for tests and benchmarks, started on the spot and taken down on exit.
# Source it, then:
#
#   session_start COMPOSITOR BIN_DIR   sway|sway-xwayland|kwin|kwin-xwayland|weston|mutter|
#                                      mutter-xwayland; copies the programs of BIN_DIR to where
#                                      the session's user can run them
#   in_session COMMAND...              runs COMMAND in the session (WAYLAND_DISPLAY, and DISPLAY
#                                      with XWayland), as that user
#
# Afterwards $work is the session's folder (programs in $work/bin), $user its user, $display the
# XWayland display (empty without). Compositors will not run as root, so as root everything runs
# as an unprivileged user made for it.

source "$(dirname "${BASH_SOURCE[0]}")/users.sh"
work=$(mktemp -d)
pids=()
as_user=()
user=$(id -un)
display=
xauthority=
socket=
session_cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  # Keepers and wl-copy end when their compositor does; whatever else of this session is left
  # goes too (found by the session's own runtime folder, so another run's processes stay).
  for pid in $(pgrep -u "$user" 2>/dev/null); do
    if { tr '\0' '\n' < "/proc/$pid/environ"; } 2>/dev/null | grep -qxF "XDG_RUNTIME_DIR=$work/runtime"; then
      kill "$pid" 2>/dev/null || true
    fi
  done
  rm -rf "$work"
}
trap session_cleanup EXIT

if [ "$(id -u)" -eq 0 ]; then
  user=zimbrel-wayland-test
  test_user "$user"
  as_user=(runuser -u "$user" --)
fi

# In a sanitizer run, leaks are traced through every frame: the EGL driver that Qt's Wayland
# plugin loads keeps an allocation until the end, and is unloaded before the leak check, so only
# a full trace reaches libEGL, which lsan.supp names (the fast one stops at the unloaded driver).
asan_options=${ASAN_OPTIONS:-}
[ -n "$asan_options" ] && asan_options+=:fast_unwind_on_malloc=0
session=(env -i PATH=/usr/bin:/bin HOME="$work" XDG_RUNTIME_DIR="$work/runtime"
         ASAN_OPTIONS="$asan_options" LSAN_OPTIONS="${LSAN_OPTIONS:-}" UBSAN_OPTIONS="${UBSAN_OPTIONS:-}")
user_run() { "${as_user[@]}" "${session[@]}" "$@"; }

in_session() {
  local variables=(WAYLAND_DISPLAY="$socket")
  [ -n "$display" ] && variables+=(DISPLAY="$display")
  [ -n "$xauthority" ] && variables+=(XAUTHORITY="$xauthority")
  user_run "${variables[@]}" "$@"
}

# The session's DISPLAY, from the environment the compositor gives the programs it starts.
xwayland_display() {
  for _ in $(seq 1 100); do
    [ -s "$work/session.env" ] && break
    sleep 0.1
  done
  display=$(sed -n 's/^DISPLAY=//p' "$work/session.env" 2>/dev/null || true)
}

session_start() {
  local compositor=$1 bin=$2 program found=
  mkdir -p "$work/runtime" "$work/run" "$work/bin"
  for program in zimbrel-generator zimbrel-generator-window zimbrel-wayland-keeper zimbrel-clipboard-keeper; do
    cp "$bin/$program" "$work/bin/"
  done
  chmod 700 "$work/runtime"
  chown -R "$user" "$work"
  chmod 755 "$work"
  socket=wayland-zt
  case "$compositor" in
    sway*)
      local xw=disable
      [ "$compositor" = sway-xwayland ] && xw=enable
      printf 'xwayland %s\nexec env > %s/session.env\n' "$xw" "$work" > "$work/sway.conf"
      chown "$user" "$work/sway.conf"
      user_run WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
        sway -c "$work/sway.conf" > "$work/compositor.log" 2>&1 &
      pids+=($!)
      ;;
    kwin*)
      # Debian's kwin_wayland carries a file capability that a sandbox may refuse to grant; a
      # copy of it has none and starts everywhere.
      cp "$(command -v kwin_wayland)" "$work/bin/kwin_wayland"
      local extra=()
      [ "$compositor" = kwin-xwayland ] && extra=(--xwayland)
      user_run dbus-run-session -- "$work/bin/kwin_wayland" --virtual --no-lockscreen --socket "$socket" \
        "${extra[@]}" --exit-with-session "sh -c 'env > $work/session.env; exec sleep 600'" \
        > "$work/compositor.log" 2>&1 &
      pids+=($!)
      ;;
    weston | mutter*)
      # Nested in a virtual X server of their own, which gives the seat a keyboard (their headless
      # seats have none, and the focus route needs one).
      user_run Xvfb -displayfd 3 -nolisten tcp -screen 0 1024x768x24 3> "$work/xvfb.display" 2> /dev/null &
      pids+=($!)
      for _ in $(seq 1 100); do [ -s "$work/xvfb.display" ] && break; sleep 0.1; done
      if [ "$compositor" = weston ]; then
        user_run DISPLAY=":$(cat "$work/xvfb.display")" weston --backend=x11-backend.so --socket="$socket" \
          --idle-time=0 > "$work/compositor.log" 2>&1 &
      else
        local x11=(--no-x11)
        [ "$compositor" = mutter-xwayland ] && x11=()
        user_run DISPLAY=":$(cat "$work/xvfb.display")" dbus-run-session -- mutter --nested --wayland \
          "${x11[@]}" --wayland-display="$socket" > "$work/compositor.log" 2>&1 &
      fi
      pids+=($!)
      ;;
    *) echo "unknown compositor $compositor" >&2; return 2 ;;
  esac
  for _ in $(seq 1 150); do
    found=$(cd "$work/runtime" && ls wayland-* 2>/dev/null | grep -v lock | head -n 1) || true
    [ -n "$found" ] && break
    sleep 0.1
  done
  if [ -z "$found" ]; then
    echo "$compositor did not start:" >&2
    cat "$work/compositor.log" >&2
    return 1
  fi
  socket=$found
  case "$compositor" in
    mutter-xwayland)
      # mutter tells the display of its XWayland (and the key to it) only to the programs it
      # starts; XWayland's command line names both.
      local pid
      for _ in $(seq 1 100); do
        for pid in $(pgrep -u "$user" Xwayland 2>/dev/null); do
          if { tr '\0' '\n' < "/proc/$pid/environ"; } 2>/dev/null | grep -qxF "XDG_RUNTIME_DIR=$work/runtime"; then
            display=$(tr '\0' '\n' < "/proc/$pid/cmdline" | grep -m 1 '^:[0-9]*$' || true)
            xauthority=$(tr '\0' '\n' < "/proc/$pid/cmdline" | grep -m 1 -A 1 '^-auth$' | tail -n 1 || true)
          fi
        done
        [ -n "$display" ] && break
        sleep 0.1
      done
      ;;
    *xwayland) xwayland_display ;;
  esac
}
