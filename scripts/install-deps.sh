#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Zimbrel need, and only those
# that are missing: scripts/install-deps.sh [run|build|package|fuzz|tidy|test] (without one: test, which is
# everything but fuzzing). Uses sudo when not run as root. On systems without apt-get it says
# what is needed and leaves the rest to CMake, which names anything it cannot find.
set -euo pipefail

# What each command needs, in groups: make run installs the first two only.
build=(
  g++ make cmake                       # the tool chain
  qt6-base-dev libgl-dev libxcb1-dev   # Qt 6 Widgets, and libxcb for the platform layer
  libxcb-xfixes0-dev                   # the clipboard keeper: every change of the clipboard's owner
  libwayland-dev wayland-protocols     # the Wayland clipboard keeper (wayland-scanner, xdg-shell)
  pkg-config
)
run=(
  qt6-qpa-plugins                      # Qt's X11 platform plugin
  fonts-dejavu-core fontconfig         # a fixed-pitch face for the password
)
# A Wayland session without X: Qt's Wayland plugin, and wl-copy as the clipboard's last resort.
wayland=(qt6-wayland wl-clipboard)
# make run without any display: a virtual X server, a screenshot and the clipboard's content.
headless=(xvfb xauth xdotool xclip imagemagick)
test=(
  "${wayland[@]}" "${headless[@]}"
  xsel x11-utils openbox               # clearing the clipboard, xprop, a window manager for moves
  sway kwin-wayland weston xwayland    # real Wayland compositors, run headless, with XWayland
  mutter                               # GNOME's compositor, nested: the focus route, and the X keeper it bridges
  copyq                                # a clipboard history that must not keep the password
  # The desktops' stores of key bindings, for zimbrel-settings --shortcut: GNOME's, Cinnamon's and
  # MATE's schemas in dconf, KDE's kglobalaccel, Xfce's xfconf, and a virtual keyboard for sway.
  gnome-settings-daemon-common cinnamon-desktop-data mate-control-center-common
  dconf-service dconf-cli dconf-gsettings-backend libkf5globalaccel-bin xfconf libxfconf-0-3 wtype
  dbus                                 # dbus-run-session, for KWin and the accessibility test
  at-spi2-core python3-pyatspi         # what a screen reader reads: the accessibility test
  python3-xlib                         # tst_trust: an X client that forges events
  pwgen                                # make bench: the shell pipe the clipboard figure is measured against
  desktop-file-utils appstream         # checking the launchers and the AppStream metainfo
  man-db groff-base librsvg2-bin       # checking the man pages and the scalable icon
  dpkg-dev                             # make package: dpkg-shlibdeps works out the .deb's dependencies
  lintian                              # tst_packaging: Debian's own check of the .deb
)

case "${1:-test}" in
  run)
    packages=("${build[@]}" "${run[@]}")
    if [ -n "${WAYLAND_DISPLAY:-}" ]; then packages+=("${wayland[@]}"); fi
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then packages+=("${headless[@]}"); fi
    ;;
  build) packages=("${build[@]}" "${run[@]}") ;;
  package) packages=("${build[@]}" "${run[@]}" dpkg-dev) ;;
  # make fuzz: clang with libFuzzer and its sanitizer run-times.
  fuzz) packages=(clang libclang-rt-dev) ;;
  # make tidy: clang-tidy's checks.
  tidy) packages=(clang-tidy clang-format) ;;
  *) packages=("${build[@]}" "${run[@]}" "${test[@]}") ;;
esac

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if ! command -v apt-get >/dev/null 2>&1; then
  echo "Please install the equivalents of: ${missing[*]}" >&2
  exit 0
fi

sudo=()
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null 2>&1; then
    echo "Missing packages (${missing[*]}), and no sudo to install them with; run as root: apt-get install ${missing[*]}" >&2
    exit 1
  fi
  sudo=(sudo)
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
