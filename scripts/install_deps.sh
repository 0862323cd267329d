#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when missing.
set -euo pipefail
# qt5-image-formats-plugins brings Qt's TIFF reader and writer (the open and
# save dialogs offer TIFF).
packages=(cmake g++ make pkg-config qtbase5-dev libqt5svg5-dev qt5-image-formats-plugins libfftw3-dev
          libgtest-dev googletest libbenchmark-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ] || [ "${FORCE_APT_UPDATE:-0}" = 1 ]; then
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update
  [ "${#missing[@]}" -gt 0 ] && DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y "${missing[@]}"
fi
exit 0
