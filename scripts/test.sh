#!/usr/bin/env bash
# The test command: installs what is missing, builds, and runs the whole suite,
# first as released, then under AddressSanitizer + UndefinedBehaviorSanitizer,
# then the threading tests under ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

scripts/build.sh build
(cd build && ctest --output-on-failure -j"$(nproc)")

scripts/build.sh build-asan address,undefined
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions="$PWD/../tests/lsan.supp" UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  ctest --output-on-failure -j"$(nproc)" -LE thirdparty)

scripts/build.sh build-tsan thread engine_realtime_tests editor_threads_tests
(cd build-tsan && TSAN_OPTIONS=halt_on_error=1 ctest --output-on-failure -L threads)
