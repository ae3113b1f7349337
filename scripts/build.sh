#!/usr/bin/env bash
# Installs what is missing, configures and builds into a build folder (build/ unless given),
# with any extra CMake options given after it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
folder=${1:-build}
shift || true
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$folder" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" "$@" >/dev/null
cmake --build "$folder" -j"$(nproc)"
