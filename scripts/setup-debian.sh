#!/usr/bin/env bash
# Installs every Debian package Tarnex needs to build, run and test. Idempotent.
set -euo pipefail

packages=(
  build-essential cmake ninja-build ccache pkg-config clang-format clang
  libclang-rt-14-dev
  qt6-base-dev qt6-base-dev-tools libqt6serialport6-dev qt6-multimedia-dev libqt6svg6
  libqt6opengl6-dev libgl-dev
  socat inetutils-telnetd inetutils-telnet lrzsz ckermit gkermit mgetty
  dbus dbus-x11 libglib2.0-bin
  xvfb xdotool imagemagick fonts-dejavu-core
  vttest libvterm-dev libxcb-damage0-dev poppler-utils python3
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO=sudo
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
