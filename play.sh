#!/usr/bin/env bash
# Installs what is missing, builds, makes the data and plays the show in a window.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh
velmoran_install "${VELMORAN_PACKAGES[@]}"
# The program and its data only; ./test.sh builds the tests and benchmarks.
velmoran_build build-play -DCMAKE_BUILD_TYPE=Release -DVELMORAN_TESTS=OFF -DVELMORAN_BENCH=OFF
exec ./build-play/velmoran "$@"
