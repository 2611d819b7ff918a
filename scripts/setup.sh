#!/usr/bin/env bash
# Installs the Debian packages the Linux build needs (the plug-in, the tiletta command, the tests
# and the benchmarks). With --tests also the fuzz tools and the cross tools of the Windows build, as
# scripts/test.sh runs them all; with a folder argument the cross tools, and the Windows libraries
# are built in that folder (scripts/windows_deps.sh). Skips apt entirely when everything is already
# present, so a warm run is fast.
#   usage: setup.sh [--tests] [WINDOWS_DEPS_FOLDER]
set -euo pipefail

tests=0
folder=""
for arg in "$@"; do
  case "$arg" in
    --tests) tests=1 ;;
    -*) echo "setup: unknown option $arg" >&2; exit 2 ;;
    *) folder=$arg ;;
  esac
done

packages=(
  build-essential cmake ninja-build pkg-config python3
  libglbinding-dev libpolyclipping-dev rapidjson-dev dpf-source
  libegl-dev libegl-mesa0 libgl1-mesa-dri libgl-dev
  libcairo2-dev libspng-dev fonts-dejavu-core
  libgtest-dev libgmock-dev libbenchmark-dev
  binutils
)
# The fuzz targets (libFuzzer with the sanitizers).
fuzz_packages=(clang libclang-rt-dev)
# The Windows build: cross compiler (posix threads), resource compiler, Wine on a virtual display,
# and dpkg-dev to unpack Debian source packages.
windows_packages=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64 xvfb dpkg-dev)
if [ "$tests" -eq 1 ]; then packages+=("${fuzz_packages[@]}" "${windows_packages[@]}"); fi
if [ -n "$folder" ]; then packages+=("${windows_packages[@]}"); fi

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

if [ -n "$folder" ]; then
  bash "$(dirname "$0")/windows_deps.sh" "$folder"
fi
