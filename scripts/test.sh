#!/usr/bin/env bash
# Builds everything and runs every test, warnings as errors: the template checker, the plain build
# (Release, as users build it), the Windows build under Wine, the sanitizer build (Debug; address +
# undefined behaviour + float-cast-overflow), the fuzz targets for a fixed number of inputs each (when
# clang is present) and the thread sanitizer run. TILETTA_JOBS sets the build and test parallelism.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
bash scripts/setup.sh --tests

jobs=${TILETTA_JOBS:-$(nproc)}

build() {  # build DIR [cmake options...]
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja -DTILETTA_WERROR=ON "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
}

echo "== built-in templates"
# The checker lives beside the clone, in ../shared; a clone without it still runs the plain
# build's own template tests below.
checker="$root/../shared/tools/check_templates.py"
if [ -f "$checker" ]; then
  python3 "$checker" layout/templates.json
else
  echo "skipped: no $checker (the plain build's template tests still run)"
fi

echo "== plain build"
build build -DCMAKE_BUILD_TYPE=Release
(cd build && ctest --output-on-failure -j "$jobs")

echo "== Windows build under Wine"
# Cross-built DLL and test programs; the 9-1 render must match the plain build's (kept by its test).
[ -f build/layout-9-1.argb ] || { echo "no Linux reference render build/layout-9-1.argb"; exit 1; }
bash scripts/test_windows.sh build-win

echo "== sanitizer build"
build build-asan -DCMAKE_BUILD_TYPE=Debug -DTILETTA_SANITIZE=ON -DTILETTA_BENCH=OFF
# intercept_tls_get_addr=0: g++ 12's sanitizer runtime records a dynamic TLS block whose address
# happens to sit 16 bytes past a page boundary as if glibc gave it the header of glibc 2.19 and
# older, and reads its bounds from the two words before it; the leak checker then scans a bogus
# range at exit and dies ("Tracer caught signal 11"). Where a block lands depends on the driver's
# worker-thread count, so it struck on 2 to 4 cores. Heap blocks held only by dynamic TLS are not
# scanned as roots with this off; none of ours are.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1:intercept_tls_get_addr=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$root/tests/lsan.supp
(cd build-asan && ctest --output-on-failure -j "$jobs")

echo "== fuzz targets (clang, address + undefined behaviour sanitizers)"
# Each target starts from its crafted corpus in fuzz/corpus/<name> and tries a fixed number of
# inputs, so the run takes seconds and the same inputs every time. New inputs go to a scratch
# folder; the corpus in the repository stays as it is.
if command -v clang++ >/dev/null; then
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTILETTA_FUZZ=ON \
    -DTILETTA_WERROR=ON -DTILETTA_BENCH=OFF >/dev/null
  cmake --build build-fuzz -j "$jobs" --target tiletta_fuzz
  scratch=$(mktemp -d)
  trap 'rm -rf "$scratch"' EXIT
  for run in layout_json:20000 png:50000 sequence:4000 project:4000; do
    name=${run%%:*}
    dict=()
    if [ -f "fuzz/$name.dict" ]; then dict=(-dict="fuzz/$name.dict"); fi
    mkdir -p "$scratch/$name"
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1:suppressions=$root/fuzz/ubsan.supp \
      "build-fuzz/fuzz/tiletta_${name}_fuzz" -runs="${run#*:}" -seed=1 -timeout=20 -rss_limit_mb=4096 \
      -artifact_prefix="$scratch/" "${dict[@]}" "$scratch/$name" "fuzz/corpus/$name" >"$scratch/$name.log" 2>&1 ||
      { tail -n 60 "$scratch/$name.log"; echo "fuzz target $name failed; the input is in $scratch"; trap - EXIT; exit 1; }
    echo "$name: $(grep -E '^Done [0-9]+ runs' "$scratch/$name.log")"
  done
else
  echo "skipped: no clang++"
fi

echo "== thread sanitizer build (the concurrency tests)"
# Renders on eight threads in two host sessions, and one instance used from several threads.
# Reports are read by scripts/tsan_reports.py: the OpenGL driver's own races are let through,
# any access made by our code fails the run.
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTILETTA_TSAN=ON -DTILETTA_WERROR=ON \
  -DTILETTA_BENCH=OFF >/dev/null
cmake --build build-tsan -j "$jobs" --target tiletta_smartfx_host_tests
tsan_log=build-tsan/tsan.log
TSAN_OPTIONS="halt_on_error=0 exitcode=0" build-tsan/tests/smartfx/tiletta_smartfx_host_tests \
  --gtest_filter='SameInstanceStress.*:RenderThreads.*:*Concurrent*' >"$tsan_log" 2>&1 || { cat "$tsan_log"; exit 1; }
grep -E '^\[  (PASSED|FAILED) ' "$tsan_log"
python3 scripts/tsan_reports.py "$tsan_log"
