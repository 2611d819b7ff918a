#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the benchmarks need, and the cross tools
# for the Windows build. Skips apt entirely when everything is already present, so a warm run is
# fast. With a folder argument it also builds the Windows libraries there (scripts/windows_deps.sh).
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config python3
  libglbinding-dev libpolyclipping-dev rapidjson-dev dpf-source
  libegl-dev libegl-mesa0 libgl1-mesa-dri libgl-dev
  libcairo2-dev libspng-dev fonts-dejavu-core
  libgtest-dev libgmock-dev libbenchmark-dev
  binutils
  # The fuzz targets (libFuzzer with the sanitizers).
  clang libclang-rt-dev
  # The Windows build: cross compiler (posix threads), resource compiler, Wine on a virtual display,
  # and dpkg-dev to unpack Debian source packages.
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64 xvfb dpkg-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update
  $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi

if [ $# -gt 0 ]; then
  bash "$(dirname "$0")/windows_deps.sh" "$1"
fi
