#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian 12 packages the project builds, tests and runs with,
# and the tools that check its desktop files and build and check its package.
set -euo pipefail
pkgs=(cmake g++ make pkg-config
      qt6-base-dev qt6-serialport-dev nlohmann-json3-dev
      qt6-tools-dev qt6-tools-dev-tools qt6-qpa-plugins qt6-svg-dev
      libgtest-dev xvfb xauth librsvg2-bin poppler-utils
      fonts-dejavu-core clang nec2c
      python3-dev pybind11-dev python3-numpy python3-matplotlib python3-pytest dh-python
      dbus-daemon at-spi2-core python3-pyatspi
      desktop-file-utils appstream shared-mime-info dpkg-dev lintian debhelper fakeroot
      xz-utils man-db git)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
