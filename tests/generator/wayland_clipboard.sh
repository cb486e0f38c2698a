#!/usr/bin/env bash
# The generator in a real Wayland session, as a user meets it:
#
#   wayland_clipboard.sh BIN_DIR COMPOSITOR [clear-after|together]
#
#   sway, kwin: clipboard control (zwlr_data_control), Wayland alone;
#   sway-xwayland, kwin-xwayland: the same with XWayland, DISPLAY and WAYLAND_DISPLAY both set
#     (their normal sessions), where an X owner without focus is refused;
#   weston, mutter: no clipboard control: the keeper's focus window (each nested in a virtual X
#     server of its own, which gives the seat a keyboard; their headless backends have none); both
#     keep a copy of the clipboard and put it back when it is emptied;
#   mutter-xwayland: GNOME's case, the X keeper, whose clipboard mutter bridges (and copies).
#
# Something is on the clipboard before; during and after the generator, Wayland programs (and X
# programs, with XWayland) paste the new password; the hints for clipboard histories are offered;
# no file anywhere holds the password; the next run replaces it and leaves one keeper. With
# "clear-after" it checks --clear-after instead: nothing pasteable once the time has run out, what
# was copied later kept. With "together", ten generators start at once: one keeper is left, holding
# what pastes; the others' windows were told "replaced"; nothing went to wl-copy. Compositors will
# not run as root, so as root the test runs everything as an unprivileged user it creates.
set -euo pipefail

bin=$1
compositor=$2
mode=${3:-}
need=(wl-copy wl-paste)
case "$compositor" in
  sway*) need+=(sway) ;;
  kwin*) need+=(kwin_wayland dbus-run-session) ;;
  weston) need+=(weston Xvfb) ;;
  mutter*) need+=(mutter Xvfb dbus-run-session) ;;
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

# sway tells its programs where its socket is; the generator's window recognises sway by it.
swaysock=
[ -s "$work/session.env" ] && swaysock=$(sed -n 's/^SWAYSOCK=//p' "$work/session.env")
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

source "$(dirname "$0")/../support/checks.sh"

printf 'abcdefghjk\r\n14\r\n' > "$work/run/settings.ini"
chown "$user" "$work/run/settings.ini"
in_session sh -c 'printf "the old text" | wl-copy'
for _ in $(seq 1 30); do [ "$(paste)" = "the old text" ] && break; sleep 0.1; done

start_generator() {
  (cd "$work/run" && in_session ${swaysock:+SWAYSOCK=$swaysock} timeout 30 "$work/bin/zimbrel-generator" "$@") &
  generator=$!
}
# wl-copy's buffers made since the test started (they would hold the password in a file).
touch "$work/started"
wl_copy_buffers() { find /tmp -maxdepth 1 -name 'wl-copy-buffer-*' -newer "$work/started" 2>/dev/null | wc -l; }
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
  # The generator's window ends at 5 s, long after the keeper emptied the clipboard. Where the
  # compositor keeps a copy of its own, the keeper stays and serves empty text; elsewhere it ends.
  after=$(paste)
  [ -z "$after" ] && r=ok || r=no
  check "$r" "--clear-after 1: nothing pasteable once the time has run out (got '$after')"
  if [ -n "$display" ]; then
    x=$(x_paste)
    [ -z "$x" ] && r=ok || r=no
    check "$r" "--clear-after 1: nothing for X programs either (got '$x')"
  fi
  # Something copied later is never touched.
  start_generator --clear-after 2
  wait_for_password > /dev/null
  in_session sh -c 'printf "copied later" | wl-copy'
  wait "$generator" || true
  after=$(paste)
  [ "$after" = "copied later" ] && r=ok || r=no
  check "$r" "--clear-after leaves what was copied later (got '$after')"
elif [ "$mode" = together ]; then
  for _ in $(seq 1 10); do start_generator > /dev/null 2>&1; done
  # The first word of each window, while they are open: one keeper took the clipboard, the others
  # stood down for it.
  for _ in $(seq 1 100); do
    [ "$(pgrep -u "$user" -f "$work/bin/zimbrel-generator-window" | wc -l)" -ge 10 ] && break
    sleep 0.1
  done
  words=$(for pid in $(pgrep -u "$user" -f "$work/bin/zimbrel-generator-window"); do
            tr '\0' '\n' < "/proc/$pid/cmdline" | grep -A 1 -x -- --copied | tail -n 1
          done | sort | uniq -c | tr -s ' ' | tr '\n' ';')
  [[ "$words" =~ ^( [0-9]+ 1;)?( [0-9]+ r;)?$ ]] && r=ok || r=no
  check "$r" "every window was told its password is the clipboard's or replaced by a newer one ($words)"
  for _ in $(seq 1 100); do [ "$(pgrep -u "$user" -f "$work/bin/zimbrel-generator" | wc -l)" -eq 0 ] && break; sleep 0.2; done
  pasted=$(paste)
  [[ "$pasted" =~ ^[abcdefghjk]{14}$ ]] && r=ok || r=no
  check "$r" "a password pastes afterwards (got '$pasted')"
  [ "$(keepers)" -eq 1 ] && r=ok || r=no
  check "$r" "one keeper is left ($(keepers))"
  # The one left is the one whose password pastes, no stray that thinks it owns the clipboard.
  # (A sanitizer's shadow memory is too large to read through.)
  if [ -z "${ASAN_OPTIONS:-}" ]; then
    keeper=$(pgrep -u "$user" -f "$work/bin/zimbrel-(wayland|clipboard)-keeper" | head -n 1 || true)
    held=$(/usr/bin/python3 "$(dirname "$0")/../support/memory_holds.py" "${keeper:-0}" "$pasted" 2>/dev/null || echo 0)
    [ "$held" -gt 0 ] && r=ok || r=no
    check "$r" "the keeper left holds the password that pastes"
  fi
  [ "$(wl_copy_buffers)" -eq 0 ] && [ "$(pgrep -u "$user" -x wl-copy | wc -l)" -eq 0 ] && r=ok || r=no
  check "$r" "nothing went to wl-copy"
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
  if [ "$compositor" = sway-xwayland ]; then
    # sway gives floating X windows its minimum size (50 pixels high); the window is not one.
    window=$(in_session timeout 10 xdotool search --sync --onlyvisible --name '^zimbrel-generator$' 2>/dev/null | head -n 1 || true)
    height=$(in_session timeout 5 xwininfo -id "${window:-0}" 2>/dev/null | sed -n 's/^ *Height: //p' || true)
    [ "$height" = 31 ] && r=ok || r=no
    check "$r" "the window is 29 pixels and its border high (got ${height:-no window})"
  fi
  if [ "$compositor" = weston ] || [ "$compositor" = mutter ]; then
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
  grep -qx 'x-kde-passwordManagerHint' <<< "$types" && grep -qx 'application/x-copyq-hidden' <<< "$types" && r=ok || r=no
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

finish
