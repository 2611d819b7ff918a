#!/usr/bin/env bash
# Builds everything and runs every test: the plain build, the sanitizer build
# (address + undefined behaviour + float-cast-overflow), and the template checker.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
bash scripts/setup.sh

jobs=$(nproc)

build() {  # build DIR [cmake options...]
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
}

echo "== built-in templates"
python3 "$root/../shared/tools/check_templates.py" layout/templates.json

echo "== plain build"
build build -DCMAKE_BUILD_TYPE=RelWithDebInfo
(cd build && ctest --output-on-failure -j "$jobs")

echo "== sanitizer build"
build build-asan -DCMAKE_BUILD_TYPE=Debug -DTILETTA_SANITIZE=ON -DTILETTA_BENCH=OFF
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$root/tests/lsan.supp
(cd build-asan && ctest --output-on-failure -j "$jobs")
