#!/usr/bin/env bash
# A clipboard history keeps no password: Debian's CopyQ watches the clipboard on an X server of
# the test's own, with a configuration of its own, while the generator runs. Texts copied before
# and after are recorded (so CopyQ was watching all along); the password is in none of its items,
# and not in the tab files it writes when it exits.
#
#   histories.sh BIN_DIR
set -euo pipefail
bin=$(cd "$1" && pwd)
for tool in copyq Xvfb xclip; do
  command -v "$tool" > /dev/null || { echo "SKIP: $tool is not installed (make test installs it)"; exit 77; }
done
source "$(dirname "$0")/../support/scratch.sh"
before_cleanup() { copyq exit > /dev/null 2>&1 || true; }
mkdir -p "$work/home" "$work/run"
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
export XDG_RUNTIME_DIR=$work/home QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY
start_xvfb
export DISPLAY=":$xvfb_display"

source "$(dirname "$0")/../support/checks.sh"
# Copies a text and waits until CopyQ has recorded it as its newest item.
copy_and_wait() {
  printf '%s' "$1" | xclip -selection clipboard 2> /dev/null &
  for _ in $(seq 1 "${2:-100}"); do [ "$(copyq read 0 2>/dev/null)" = "$1" ] && return 0; sleep 0.1; done
  return 1
}

copyq > "$work/copyq.log" 2>&1 &
pids+=($!)
# Once its clipboard monitor runs, which comes a moment after the server answers.
for _ in $(seq 1 100); do [ "$(copyq eval 'monitoring()' 2>/dev/null)" = true ] && break; sleep 0.1; done
# Its monitor takes the first change after it starts for the clipboard it started with, and records
# from the next one on: texts are copied until one is recorded.
for i in $(seq 1 20); do copy_and_wait "warming up $i" 10 && break; done
copy_and_wait "copied before" && r=ok || r=no
check "$r" "CopyQ records what is copied"

printf 'abcdefghjkmnpqrstuvwxyz23456789\r\n16\r\n' > "$work/run/settings.ini"
(cd "$work/run" && timeout 20 "$bin/zimbrel-generator" > /dev/null 2>&1) &
generator=$!
password=
for _ in $(seq 1 100); do
  password=$(timeout 5 xclip -o -selection clipboard 2>/dev/null || true)
  [ ${#password} -eq 16 ] && break
  sleep 0.1
done
wait "$generator" || true
[ ${#password} -eq 16 ] && r=ok || r=no
check "$r" "the generator's password pastes ('$password')"
copy_and_wait "copied after" && r=ok || r=no
check "$r" "CopyQ records what is copied after it"

recorded=
for i in $(seq 0 $(($(copyq size) - 1))); do
  [ "$(copyq read "$i")" = "$password" ] && recorded=$i
done
[ -z "$recorded" ] && r=ok || r=no
check "$r" "none of CopyQ's $(copyq size) items is the password${recorded:+ (item $recorded is)}"
copyq exit > /dev/null 2>&1 || true
for _ in $(seq 1 100); do pgrep -f "^copyq" > /dev/null || break; sleep 0.1; done
files=$(grep -rlF -- "$password" "$work/home" 2>/dev/null || true)
[ -n "$(find "$work/home" -name 'copyq_tab_*' 2>/dev/null)" ] && [ -z "$files" ] && r=ok || r=no
check "$r" "its tab files hold no password (found in: ${files:-nothing})"

finish
