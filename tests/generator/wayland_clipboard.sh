#!/usr/bin/env bash
# The generator in a real Wayland session, as a user meets it:
#
#   wayland_clipboard.sh BIN_DIR sway|sway-xwayland|kwin|kwin-xwayland|weston [clear-after]
#
#   sway, kwin: clipboard control (zwlr_data_control), Wayland alone;
#   sway-xwayland, kwin-xwayland: the same with XWayland, DISPLAY and WAYLAND_DISPLAY both set
#     (their normal sessions), where an X owner without focus is refused;
#   weston: no clipboard control: the keeper's focus window (weston's X11 backend inside a virtual
#     X server of its own, which gives the seat a keyboard; weston's headless backend has none).
#
# Something is on the clipboard before; during and after the generator, Wayland programs (and X
# programs, with XWayland) paste the new password; the hint for clipboard histories is offered; no
# file anywhere holds the password; the next run replaces it and leaves one keeper. With
# "clear-after" it checks --clear-after instead. Compositors will not run as root, so as root the
# test runs everything as an unprivileged user it creates.
set -euo pipefail

bin=$1
compositor=$2
mode=${3:-}
need=(wl-copy wl-paste)
case "$compositor" in
  sway*) need+=(sway) ;;
  kwin*) need+=(kwin_wayland dbus-run-session) ;;
  weston) need+=(weston Xvfb) ;;
esac
case "$compositor" in *xwayland) need+=(Xwayland xclip xmessage) ;; esac
for tool in "${need[@]}"; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed (make test installs it)"
    exit 77
  fi
done

source "$(dirname "$0")/../support/wayland_session.sh"
if ! session_start "$compositor" "$bin"; then
  echo "FAIL: $compositor did not start"; exit 1
fi

paste() { in_session timeout 10 wl-paste --no-newline 2>/dev/null || true; }
# An X program pastes while it has the focus, as a user's would: sway and KWin hand the Wayland
# clipboard to X programs only then. xmessage is the focused window; xclip reads meanwhile.
x_paste() {
  in_session timeout 6 xmessage -timeout 5 focus > /dev/null 2>&1 &
  local holder=$!
  local text=
  for _ in $(seq 1 30); do
    sleep 0.1
    text=$(in_session timeout 3 xclip -o -selection clipboard 2>/dev/null || true)
    [ -n "$text" ] && [ "$text" != "${1:-}" ] && break
  done
  kill "$holder" 2>/dev/null || true
  printf '%s' "$text"
}
keepers() { pgrep -u "$user" -f "$work/bin/zimbrel-(wayland|clipboard)-keeper" | wc -l; }

failures=0
passes=0
check() {
  if [ "$1" = ok ]; then echo "PASS: $2"; passes=$((passes + 1)); else echo "FAIL: $2"; failures=$((failures + 1)); fi
}

printf 'abcdefghjk\r\n14\r\n' > "$work/run/settings.ini"
chown "$user" "$work/run/settings.ini"
in_session sh -c 'printf "the old text" | wl-copy'
for _ in $(seq 1 30); do [ "$(paste)" = "the old text" ] && break; sleep 0.1; done

start_generator() {
  (cd "$work/run" && in_session timeout 30 "$work/bin/zimbrel-generator" "$@") &
  generator=$!
}
wait_for_password() {
  local text=
  for _ in $(seq 1 50); do
    text=$(paste)
    [[ "$text" =~ ^[abcdefghjk]{14}$ && "$text" != "${1:-}" ]] && break
    sleep 0.1
  done
  printf '%s' "$text"
}

if [ "$mode" = clear-after ]; then
  start_generator --clear-after 1
  during=$(wait_for_password)
  [[ "$during" =~ ^[abcdefghjk]{14}$ ]] && r=ok || r=no
  check "$r" "--clear-after 1: the password is on the clipboard at first (got '$during')"
  wait "$generator" || true
  sleep 0.5
  after=$(paste)
  [ -z "$after" ] && [ "$(keepers)" -eq 0 ] && r=ok || r=no
  check "$r" "--clear-after 1: the clipboard is empty once the time has run out (got '$after')"
  # Something copied later is never touched.
  start_generator --clear-after 2
  wait_for_password > /dev/null
  in_session sh -c 'printf "copied later" | wl-copy'
  wait "$generator" || true
  sleep 1
  after=$(paste)
  [ "$after" = "copied later" ] && r=ok || r=no
  check "$r" "--clear-after leaves what was copied later (got '$after')"
else
  start_generator
  during=$(wait_for_password)
  [[ "$during" =~ ^[abcdefghjk]{14}$ ]] && r=ok || r=no
  check "$r" "the password replaces the old text on the Wayland clipboard (got '$during')"
  if [ -n "$display" ]; then
    x=$(x_paste)
    [ "$x" = "$during" ] && r=ok || r=no
    check "$r" "an X program pastes it while the window is open (got '$x')"
  fi
  if [ "$compositor" = weston ]; then
    pgrep -u "$user" -f "zimbrel-wayland-keeper.*--focus" > /dev/null && r=ok || r=no
    check "$r" "without clipboard control the keeper takes the clipboard with its focus window"
  fi
  wait "$generator" && status=0 || status=$?
  [ "$status" -eq 0 ] && r=ok || r=no
  check "$r" "the generator ends by itself with status 0 (got $status)"
  after=$(paste)
  [ "$after" = "$during" ] && r=ok || r=no
  check "$r" "it is still there after the generator ended (got '$after')"
  types=$(in_session timeout 5 wl-paste --list-types 2>/dev/null || true)
  grep -qx 'x-kde-passwordManagerHint' <<< "$types" && r=ok || r=no
  check "$r" "clipboard histories are told it is a secret"
  if [ -n "$display" ]; then
    x=$(x_paste)
    [ "$x" = "$during" ] && r=ok || r=no
    check "$r" "an X program pastes it after the generator ended (got '$x')"
  fi
  holders=$(find /tmp /dev/shm "$work" -xdev -type f -user "$user" 2>/dev/null \
            | xargs -r grep -lF -- "$during" 2>/dev/null || true)
  [ -z "$holders" ] && r=ok || r=no
  check "$r" "no file holds the password (found: ${holders:-none})"

  start_generator
  second=$(wait_for_password "$during")
  wait "$generator" || true
  [[ "$second" =~ ^[abcdefghjk]{14}$ && "$second" != "$during" && "$(paste)" = "$second" ]] && r=ok || r=no
  check "$r" "the next run replaces it (got '$second')"
  [ "$(keepers)" -eq 1 ] && r=ok || r=no
  check "$r" "one keeper is left ($(keepers))"
fi

echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
