#!/usr/bin/env bash
# Builds the libraries the Windows build needs and Debian ships only for Linux: glbinding (static,
# without its tests and tools) and Clipper, from Debian's own source packages, cross-compiled into
# DIR/prefix. The sources and builds stay in DIR; a finished build is kept and reused.
#   windows_deps.sh DIR
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=$(mkdir -p "$1" && cd "$1" && pwd)
prefix=$dir/prefix
toolchain=$root/cmake/WindowsToolchain.cmake
jobs=${TILETTA_JOBS:-$(nproc)}

# Source packages come from the same suites as the binary ones: a deb-src twin of each source list.
ensure_deb_src() {
  if apt-cache showsrc glbinding 2>/dev/null | grep -q '^Package: glbinding'; then return; fi
  local list=/etc/apt/sources.list.d/tiletta-deb-src.sources
  local src
  for src in /etc/apt/sources.list.d/*.sources; do
    [ "$src" = "$list" ] && continue
    sed -n '/^Types:/!p; s/^Types: .*/Types: deb-src/p' "$src"
    echo
  done >"$list"
  if [ -f /etc/apt/sources.list ]; then
    sed -n 's/^deb \(.*\)/deb-src \1/p' /etc/apt/sources.list >/etc/apt/sources.list.d/tiletta-deb-src.list
  fi
  apt-get update
}

# fetch PACKAGE: unpacks Debian's source of PACKAGE under DIR/src and prints its folder.
fetch() {
  local pkg=$1
  mkdir -p "$dir/src/$pkg"
  if ! ls -d "$dir/src/$pkg"/*/ >/dev/null 2>&1; then
    (cd "$dir/src/$pkg" && apt-get source --download-only "$pkg" >&2 && dpkg-source -x ./*.dsc >&2)
  fi
  ls -d "$dir/src/$pkg"/*/ | head -n 1
}

# build NAME SOURCE [cmake options...]: configures, builds and installs into the prefix once.
build() {
  local name=$1 source=$2; shift 2
  [ -f "$dir/$name.done" ] && return
  cmake -S "$source" -B "$dir/build-$name" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_INSTALL_PREFIX="$prefix" "$@" >/dev/null
  cmake --build "$dir/build-$name" -j "$jobs" --target install >/dev/null
  touch "$dir/$name.done"
}

if [ -f "$dir/glbinding.done" ] && [ -f "$dir/polyclipping.done" ]; then exit 0; fi

ensure_deb_src
echo "windows deps: building glbinding and Clipper for Windows in $dir"
# (Tools need GLFW, which the cross build does not find, so they are skipped on their own.)
glbinding_src=$(fetch glbinding)
build glbinding "$glbinding_src" -DBUILD_SHARED_LIBS=OFF -DOPTION_BUILD_TESTS=OFF \
  -DOPTION_BUILD_EXAMPLES=OFF -DOPTION_BUILD_GPU_TESTS=OFF
clipper_src=$(fetch libpolyclipping)
build polyclipping "$clipper_src/cpp" -DBUILD_SHARED_LIBS=OFF
