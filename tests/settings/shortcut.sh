#!/usr/bin/env bash
# zimbrel-settings --shortcut against each desktop's own store of key bindings, each in a session
# of its own (a home folder and a private D-Bus): GNOME's, Cinnamon's and MATE's GSettings in dconf,
# KDE's kglobalaccel, Xfce's xfconf, and sway's config with a running headless sway that is then
# given the keys through a virtual keyboard. The user's own bindings come first and stay; a key
# they already use is refused; "none" takes ours away. Then a desktop it does not know, and keys
# it does not read.
#
#   shortcut.sh BIN_DIR     (as root, sway runs as an unprivileged user the test creates)
set -uo pipefail
bin=$(cd "$1" && pwd)
source "$(dirname "$0")/../support/scratch.sh"
chmod 755 "$work"

source "$(dirname "$0")/../support/checks.sh"
source "$(dirname "$0")/../support/users.sh"
has() { command -v "$1" > /dev/null 2>&1; }
# A session of its own for DESKTOP: runs the script on standard input there, with S the editor.
session() {
  local desktop=$1 home
  home=$(mktemp -d -p "$work")
  mkdir -p "$home/run" && chmod 700 "$home/run"
  env -i PATH=/usr/bin:/bin HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_RUNTIME_DIR="$home/run" \
    XDG_CURRENT_DESKTOP="$desktop" S="$bin/zimbrel-settings" QT_QPA_PLATFORM=offscreen \
    ASAN_OPTIONS="${ASAN_OPTIONS:-}" LSAN_OPTIONS="${LSAN_OPTIONS:-}" UBSAN_OPTIONS="${UBSAN_OPTIONS:-}" \
    dbus-run-session -- bash -s 2> "$work/session.err"
}
command=$bin/zimbrel-generator

