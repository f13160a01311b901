#!/usr/bin/env bash
# Builds the Windows program (32-bit, cross-compiled with mingw-w64): build-win/velmoran.exe.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
velmoran_install "${VELMORAN_PACKAGES[@]}" "${VELMORAN_WINDOWS_PACKAGES[@]}"
velmoran_build_windows
echo "The Windows program: $PWD/build-win/velmoran.exe (its data beside it)"
