#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, and the German
# locale the number-format tests run under. Idempotent and quick when
# everything is already present. With --fuzz, the fuzzers' compiler too.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev
  libopencolorio-dev liblcms2-dev libjpeg62-turbo-dev qt6-base-dev
  # Pictures beyond 8 bits (PNG, TIFF, OpenEXR, DPX).
  libopenimageio-dev
  locales
  # The desktop program: Qt SVG for its icons; for its Debian package the
  # package tools and the desktop's validators of its entry, metainfo and
  # MIME types (and GLib's tool that asks the MIME database).
  qt6-svg-dev dpkg-dev file desktop-file-utils appstream shared-mime-info libxml2-utils libglib2.0-bin
  # A real display profile for the ICC tests.
  icc-profiles-free
)
# --fuzz: also clang and its libFuzzer runtime, for the fuzz preset.
if [ "${1:-}" = "--fuzz" ]; then
  packages+=(clang libclang-rt-14-dev)
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  echo "Generating the de_DE.UTF-8 locale"
  if [ -f /etc/locale.gen ]; then
    $SUDO sed -i 's/^# *\(de_DE\.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
    $SUDO locale-gen >/dev/null
  else
    $SUDO localedef -i de_DE -f UTF-8 de_DE.UTF-8
  fi
fi
