#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need, only
# those missing (safe to run again). Needs root or sudo on a fresh machine.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libsndfile1-dev libcairo2-dev libfontconfig-dev libx11-dev libxext-dev libfftw3-dev
  # Audio streamed into the host in its tests.
  sox ffmpeg
  xvfb xdotool fonts-liberation2 fonts-dejavu-core
  # The desktop file dialog the editor's load and save buttons open.
  zenity
)
# Third-party plug-in used by the host's integration test.
packages+=(dragonfly-reverb-vst)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  # The third-party plug-in is optional: its test skips when it cannot be had.
  "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null || {
    required=()
    for p in "${missing[@]}"; do [ "$p" != dragonfly-reverb-vst ] && required+=("$p"); done
    "${sudo_cmd[@]}" apt-get install -y -qq "${required[@]}" >/dev/null
  }
fi
