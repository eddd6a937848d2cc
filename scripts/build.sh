#!/usr/bin/env bash
# Configures and builds one build folder, all targets or the ones named.
#   scripts/build.sh [DIR] [SANITIZERS] [TARGET...]
#   e.g. scripts/build.sh build-asan address,undefined
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
sanitize=${2:-}
shift $(( $# > 2 ? 2 : $# ))
targets=()
for t in "$@"; do targets+=(--target "$t"); done
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCORVANE_WERROR=ON -DCORVANE_SANITIZE="$sanitize" >/dev/null
cmake --build "$dir" -j"$(nproc)" "${targets[@]}"
