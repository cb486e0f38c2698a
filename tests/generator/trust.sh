#!/usr/bin/env bash
# The programs among other users and under starved limits, tried from the other side: a second
# user really puts the file or the link there, the pipes are really spent, the forged event is
# really sent.
#
#   trust.sh BUILD_DIR        (as root: it makes two unprivileged users, A and B)
#
#   - a settings.ini that B put into a shared folder (1777) is passed over by root and by A, with a
#     line on standard error; root's own file there is read by A;
#   - B's link in the shared folder to a file of A's: A's editor saves into A's own settings, and
#     A's file stays whole;
#   - A holds pipes past the system's soft budget (new pipes then hold 8 KiB and may not grow): the
#     longest password (32767 characters) still reaches the clipboard and the generator ends;
#   - A at 3 processes or 8 descriptors: the generator ends within 15 s;
#   - a SelectionClear that a client sends (not the server) does not end the keeper;
#   - the generator started with 0, 1 and 2 closed: one keeper, no zombie;
#   - the picker installed under a prefix and run as root writes nothing beside itself.
set -euo pipefail
build=$(cd "$1" && pwd)
bin=$build/bin
here=$(cd "$(dirname "$0")" && pwd)
if [ "$(id -u)" -ne 0 ]; then
  echo "SKIP: only root can make the second user these rows need"
  exit 77
fi
for tool in Xvfb xclip xdotool runuser prlimit /usr/bin/python3; do
  command -v "$tool" > /dev/null || { echo "SKIP: $tool is not installed (make test installs it)"; exit 77; }
done
/usr/bin/python3 -c 'import Xlib' 2>/dev/null || { echo "SKIP: python3-xlib is not installed"; exit 77; }

source "$(dirname "$0")/../support/scratch.sh"
chmod 755 "$work"
mkdir -p "$work/bin" "$work/shared" "$work/rootshared" "$work/a" "$work/b" "$work/root"
cp "$bin"/zimbrel-generator "$bin"/zimbrel-generator-window "$bin"/zimbrel-clipboard-keeper \
   "$bin"/zimbrel-wayland-keeper "$bin"/zimbrel-settings "$work/bin/"
chmod 1777 "$work/shared"

source "$(dirname "$0")/../support/checks.sh"
source "$(dirname "$0")/../support/users.sh"
for name in zimbrel-trust-a zimbrel-trust-b; do
  test_user "$name"
done
chown zimbrel-trust-a "$work/a"
chown zimbrel-trust-b "$work/b"
# A sanitizer run's settings go along (its suppressions name the libraries' own leaks).
sanitizer=(ASAN_OPTIONS="${ASAN_OPTIONS:-}" LSAN_OPTIONS="${LSAN_OPTIONS:-}" UBSAN_OPTIONS="${UBSAN_OPTIONS:-}")
as_a() { runuser -u zimbrel-trust-a -- env -i PATH=/usr/bin:/bin HOME="$work/a" "${sanitizer[@]}" "$@"; }
as_b() { runuser -u zimbrel-trust-b -- env -i PATH=/usr/bin:/bin HOME="$work/b" "${sanitizer[@]}" "$@"; }
as_root() { env -i PATH=/usr/bin:/bin HOME="$work/root" "${sanitizer[@]}" "$@"; }

# A's X server: A's programs and root's both use it.
start_xvfb as_a
display=":$xvfb_display"
paste() { DISPLAY=$display timeout 5 xclip -o -selection clipboard 2>/dev/null || true; }
keepers() { pgrep -f "$work/bin/zimbrel-clipboard-keeper" | wc -l; }
clear_clipboard() {
  pkill -f "$work/bin/zimbrel-clipboard-keeper" 2>/dev/null || true
  printf 'before' | DISPLAY=$display xclip -selection clipboard -l 1 2>/dev/null || true
}

# Each user's own settings: a set and a length nobody else has.
for who in a root; do
  mkdir -p "$work/$who/.config/zimbrel"
  printf 'xyz\r\n9\r\n' > "$work/$who/.config/zimbrel/settings.ini"
done
chown -R zimbrel-trust-a "$work/a"

# -- another user's settings.ini ----------------------------------------------------------------
as_b sh -c "printf 'a\r\n12\r\n' > '$work/shared/settings.ini'"
for who in root a; do
  run=as_$who
  out=$(cd "$work/shared" && $run "$work/bin/zimbrel-generator" --print 2> "$work/err") || true
  [[ "$out" =~ ^[xyz]{9}$ ]] && r=ok || r=no
  check "$r" "$who: B's settings.ini in a shared folder is passed over for $who's own (got '$out')"
  grep -qxF "zimbrel-generator: passing over $work/shared/settings.ini: it belongs to zimbrel-trust-b" "$work/err" \
    && [ "$(wc -l < "$work/err")" -eq 1 ] && r=ok || r=no
  check "$r" "$who: one line says which file was passed over and why ($(head -c 200 "$work/err"))"
