#!/usr/bin/env bash
# The main job: installs what is missing, builds, and runs the tiletta command.
# Without arguments it renders built-in layout 9-1 at 1920x1080 with nine generated sample layers
# into tiletta.png; with arguments they are passed to `tiletta` as they stand.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$(nproc)" --target tiletta
if [ $# -eq 0 ]; then
  set -- render --layout 9-1 --size 1920x1080 --edge-inset 10 --round-corner 20 -o tiletta.png
fi
exec ./build/tools/tiletta/tiletta "$@"
