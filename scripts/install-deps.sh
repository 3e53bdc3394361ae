#!/bin/sh
# Installs the Debian packages that building, running and testing need.
# Only missing packages are installed; sudo is used when not running as root.
set -e
PKGS="build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev
qt6-base-dev libjsoncpp-dev libcurl4-openssl-dev libssl-dev libudev-dev
libgtest-dev libgmock-dev libbenchmark-dev libevdev-dev libasound2-dev
libpipewire-0.3-dev pipewire pipewire-alsa
dbus-daemon xvfb xauth xdotool fonts-dejavu-core fonts-noto-cjk ca-certificates"
missing=""
for p in $PKGS; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
echo "Installing:$missing"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