# -- GNOME ----------------------------------------------------------------------------------------
dconf_backend=$(ls /usr/lib/*/gio/modules/libdconfsettings.so 2>/dev/null | head -n 1)
if has gsettings && [ -n "$dconf_backend" ] && gsettings list-keys org.gnome.settings-daemon.plugins.media-keys > /dev/null 2>&1; then
  out=$(session ubuntu:GNOME <<'SH'
schema=org.gnome.settings-daemon.plugins.media-keys
base=/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings
at() { echo "$schema.custom-keybinding:$base/$1/"; }
gsettings set $schema custom-keybindings "['$base/custom0/']"
gsettings set "$(at custom0)" name 'Terminal'
gsettings set "$(at custom0)" command 'xterm'
gsettings set "$(at custom0)" binding '<Super>t'
"$S" --shortcut Super+Shift+P > /dev/null; echo "bound=$?"
"$S" --shortcut Super+Shift+P > /dev/null; echo "again=$?"
echo "list=$(gsettings get $schema custom-keybindings)"
echo "binding=$(gsettings get "$(at zimbrel-generator)" binding) command=$(gsettings get "$(at zimbrel-generator)" command)"
echo "shown=$("$S" --shortcut)"
"$S" --shortcut Super+T > /dev/null 2> taken; echo "taken=$? $(cat taken)"
"$S" --shortcut none > /dev/null; echo "none=$?"
echo "after=$(gsettings get $schema custom-keybindings) user=$(gsettings get "$(at custom0)" binding)"
SH
)
  grep -qx 'bound=0' <<< "$out" && grep -qx 'again=0' <<< "$out" && r=ok || r=no
  check "$r" "GNOME: Super+Shift+P is bound, twice"
  grep -qxF "list=['/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/custom0/', '/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/zimbrel-generator/']" <<< "$out" && r=ok || r=no
  check "$r" "GNOME: ours is added beside the user's own, once ($(grep '^list=' <<< "$out"))"
  grep -qxF "binding='<Super><Shift>p' command='$command'" <<< "$out" && r=ok || r=no
  check "$r" "GNOME: in GNOME's notation, with the generator's path ($(grep '^binding=' <<< "$out"))"
  grep -qxF "shown=zimbrel-settings: Super+Shift+P starts $command (GNOME custom shortcut /org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/zimbrel-generator/)" <<< "$out" && r=ok || r=no
  check "$r" "GNOME: --shortcut alone says what is bound"
  grep -q '^taken=1 zimbrel-settings: Super+T already starts "Terminal"' <<< "$out" && r=ok || r=no
  check "$r" "GNOME: the user's key is not taken ($(grep '^taken=' <<< "$out"))"
  grep -qxF "after=['/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/custom0/'] user='<Super>t'" <<< "$out" && r=ok || r=no
  check "$r" "GNOME: none takes ours away and leaves the user's ($(grep '^after=' <<< "$out"))"
else
  echo "skip: GNOME (gsettings, its media-keys schema or dconf's GSettings backend is missing)"
fi

# -- Cinnamon and MATE ----------------------------------------------------------------------------
if has gsettings && [ -n "$dconf_backend" ] && gsettings list-keys org.cinnamon.desktop.keybindings > /dev/null 2>&1; then
  out=$(session X-Cinnamon <<'SH'
gsettings set org.cinnamon.desktop.keybindings custom-list "['custom0']"
"$S" --shortcut Ctrl+Alt+G > /dev/null; echo "bound=$?"
echo "list=$(gsettings get org.cinnamon.desktop.keybindings custom-list)"
echo "binding=$(gsettings get org.cinnamon.desktop.keybindings.custom-keybinding:/org/cinnamon/desktop/keybindings/custom-keybindings/zimbrel-generator/ binding)"
"$S" --shortcut none > /dev/null
echo "after=$(gsettings get org.cinnamon.desktop.keybindings custom-list)"
SH
)
  grep -qx 'bound=0' <<< "$out" && grep -qxF "list=['custom0', 'zimbrel-generator']" <<< "$out" \
    && grep -qxF "binding=['<Primary><Alt>g']" <<< "$out" && grep -qxF "after=['custom0']" <<< "$out" && r=ok || r=no
  check "$r" "Cinnamon: added to the user's list and taken away again ($(tr '\n' ' ' <<< "$out"))"
else
  echo "skip: Cinnamon (its keybindings schema is not installed)"
fi
if has gsettings && has dconf && [ -n "$dconf_backend" ] \
   && gsettings list-relocatable-schemas 2>/dev/null | grep -qx org.mate.control-center.keybinding; then
  out=$(session MATE <<'SH'
dconf write /org/mate/desktop/keybindings/custom0/binding "'<Mod4>e'"
dconf write /org/mate/desktop/keybindings/custom0/action "'caja'"
"$S" --shortcut Super+E > /dev/null 2>&1; echo "taken=$?"
"$S" --shortcut Ctrl+Alt+G > /dev/null; echo "bound=$?"
echo "binding=$(dconf read /org/mate/desktop/keybindings/zimbrel-generator/binding)"
"$S" --shortcut none > /dev/null
echo "after=$(dconf list /org/mate/desktop/keybindings/ | tr '\n' ' ')"
SH
)
  grep -qx 'taken=1' <<< "$out" && grep -qx 'bound=0' <<< "$out" && grep -qxF "binding='<Control><Alt>g'" <<< "$out" \
    && grep -qxF "after=custom0/ " <<< "$out" && r=ok || r=no
  check "$r" "MATE: beside the user's own, their key refused, taken away again ($(tr '\n' ' ' <<< "$out"))"
else
  echo "skip: MATE (its keybinding schema or dconf is not installed)"
fi

# -- KDE Plasma -----------------------------------------------------------------------------------
if has kglobalaccel5 && has dbus-send; then
  out=$(session KDE <<'SH'
kglobalaccel5 > /dev/null 2>&1 &
for _ in $(seq 1 100); do
  dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
    org.freedesktop.DBus.NameHasOwner string:org.kde.kglobalaccel 2>/dev/null | grep -q true && break
  sleep 0.1
done
keys() {
  dbus-send --session --print-reply --dest=org.kde.kglobalaccel /kglobalaccel org.kde.KGlobalAccel.shortcutKeys \
    array:string:"zimbrel-generator.desktop","_launch","Zimbrel Password","Zimbrel Password" | grep -o 'int32 [0-9]*' | head -n 1
}
"$S" --shortcut Meta+Shift+P > /dev/null; echo "bound=$? $(keys)"
echo "shown=$("$S" --shortcut)"
"$S" --shortcut none > /dev/null; echo "none=$? $(keys)"
kill %1
SH
)
  # Qt's code for Meta+Shift+P: 0x10000000 | 0x02000000 | 0x50.
  grep -qx 'bound=0 int32 301989968' <<< "$out" && grep -qx 'none=0 ' <<< "$out" \
    && grep -qxF 'shown=zimbrel-settings: Super+Shift+P starts zimbrel-generator (KDE global shortcut of zimbrel-generator.desktop)' <<< "$out" && r=ok || r=no
  check "$r" "KDE: the desktop file's launch shortcut in kglobalaccel, read back over D-Bus, then taken away ($(tr '\n' ' ' <<< "$out"))"
else
  echo "skip: KDE (kglobalaccel5 is not installed)"
fi

# -- Xfce -----------------------------------------------------------------------------------------
if has xfconf-query; then
  out=$(session XFCE <<'SH'
xfconf-query -c xfce4-keyboard-shortcuts -p "/commands/custom/<Super>e" -n -t string -s thunar
"$S" --shortcut Super+Shift+P > /dev/null; echo "bound=$?"
"$S" --shortcut Super+E > /dev/null 2>&1; echo "taken=$?"
echo "value=$(xfconf-query -c xfce4-keyboard-shortcuts -p "/commands/custom/<Super><Shift>p")"
"$S" --shortcut none > /dev/null
echo "after=$(xfconf-query -c xfce4-keyboard-shortcuts -p /commands/custom -l | sort | tr '\n' ' ')"
SH
)
  grep -qx 'bound=0' <<< "$out" && grep -qx 'taken=1' <<< "$out" && grep -qxF "value=$command" <<< "$out" \
    && grep -qxF "after=/commands/custom/<Super>e /commands/custom/override " <<< "$out" && r=ok || r=no
  check "$r" "Xfce: read back with xfconf-query, the user's key refused, taken away again ($(tr '\n' ' ' <<< "$out"))"
else
  echo "skip: Xfce (xfconf is not installed)"
fi

# -- sway -----------------------------------------------------------------------------------------
if has sway && has swaymsg && has wtype && has wl-paste; then
  user=zimbrel-wayland-test
  test_user "$user"
  home=$work/sway-home
  mkdir -p "$home/.config/sway" "$home/.config/zimbrel" "$home/run"
  printf 'abcdefghjk\r\n14\r\n' > "$home/.config/zimbrel/settings.ini"
  own=$'set $mod Mod4\nbindsym $mod+Return exec foot\n'
  printf '%s' "$own" > "$home/.config/sway/config"
  chown -R "$user" "$home"; chmod 700 "$home/run"
  cp "$bin"/zimbrel-generator "$bin"/zimbrel-generator-window "$bin"/zimbrel-wayland-keeper "$bin"/zimbrel-clipboard-keeper \
     "$bin"/zimbrel-settings "$work/"
  chmod a+rx "$work"/zimbrel-*
  as_user() {
    runuser -u "$user" -- env -i PATH=/usr/bin:/bin HOME="$home" XDG_CONFIG_HOME="$home/.config" \
      XDG_RUNTIME_DIR="$home/run" XDG_CURRENT_DESKTOP=sway \
      ASAN_OPTIONS="${ASAN_OPTIONS:-}" LSAN_OPTIONS="${LSAN_OPTIONS:-}" UBSAN_OPTIONS="${UBSAN_OPTIONS:-}" "$@"
  }
  as_user "$work/zimbrel-settings" --shortcut Super+Return > /dev/null 2>&1 && status=0 || status=$?
  [ "$status" -eq 1 ] && r=ok || r=no
  check "$r" "sway: the user's own \$mod+Return is not taken (status $status)"
  as_user "$work/zimbrel-settings" --shortcut Super+Shift+P > /dev/null && as_user "$work/zimbrel-settings" --shortcut Super+Shift+P > /dev/null \
    && status=0 || status=$?
  config=$(cat "$home/.config/sway/config")
  [ "$status" -eq 0 ] && [ "${config:0:${#own}}" = "$own" ] && [ "$(grep -c '^include ' <<< "$config")" -eq 1 ] \
    && grep -qxF "include $home/.config/zimbrel/sway.conf" <<< "$config" && r=ok || r=no
  check "$r" "sway: the include is added once, at the end, the user's lines untouched"
  grep -qxF "bindsym Mod4+Shift+p exec $work/zimbrel-generator" "$home/.config/zimbrel/sway.conf" && r=ok || r=no
  check "$r" "sway: the binding is in a file of ours ($(cat "$home/.config/zimbrel/sway.conf"))"
  as_user WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman sway -C -c "$home/.config/sway/config" \
    > "$work/sway-check" 2>&1 && r=ok || r=no
  check "$r" "sway -C accepts the config ($(tail -n 2 "$work/sway-check" | tr '\n' ' '))"
  # A running sway, given the keys by a virtual keyboard: the generator's password is then on
  # its clipboard.
  as_user WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman sway -c "$home/.config/sway/config" \
    > "$work/sway.log" 2>&1 &
  pids+=($!)
  socket=
  swaysock=
  for _ in $(seq 1 100); do
    socket=$(cd "$home/run" && ls wayland-* 2>/dev/null | grep -v lock | head -n 1) || true
    swaysock=$(ls "$home"/run/sway-ipc.*.sock 2>/dev/null | head -n 1) || true
    [ -n "$socket" ] && [ -n "$swaysock" ] && break
    sleep 0.1
  done
  as_user WAYLAND_DISPLAY="$socket" SWAYSOCK="$swaysock" "$work/zimbrel-settings" --shortcut none > /dev/null
  as_user WAYLAND_DISPLAY="$socket" SWAYSOCK="$swaysock" "$work/zimbrel-settings" --shortcut Super+Shift+P > "$work/said" 2>&1
  grep -q 'reloaded)$' "$work/said" && r=ok || r=no
  check "$r" "sway: a running sway reloads it ($(cat "$work/said"))"
  as_user WAYLAND_DISPLAY="$socket" wtype -M logo -M shift -k p -m shift -m logo
  pasted=
  for _ in $(seq 1 100); do
    pasted=$(as_user WAYLAND_DISPLAY="$socket" timeout 5 wl-paste --no-newline 2>/dev/null || true)
    [[ "$pasted" =~ ^[abcdefghjk]{14}$ ]] && break
    sleep 0.1
  done
  [[ "$pasted" =~ ^[abcdefghjk]{14}$ ]] && r=ok || r=no
  check "$r" "sway: Super+Shift+P pressed starts the generator, whose password pastes (got '$pasted')"
else
  echo "skip: sway (sway, swaymsg, wtype or wl-paste is not installed)"
fi

# -- elsewhere ------------------------------------------------------------------------------------
out=$(session Enlightenment <<'SH'
"$S" --shortcut Super+Shift+P; echo "status=$?"
SH
)
said=$(cat "$work/session.err")
grep -qx 'status=1' <<< "$out" && grep -qF "cannot set a shortcut on Enlightenment" <<< "$said" \
  && grep -qF "bind Super+Shift+P to the command $command" <<< "$said" \
  && grep -qF 'A keyboard shortcut for the generator' <<< "$said" && r=ok || r=no
check "$r" "an unknown desktop: the command to bind by hand and where the README says how, status 1 ($said)"
for keys in Super+ Foo+P P; do
  "$bin/zimbrel-settings" --shortcut "$keys" > /dev/null 2> "$work/err" && status=0 || status=$?
  [ "$status" -eq 2 ] && grep -q "bad keys \"$keys\"" "$work/err" && r=ok || r=no
  check "$r" "bad keys \"$keys\": status 2 ($(head -n 1 "$work/err"))"
done

finish
