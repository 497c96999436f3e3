#!/bin/sh
# Installs every Debian 12 package that building, testing, packaging and running
# Velorax Manager need. Idempotent; run as root (or through sudo).
set -eu

PACKAGES="
  build-essential cmake ninja-build pkg-config git python3
  qtbase5-dev qtbase5-dev-tools qttools5-dev-tools libqt5svg5-dev
  libudev-dev udev
  fonts-wqy-microhei fonts-dejavu-core
  clang clang-format libclang-rt-14-dev
  g++-mingw-w64-x86-64
  dpkg-dev file desktop-file-utils appstream lintian man-db
  xauth xvfb xdotool
"

missing=""
for p in $PACKAGES; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $p"
  fi
done

if [ -n "$missing" ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -q
  # shellcheck disable=SC2086
  $SUDO apt-get install -y -q --no-install-recommends $missing
fi
