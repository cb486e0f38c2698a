#!/usr/bin/env bash
# The generator in a Wayland session without XWayland, on a real compositor (sway, headless):
# the password reaches the Wayland clipboard through wl-copy, is still there after the generator
# has ended, and the next run replaces it. sway will not run as root, so as root the test runs
# the compositor and the programs as an unprivileged user it creates.
set -euo pipefail

generator=$1
for tool in sway wl-copy wl-paste; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed (make test installs it)"
    exit 77
  fi
done

work=$(mktemp -d)
sway_pid=
as_user=()
user=$(id -un)
cleanup() {
  [ -n "$sway_pid" ] && kill "$sway_pid" 2>/dev/null || true
  # wl-copy ends when its compositor does; whatever else of this session is left goes too (found
  # by the session's own runtime folder, so another run's processes are left alone).
  for pid in $(pgrep -u "$user" 2>/dev/null); do
    if tr '\0' '\n' < "/proc/$pid/environ" 2>/dev/null | grep -qxF "XDG_RUNTIME_DIR=$work/runtime"; then
      kill "$pid" 2>/dev/null || true
    fi
  done
  rm -rf "$work"
}
trap cleanup EXIT

if [ "$(id -u)" -eq 0 ]; then
  user=zimbrel-wayland-test
  id "$user" >/dev/null 2>&1 || useradd --system --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin "$user"
  as_user=(runuser -u "$user" --)
fi

# The generator (with its window program beside it) is copied, so the user can run it wherever
# the build lies.
mkdir -p "$work/runtime" "$work/run" "$work/bin"
cp "$generator" "$(dirname "$generator")/zimbrel-generator-window" "$work/bin/"
chmod 700 "$work/runtime"
printf 'xwayland disable\n' > "$work/sway.conf"
chown -R "$user" "$work"
chmod 755 "$work"

session=(env -i PATH=/usr/bin:/bin HOME="$work" XDG_RUNTIME_DIR="$work/runtime"
         ASAN_OPTIONS="${ASAN_OPTIONS:-}" LSAN_OPTIONS="${LSAN_OPTIONS:-}" UBSAN_OPTIONS="${UBSAN_OPTIONS:-}")
"${as_user[@]}" "${session[@]}" WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
  sway -c "$work/sway.conf" > "$work/sway.log" 2>&1 &
sway_pid=$!
socket=
for _ in $(seq 1 100); do
  socket=$(cd "$work/runtime" && ls wayland-? 2>/dev/null | head -n 1) || true
  [ -n "$socket" ] && break
  sleep 0.1
done
if [ -z "$socket" ]; then
  echo "FAIL: sway did not start"; cat "$work/sway.log"; exit 1
fi

paste() {
  "${as_user[@]}" "${session[@]}" WAYLAND_DISPLAY="$socket" timeout 10 wl-paste --no-newline 2>/dev/null || true
}
generate() {
  (cd "$work/run" && "${as_user[@]}" "${session[@]}" WAYLAND_DISPLAY="$socket" timeout 30 "$work/bin/zimbrel-generator")
}

failures=0
check() {
  if [ "$1" = ok ]; then echo "PASS: $2"; else echo "FAIL: $2"; failures=$((failures + 1)); fi
}

printf 'abcdefghjk\r\n14\r\n' > "$work/run/settings.ini"
chown "$user" "$work/run/settings.ini"
generate
first=$(paste)
[[ "$first" =~ ^[abcdefghjk]{14}$ ]] && r=ok || r=no
check "$r" "the password is on the Wayland clipboard after the generator ended (got '$first')"

generate
second=$(paste)
[[ "$second" =~ ^[abcdefghjk]{14}$ && "$second" != "$first" ]] && r=ok || r=no
check "$r" "the next run replaces it (got '$second')"

echo "$((2 - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
