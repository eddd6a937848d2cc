#!/usr/bin/env bash
# Configures and builds one build folder.
#   scripts/build.sh [DIR] [SANITIZERS]   e.g. scripts/build.sh build-asan address,undefined
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
sanitize=${2:-}
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCORVANE_SANITIZE="$sanitize" >/dev/null
cmake --build "$dir" -j"$(nproc)"
