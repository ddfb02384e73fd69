#!/usr/bin/env bash
# Installs every Debian package the build, the tests and a local run need.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-websockets-dev qt6-multimedia-dev qt6-httpserver-dev qt6-svg-dev
  qt6-tools-dev qt6-l10n-tools
  libgl1-mesa-dev libxkbcommon-dev
  libssl-dev libicu-dev libx11-dev libxext-dev libxrandr-dev libxfixes-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libical-dev
  xvfb xauth openbox fonts-noto-cjk
  qt6-qpa-plugins libqt6multimedia6 qml6-module-qtmultimedia
  pulseaudio pulseaudio-utils libpulse-dev gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  clang-format ccache lld
  libxcb1-dev libxcb-ewmh-dev libxcb-icccm4-dev libxcb-res0-dev libxcb-composite0-dev libxcb-image0-dev
  libxcb-shm0-dev libxcb-randr0-dev libxcb-shape0-dev libxcb-xtest0-dev x11-xserver-utils
  libgstreamer1.0-dev libgstreamer-plugins-base1.0-dev gstreamer1.0-plugins-ugly gstreamer1.0-libav
  gstreamer1.0-pulseaudio gstreamer1.0-pipewire gstreamer1.0-plugins-base-apps gstreamer1.0-tools
  libpipewire-0.3-dev pipewire pipewire-bin dbus-daemon
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
# ccache is optional: install it when the archive has it.
available=()
for p in "${missing[@]}"; do
  if apt-cache show "$p" >/dev/null 2>&1; then available+=("$p"); else echo "install-deps: $p not available, skipped" >&2; fi
done
$SUDO apt-get install -y -qq --no-install-recommends "${available[@]}" >/dev/null
