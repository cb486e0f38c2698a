#!/usr/bin/env bash
# wayland_clipboard_ready_ratio: from the start of zimbrel-generator until a Wayland program can
# paste the password, against `pwgen -s 12 1 | wl-copy -t text/plain` (the type named, as the
# generator's keeper names its own; a plain `wl-copy` spends about 110 ms guessing it, and is
# given as a second figure), on a headless sway and a virtual KWin started here; 21 rounds, the
# three interleaved, medians of each. Each command stamps its own start inside the session (the
# session's user switch is no part of it), and a watcher (wl-paste --watch) stamps every new
# clipboard content the moment the compositor announces it, the same way for all three.
#
#   wayland_clipboard_bench.sh BIN_DIR
set -euo pipefail
bin=$1
for tool in wl-copy wl-paste pwgen; do
  if ! command -v "$tool" >/dev/null; then
    echo "wayland_clipboard_ready_ratio: n/a ($tool is not installed)"
    exit 0
  fi
done
rounds=${ZIMBREL_BENCH_ROUNDS:-21}

# One compositor's figures, in a session of its own (a subshell: the session ends with it).
measure() (
  local compositor=$1
  source "$(dirname "$0")/../tests/support/wayland_session.sh"
  if ! session_start "$compositor" "$bin" 2>/dev/null; then
    echo "wayland_clipboard_ready_ratio_$compositor: n/a ($compositor did not start)"
    return 0
  fi
  printf 'abcdefghjkmnopqrstuvwxyz23456789\r\n12\r\n' > "$work/run/settings.ini"
  seen="$work/seen"
  : > "$seen"
  chown "$user" "$work/run/settings.ini" "$seen"
  in_session wl-paste --no-newline --watch sh -c "printf '%s %s\n' \"\$(date +%s%N)\" \"\$(cat)\" >> $seen" 2>/dev/null &
  pids+=($!)
  # The watcher is ready once it has seen a first text.
  for _ in $(seq 1 100); do
    in_session sh -c 'printf ready | wl-copy -t text/plain' > /dev/null 2>&1
    [ -s "$seen" ] && break
    sleep 0.1
  done

  stamp="$work/stamp"
  touch "$stamp"; chown "$user" "$stamp"
  # Runs the command line in the session, its start stamped there.
  run_stamped() { in_session sh -c "date +%s%N > $stamp; $1" > /dev/null 2>&1; }
  # Waits until the watcher has seen a new line; prints its stamp minus the start's, in
  # microseconds.
  ready_after() {
    local lines=$1
    for _ in $(seq 1 500); do
      if [ "$(wc -l < "$seen")" -gt "$lines" ]; then
        echo $(( ($(tail -n 1 "$seen" | cut -d' ' -f1) - $(cat "$stamp")) / 1000 ))
        return
      fi
      sleep 0.01
    done
    echo -1
  }
  local ours=() typed=() plain=() lines generator
  for _ in $(seq 1 "$rounds"); do
    lines=$(wc -l < "$seen")
    (cd "$work/run" && run_stamped "exec $work/bin/zimbrel-generator") &
    generator=$!
    ours+=("$(ready_after "$lines")")
    kill "$generator" 2>/dev/null || true; wait "$generator" 2>/dev/null || true
    lines=$(wc -l < "$seen")
    run_stamped 'pwgen -s 12 1 | wl-copy -t text/plain'
    typed+=("$(ready_after "$lines")")
    lines=$(wc -l < "$seen")
    run_stamped 'pwgen -s 12 1 | wl-copy'
    plain+=("$(ready_after "$lines")")
  done
  median() { printf '%s\n' "$@" | sort -n | sed -n "$(( ($# + 1) / 2 ))p"; }
  spread() { printf '%s\n' "$@" | sort -n | sed -n "$(( ($# + 3) / 4 ))p;$(( (3 * $# + 3) / 4 ))p" | tr '\n' ' '; }
  local m_ours m_typed m_plain
  m_ours=$(median "${ours[@]}"); m_typed=$(median "${typed[@]}"); m_plain=$(median "${plain[@]}")
  echo "wayland_clipboard_ready_us_$compositor: ${m_ours}us (quartiles $(spread "${ours[@]}"))"
  echo "wayland_clipboard_reference_ready_us_$compositor: ${m_typed}us (quartiles $(spread "${typed[@]}"))"
  awk -v a="$m_ours" -v b="$m_typed" -v c="$m_plain" -v n="$compositor" 'BEGIN {
    if (a > 0 && b > 0) printf "wayland_clipboard_ready_ratio_%s: %.2fx\n", n, a / b; else printf "wayland_clipboard_ready_ratio_%s: n/a (no paste seen)\n", n
    if (a > 0 && c > 0) printf "wayland_clipboard_ready_ratio_%s_plain_wl_copy: %.2fx\n", n, a / c }'
)

echo "wayland_clipboard_reference: pwgen -s 12 1 | wl-copy -t text/plain ($rounds rounds interleaved)"
for compositor in ${ZIMBREL_BENCH_COMPOSITORS:-sway kwin}; do
  case "$compositor" in
    sway) command -v sway > /dev/null || { echo "wayland_clipboard_ready_ratio_sway: n/a (sway is not installed)"; continue; } ;;
    kwin) command -v kwin_wayland > /dev/null || { echo "wayland_clipboard_ready_ratio_kwin: n/a (kwin_wayland is not installed)"; continue; } ;;
  esac
  measure "$compositor"
done
