#!/usr/bin/env bash
# Builds and runs the engine benchmark: the effect against the plain
# reference engine, in one run (compare their x_realtime figures).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh build
build/engine_bench --benchmark_min_time=0.5 "$@"
