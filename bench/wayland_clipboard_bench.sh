#!/usr/bin/env bash
# wayland_clipboard_ready_ratio: from the start of zimbrel-generator until a Wayland program can
# paste the password, against `pwgen -s 12 1 | wl-copy`, on a headless sway started here; pairs
# interleaved, medians of each. A watcher (wl-paste --watch) stamps every new clipboard content
# the moment the compositor announces it, the same way for both.
#
#   wayland_clipboard_bench.sh BIN_DIR
set -euo pipefail
bin=$1
for tool in sway wl-copy wl-paste pwgen; do
  if ! command -v "$tool" >/dev/null; then
    echo "wayland_clipboard_ready_ratio: n/a ($tool is not installed)"
    exit 0
  fi
done
source "$(dirname "$0")/../tests/support/wayland_session.sh"
if ! session_start sway "$bin" 2>/dev/null; then
  echo "wayland_clipboard_ready_ratio: n/a (sway did not start)"
  exit 0
fi
printf 'abcdefghjkmnopqrstuvwxyz23456789\r\n12\r\n' > "$work/run/settings.ini"
seen="$work/seen"
: > "$seen"
chown "$user" "$work/run/settings.ini" "$seen"
in_session wl-paste --no-newline --watch sh -c "printf '%s %s\n' \"\$(date +%s%N)\" \"\$(cat)\" >> $seen" 2>/dev/null &
pids+=($!)
sleep 0.5

now() { date +%s%N; }
# Waits until the watcher has seen a new line; prints its stamp minus $1, in microseconds.
ready_after() {
  local start=$1 lines=$2
  for _ in $(seq 1 500); do
    if [ "$(wc -l < "$seen")" -gt "$lines" ]; then
      echo $(( ($(tail -n 1 "$seen" | cut -d' ' -f1) - start) / 1000 ))
      return
    fi
    sleep 0.01
  done
  echo -1
}
ours=()
theirs=()
for _ in $(seq 1 11); do
  lines=$(wc -l < "$seen"); start=$(now)
  (cd "$work/run" && in_session "$work/bin/zimbrel-generator" > /dev/null 2>&1) &
  generator=$!
  ours+=("$(ready_after "$start" "$lines")")
  kill "$generator" 2>/dev/null || true; wait "$generator" 2>/dev/null || true
  lines=$(wc -l < "$seen"); start=$(now)
  in_session sh -c 'pwgen -s 12 1 | wl-copy' > /dev/null 2>&1
  theirs+=("$(ready_after "$start" "$lines")")
done
median() { printf '%s\n' "$@" | sort -n | sed -n "$(( ($# + 1) / 2 ))p"; }
m_ours=$(median "${ours[@]}")
m_theirs=$(median "${theirs[@]}")
echo "wayland_clipboard_reference: pwgen -s 12 1 | wl-copy (sway, headless)"
echo "wayland_clipboard_ready_us: ${m_ours}us"
echo "wayland_clipboard_reference_ready_us: ${m_theirs}us"
awk -v a="$m_ours" -v b="$m_theirs" 'BEGIN { if (a > 0 && b > 0) printf "wayland_clipboard_ready_ratio: %.2fx\n", a / b; else print "wayland_clipboard_ready_ratio: n/a (no paste seen)" }'
