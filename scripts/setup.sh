#!/usr/bin/env bash
# Installs what building and testing Quorvex needs on Debian 12, only what is missing, and
# generates the locales the tests use. Run as root (or with sudo available).
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-charts-dev libqt6opengl6-dev qt6-svg-dev
    libpugixml-dev libxlsxwriter-dev libzstd-dev
    libgtest-dev libbenchmark-dev
    xvfb xauth xdotool
    fonts-dejavu-core fontconfig adwaita-icon-theme shared-mime-info
    locales clang-format
    python3-openpyxl
    desktop-file-utils appstream mandoc dpkg-dev file
    zstd ncdu gdu
)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

need_locale=0
for l in en_US.utf8 de_DE.utf8; do
    locale -a 2>/dev/null | grep -qx "$l" || need_locale=1
done
if [ $need_locale -eq 1 ]; then
    as_root sed -i -e 's/^# *\(en_US.UTF-8 UTF-8\)/\1/' -e 's/^# *\(de_DE.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    as_root locale-gen >/dev/null
fi
