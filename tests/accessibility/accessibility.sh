#!/usr/bin/env bash
# The programs as a screen reader finds them, through the real AT-SPI stack: a D-Bus session with
# the accessibility bus (at-spi2-core), the programs on an X server of the test's own, and the
# tree read with pyatspi (tests/accessibility/atspi_tree.py). The editor's buttons are push
# buttons named by their captions, with their states and the press action; its boxes are named by
# their labels; pressing Save through the action writes settings.ini. The picker's controls and
# the generator's text have names too.
#
#   accessibility.sh BIN_DIR    (run under dbus-run-session and xvfb-run by CTest)
set -euo pipefail
# Debian's own Python, which the python3-pyatspi package serves (another python3 may come first on PATH).
bin=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
if ! /usr/bin/python3 -c 'import pyatspi' 2>/dev/null || [ ! -x /usr/libexec/at-spi-bus-launcher ]; then
  echo "SKIP: at-spi2-core and python3-pyatspi are not installed (make test installs them)"
  exit 77
fi
source "$(dirname "$0")/../support/scratch.sh"
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb XDG_CONFIG_HOME="$work/config"
unset WAYLAND_DISPLAY
/usr/libexec/at-spi-bus-launcher --launch-immediately > /dev/null 2>&1 &
pids+=($!)
# Once the accessibility bus has its name on the session bus.
for _ in $(seq 1 100); do
  dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
    org.freedesktop.DBus.NameHasOwner string:org.a11y.Bus 2>/dev/null | grep -q true && break
  sleep 0.05
done

source "$(dirname "$0")/../support/checks.sh"
has() { grep -qxF -- "$1" "$2"; }

# The editor.
cd "$work"
printf 'abcdef\r\n12\r\n' > settings.ini
"$bin/zimbrel-settings" > /dev/null 2>&1 &
editor=$!
pids+=($editor)
/usr/bin/python3 "$here/atspi_tree.py" zimbrel-settings > tree.txt 2>&1 || true
sed 's/^/  /' tree.txt
grep -qE "^ *push button: 'Save' \[.*default.*\] actions=Press$" tree.txt && r=ok || r=no
check "$r" "Save is a push button with its name, the default state and the press action"
grep -qE "^ *push button: 'Cancel' \[enabled, focusable\] actions=Press$" tree.txt && r=ok || r=no
check "$r" "Cancel is a push button, neither focused nor default"
grep -qE "^ *text: 'Password Length'$" tree.txt && grep -qE "^ *text: 'Allowed Character Set'$" tree.txt && r=ok || r=no
check "$r" "the boxes are named by their labels"
grep -qE "^ *label: 'Password strength'$" tree.txt && grep -qE "^ *description: 'Strength: [0-9]+ bits, [a-z]+'$" tree.txt \
  && r=ok || r=no
check "$r" "the strength read-out is named, and its words are its description"
# Typing into the length box: the read-out announces its new words.
/usr/bin/python3 "$here/atspi_tree.py" zimbrel-settings watch 'Password strength' 10 > watched.txt 2>&1 &
watcher=$!
for _ in $(seq 1 50); do grep -q '^watching' watched.txt 2>/dev/null && break; sleep 0.1; done
xdotool key End type 0
wait "$watcher" || true
xdotool key BackSpace
grep -qE "^announced: 'Strength: [0-9]+ bits, excellent'$" watched.txt && r=ok || r=no
check "$r" "a change of the read-out is announced ($(grep announced watched.txt | head -n 2 | tr '\n' ' '))"
printf 'xyz\r\n9\r\n' > settings.ini
/usr/bin/python3 "$here/atspi_tree.py" zimbrel-settings press Save > /dev/null 2>&1 && r=ok || r=no
check "$r" "Save can be pressed through its accessible action"
for _ in $(seq 1 50); do kill -0 "$editor" 2>/dev/null || break; sleep 0.1; done
[ "$(cat settings.ini)" = "$(printf 'abcdef\r\n12\r\n')" ] && ! kill -0 "$editor" 2>/dev/null && r=ok || r=no
check "$r" "pressing Save wrote the boxes to settings.ini and closed the editor"

# The colour picker.
"$bin/zimbrel-colorpicker" 336699 > /dev/null 2>&1 &
pids+=($!)
/usr/bin/python3 "$here/atspi_tree.py" zimbrel-colorpicker > picker.txt 2>&1 || true
missing=
for name in "radio button: 'Hue'" "radio button: 'Blue'" "text: 'Hue value'" "text: 'Blue value'" \
            "text: 'Hex color value'" "push button: 'OK'" ": 'Color field'" ": 'Color slider'"; do
  grep -qF "$name" picker.txt || missing="$missing [$name]"
done
[ -z "$missing" ] && r=ok || r=no
check "$r" "the picker's controls have names (missing:${missing:- none})"

# The generator's window.
"$bin/zimbrel-generator" > /dev/null 2>&1 &
pids+=($!)
/usr/bin/python3 "$here/atspi_tree.py" zimbrel-generator > generator.txt 2>&1 || true
grep -qE "^ *label: 'Your password: [a-f]{12}'$" generator.txt && r=ok || r=no
check "$r" "the generator's text is readable ($(grep label generator.txt | head -n 1 | tr -s ' '))"

finish
