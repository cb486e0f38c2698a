#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Zimbrel need, and only those
# that are missing. Uses sudo when not run as root. On systems without apt-get it says what is
# needed and leaves the rest to CMake, which names anything it cannot find.
set -euo pipefail

packages=(
  g++ make cmake                       # the tool chain
  qt6-base-dev qt6-qpa-plugins libgl-dev libxcb1-dev  # Qt 6 Widgets and its X11 platform
  libxcb-xfixes0-dev                   # the clipboard keeper: every change of the clipboard's owner
  qt6-wayland wl-clipboard             # Wayland sessions without XWayland, and wl-copy for the clipboard
  fonts-dejavu-core fontconfig         # a fixed-pitch face for the password
  xvfb xauth                           # a virtual X server for tests and display-less runs
  xdotool xclip xsel imagemagick       # driving windows, reading and clearing the clipboard, screenshots
  x11-utils openbox                    # tests: xprop, and a window manager for window moves
  sway                                 # tests: a real Wayland compositor, run headless
  pwgen                                # make bench: the shell pipe the clipboard figure is measured against
)
# make fuzz: clang with libFuzzer and its sanitizer run-times.
if [ "${1:-}" = fuzz ]; then
  packages=(clang libclang-rt-dev)
fi

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
