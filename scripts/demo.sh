#!/usr/bin/env bash
# The main job: installs what is missing, builds the plug-in and the
# command-line host, and renders the demo through every program into out/demo/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh build
build/corvane-host demo build/ArloCorvane.so out/demo