done
clear_clipboard
(cd "$work/shared" && as_a DISPLAY="$display" timeout 20 "$work/bin/zimbrel-generator" 2> /dev/null) && status=0 || status=$?
got=$(paste)
[ "$status" -eq 0 ] && [[ "$got" =~ ^[xyz]{9}$ ]] && r=ok || r=no
check "$r" "A's window run there copies A's own password (status $status, clipboard '$got')"
printf 'k\r\n5\r\n' > "$work/rootshared/settings.ini"
out=$(cd "$work/rootshared" && as_a "$work/bin/zimbrel-generator" --print 2> "$work/err") || true
[ "$out" = kkkkk ] && [ ! -s "$work/err" ] && r=ok || r=no
check "$r" "root's settings.ini in a folder is read by A (got '$out', said '$(cat "$work/err")')"

# -- another user's link --------------------------------------------------------------------------
printf 'precious\n' > "$work/a/notes.txt"
chown zimbrel-trust-a "$work/a/notes.txt"
as_b ln -sf "$work/a/notes.txt" "$work/shared/settings.ini"
(cd "$work/shared" && as_a DISPLAY="$display" timeout 20 "$work/bin/zimbrel-settings" 2> /dev/null) &
editor=$!
window=
for _ in $(seq 1 100); do
  window=$(DISPLAY=$display xdotool search --onlyvisible --name '^Kavrin Password Settings$' 2>/dev/null | head -n 1) || true
  [ -n "$window" ] && break
  sleep 0.1
done
# The length box has the focus: a new length, then Enter saves.
DISPLAY=$display xdotool key ctrl+a type 11
DISPLAY=$display xdotool key Return
wait "$editor" && status=0 || status=$?
[ "$status" -eq 0 ] && [ "$(cat "$work/a/notes.txt")" = precious ] && [ -L "$work/shared/settings.ini" ] && r=ok || r=no
check "$r" "A's editor leaves A's file behind B's link whole (status $status, file '$(head -c 100 "$work/a/notes.txt")')"
[ "$(cat "$work/a/.config/zimbrel/settings.ini")" = "$(printf 'xyz\r\n11\r\n')" ] && r=ok || r=no
check "$r" "it saves into A's own settings ($(od -c "$work/a/.config/zimbrel/settings.ini" | head -n 2 | tr -s ' '))"

# -- pipes past the soft budget -------------------------------------------------------------------
mkdir -p "$work/a/long"
printf 'abc\r\n32767\r\n' > "$work/a/long/settings.ini"
chown -R zimbrel-trust-a "$work/a/long"
cat > "$work/hold_pipes.py" <<'PY'
import fcntl, os, resource, sys, time
soft, hard = resource.getrlimit(resource.RLIMIT_NOFILE)
resource.setrlimit(resource.RLIMIT_NOFILE, (hard, hard))
held = []
while True:
    r, w = os.pipe()
    held.append((r, w))
    if fcntl.fcntl(w, 1032) < 65536:  # F_GETPIPE_SZ: the budget is spent
        break
print(fcntl.fcntl(w, 1032), flush=True)
time.sleep(120)
PY
as_a /usr/bin/python3 "$work/hold_pipes.py" > "$work/pipes" &
holder=$!
pids+=($holder)
for _ in $(seq 1 100); do [ -s "$work/pipes" ] && break; sleep 0.1; done
clear_clipboard
(cd "$work/a/long" && as_a DISPLAY="$display" timeout 30 "$work/bin/zimbrel-generator" 2> /dev/null) && status=0 || status=$?
length=$(paste | wc -c)
[ "$status" -eq 0 ] && [ "$length" -eq 32767 ] && r=ok || r=no
check "$r" "with pipes of $(cat "$work/pipes") bytes the generator ends and 32767 characters paste (status $status, $length)"
kill "$holder" 2>/dev/null || true

# -- starved limits -------------------------------------------------------------------------------
for limit in --nproc=3 --nofile=8; do
  clear_clipboard
  start=$(date +%s)
  (cd "$work/a/long" && as_a DISPLAY="$display" timeout 30 prlimit "$limit" "$work/bin/zimbrel-generator" > /dev/null 2>&1) \
    && status=0 || status=$?
  took=$(($(date +%s) - start))
  [ "$status" -ne 124 ] && [ "$took" -le 15 ] && r=ok || r=no
  check "$r" "prlimit $limit: the generator ends within 15 s (status $status after $took s)"
