#!/usr/bin/env bash
# The Windows stage: builds the libraries glbinding and Clipper for Windows (once, kept in the
# build tree), cross-builds the plug-in DLL and the Windows test programs, and runs them under
# Wine on a private virtual X display (the same Mesa llvmpipe driver as the Linux tests).
#   test_windows.sh [BUILD_DIR]      (default build-win; the Linux reference render is read from
#                                     build/layout-9-1.argb when it exists)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
dir=$root/${1:-build-win}
jobs=${TILETTA_JOBS:-$(nproc)}

bash scripts/setup.sh "$dir/deps"

echo "== Windows cross build"
cmake -S . -B "$dir/main" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTILETTA_WERROR=ON \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/WindowsToolchain.cmake" -DTILETTA_WINDOWS_PREFIX="$dir/deps/prefix" >/dev/null
cmake --build "$dir/main" -j "$jobs"

echo "== Windows tests under Wine"
export WINEPREFIX=$dir/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
wine=/usr/lib/wine/wine64
xvfb_pid=
stop() {
  "${wine%/*}/wineserver" -k 2>/dev/null || true
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
}
trap stop EXIT

# A free display number chosen by Xvfb itself, so parallel runs never share a display.
display_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp 3>"$display_file" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$display_file" ] && break; sleep 0.1; done
display=$(head -n 1 "$display_file")
rm -f "$display_file"
[ -n "$display" ] || { echo "Xvfb did not start"; exit 1; }
export DISPLAY=":$display"

reference=$root/build/layout-9-1.argb
[ -f "$reference" ] && export TILETTA_RENDER_REFERENCE="Z:$reference"
export TILETTA_RENDER_OUT="Z:$dir/layout-9-1.argb"

# The host's windows hold no pixels in the Windows build (it has no Cairo), and the chooser's trace
# lines go to the debugger output there: the controls' tests that read either stay on Linux.
pixel_tests=CompOverlay.DrawsOutlinesButtonsAndPointsWhereTheWindowShowsThem
pixel_tests+=:CompOverlay.FirstDrawAfterReloadAtAnotherSizeDrawsTheLayoutAtThatSize
pixel_tests+=:OverlayGestures.OutlinesAreOnePixelWide
pixel_tests+=:Chooser.GridFollowsTheControlWidth:Chooser.DoubleClickLoadsTheLayoutUnderIt
pixel_tests+=:Chooser.ScrollDragIsClampedAtBothEnds:Chooser.ScrolledGridShowsOpenCutsAndKeepsItsPosition
pixel_tests+=:Chooser.InstancesScrollIndependently:Chooser.ThumbnailOnTheControlsTopLineKeepsItsTopEdge

cd "$dir/main/bin"
status=0
for program in tiletta_win_platform_tests tiletta_win_effect_tests tiletta_win_plugin_tests \
               tiletta_win_controls_tests; do
  echo "-- $program"
  filter=
  [ "$program" = tiletta_win_controls_tests ] && filter="--gtest_filter=-$pixel_tests"
  if ! "$wine" "$program.exe" --gtest_brief=1 $filter </dev/null; then status=1; fi
done
exit $status
