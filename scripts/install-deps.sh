#!/usr/bin/env bash
# Installs the Debian packages that building and testing Spectrel needs.
# Safe to run again: apt-get skips what is already there.
set -euo pipefail
packages=(
  build-essential cmake pkg-config
  libcli11-dev nlohmann-json3-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev libfuzzer-14-dev
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-serialport-dev
  qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools qt6-translations-l10n
  libgl-dev libx11-dev
  fonts-liberation fonts-noto-cjk
  locales tzdata xvfb xauth
  libnetcdf-dev netcdf-bin libdeflate-dev liberfa-dev
  libhowardhinnant-date-dev
  python3-netcdf4 python3-xarray python3-dask python3-distributed python3-ephem
  groff-base
  libsystemd-dev librsvg2-bin
  desktop-file-utils shared-mime-info mandoc   # the desktop entry, the day files' type and the man pages checked
  libmicrohttpd-dev curl jq
  chromium prometheus      # the web page seen in a browser; promtool checks metrics and alert rules
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
# Japanese locale for the language tests of the status report and the user interface.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf8$'; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  if [ -f /etc/locale.gen ]; then
    $SUDO sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
    grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
    $SUDO locale-gen >/dev/null
  fi
fi
