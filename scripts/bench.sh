#!/usr/bin/env bash
# Builds and runs the engine benchmark: the effect's engine against the plain
# reference engine, both in the same run, so their figures compare. The table
# ends with a summary: ns per sample, speed-up and real-time factor of each
# case and block size. Extra arguments go to Google Benchmark, e.g.
#   scripts/bench.sh --benchmark_filter=static
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh build "" engine_bench
build/engine_bench --benchmark_min_time=0.5 "$@"
