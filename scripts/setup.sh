#!/usr/bin/env bash
# Installs what building and testing quorix needs on Debian (apt), once.
set -euo pipefail

packages=(
  cmake ninja-build g++ python3 libgtest-dev libgmock-dev libbenchmark-dev
  mingw-w64 g++-mingw-w64-x86-64-posix wine wine64 xvfb xdotool x11-utils
  locales fonts-noto-cjk libxcb1-dev libxcb-xfixes0-dev xclip clang libclang-rt-14-dev libglib2.0-dev pkg-config
  libsodium-dev qt6-base-dev qt6-qpa-plugins openbox trayer imagemagick dpkg-dev
  dbus-daemon python3-dbus python3-gi
)
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
if [ "${#missing[@]}" -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
# Wine takes the ANSI code page from the locale: Japanese texts need ja_JP (code page 932).
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  $sudo sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
  $sudo locale-gen >/dev/null
fi
