#!/usr/bin/env bash
# Installs what is missing, builds, makes the data and plays the show in a window.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh
velmoran_install "${VELMORAN_PACKAGES[@]}"
velmoran_build build -DCMAKE_BUILD_TYPE=Release
exec ./build/velmoran "$@"
