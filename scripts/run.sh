#!/usr/bin/env bash
# The main job: installs what is missing, builds, and runs the tiletta command.
# Arguments are passed to `tiletta`; without any it shows built-in layout 3-1 at 1920x1080.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target tiletta
if [ $# -eq 0 ]; then
  set -- layout --layout 3-1 --size 1920x1080 --edge-inset 10
fi
exec ./build/tools/tiletta/tiletta "$@"
