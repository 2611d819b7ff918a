#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the benchmarks need.
# Skips apt entirely when everything is already present, so a warm run is fast.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config python3
  libglbinding-dev libpolyclipping-dev rapidjson-dev dpf-source
  libegl-dev libegl-mesa0 libgl1-mesa-dri libgl-dev
  libcairo2-dev libspng-dev fonts-dejavu-core
  libgtest-dev libgmock-dev libbenchmark-dev
  binutils clang libclang-rt-dev
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
