#!/usr/bin/env bash
# Installs every Debian 12 package that the build, the tests and the benchmarks need.
# Safe to run again: apt-get skips what is already there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build ccache pkg-config git python3
  clang llvm libclang-rt-14-dev
  qt6-base-dev qt6-base-dev-tools libqt6printsupport6 libgl-dev
  zlib1g-dev libjpeg62-turbo-dev libfreeimage-dev libopenjp2-7-dev libcurl4-openssl-dev libsane-dev
  fonts-dejavu-core xvfb xauth
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  libtiff-tools libimage-exiftool-perl imagemagick qpdf poppler-utils libopenjp2-tools netpbm
  giflib-tools pngcheck libjpeg-turbo-progs sane-utils
)

# Areas that need more packages list them one a line in scripts/packages/<area>.txt.
for list in "$(dirname "$0")"/packages/*.txt; do
  [ -e "$list" ] || continue
  while read -r p; do
    [ -n "$p" ] && [ "${p#\#}" = "$p" ] && packages+=("$p")
  done < "$list"
done

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