done

# -- a forged SelectionClear (A's settings now give 11 characters) ----------------------------------------------------------------------
cat > "$work/forge.py" <<'PY'
# Sends the clipboard's owner a SelectionClear that the server never made (SendEvent).
from Xlib import X, display
from Xlib.protocol import event
d = display.Display()
clipboard = d.intern_atom("CLIPBOARD")
owner = d.get_selection_owner(clipboard)
owner.send_event(event.SelectionClear(window=owner, atom=clipboard, time=X.CurrentTime), event_mask=0)
d.sync()
PY
clear_clipboard
(cd "$work/a" && as_a DISPLAY="$display" timeout 20 "$work/bin/zimbrel-generator" 2> /dev/null) || true
before=$(paste)
# After a paste the password lies in the keeper's memory as often as it keeps it: once in
# UTF-8 and once in Latin-1, no third copy in libxcb's output buffer. (Root reads the memory.)
# (A sanitizer's shadow memory is too large to read through.)
if [ -z "${ASAN_OPTIONS:-}" ]; then
  keeper=$(pgrep -f "$work/bin/zimbrel-clipboard-keeper" | head -n 1 || true)
  copies=$(/usr/bin/python3 "$here/../support/memory_holds.py" "${keeper:-0}" "$before" 2>/dev/null || echo "?")
  [ "$copies" = 2 ] && r=ok || r=no
  check "$r" "after a paste the keeper's memory holds the password twice, as it keeps it (found $copies)"
fi

as_a DISPLAY="$display" /usr/bin/python3 "$work/forge.py"
# The server hands the keeper the paste after the forged event: a keeper that took the event for
# a loss has ended by then, and the paste finds no owner.
after=$(paste)
[[ "$before" =~ ^[xyz]{11}$ ]] && [ "$after" = "$before" ] && [ "$(keepers)" -eq 1 ] && r=ok || r=no
check "$r" "a forged SelectionClear leaves the keeper and the password ('$before', then '$after', $(keepers) keeper)"

# -- closed standard descriptors ------------------------------------------------------------------
clear_clipboard
(cd "$work/a" && as_a DISPLAY="$display" timeout 20 sh -c "exec '$work/bin/zimbrel-generator' 0<&- 1>&- 2>&-") &
generator=$!
for _ in $(seq 1 100); do [ "$(keepers)" -ge 1 ] && pgrep -f "$work/bin/zimbrel-generator-window" > /dev/null && break; sleep 0.1; done
# Once the window shows, a second password and keeper would have been made.
DISPLAY=$display timeout 10 xdotool search --sync --onlyvisible --name '^zimbrel-generator$' > /dev/null 2>&1 || true
# Children of the window left unreaped (an orphan's zombie is its init's business, not ours).
window=$(pgrep -f "$work/bin/zimbrel-generator-window" | head -n 1)
zombies=$(ps --ppid "${window:-0}" -o stat= | grep -c '^Z' || true)
[ "$(keepers)" -eq 1 ] && [ "$zombies" -eq 0 ] && r=ok || r=no
check "$r" "started with 0, 1 and 2 closed: $(keepers) keeper, $zombies zombies while the window is open"
wait "$generator" || true
got=$(paste)
[[ "$got" =~ ^[xyz]{11}$ ]] && r=ok || r=no
check "$r" "and its password pastes ('$got')"

# -- the installed picker, run as root ------------------------------------------------------------
cmake --install "$build" --prefix "$work/prefix" > /dev/null
mkdir -p "$work/picker"
(cd "$work/picker" && env -i PATH=/usr/bin:/bin HOME="$work/picker" DISPLAY="$display" "${sanitizer[@]}" \
  timeout 20 "$work/prefix/bin/zimbrel-colorpicker" ff8000 > /dev/null 2>&1) &
picker=$!
for _ in $(seq 1 100); do
  DISPLAY=$display xdotool search --onlyvisible --name '^zimbrel-colorpicker$' > /dev/null 2>&1 && break
  sleep 0.1
done
DISPLAY=$display xdotool key Escape
wait "$picker" && status=0 || status=$?
state=$work/picker/.config/zimbrel/zimbrel.ini
[ "$status" -eq 1 ] && [ ! -e "$work/prefix/bin/zimbrel.ini" ] && [ -f "$state" ] && r=ok || r=no
check "$r" "the installed picker keeps its state in ~/.config/zimbrel, not beside itself (status $status)"
modes=$(stat -c %a "$work/picker/.config" "$work/picker/.config/zimbrel" | tr '\n' ' ')
[ "$modes" = "700 700 " ] && r=ok || r=no
check "$r" "the folders it makes are private ($modes)"

finish
