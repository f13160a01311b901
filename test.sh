#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test through CTest.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh
velmoran_install "${VELMORAN_PACKAGES[@]}" "${VELMORAN_TEST_PACKAGES[@]}" "${VELMORAN_WINDOWS_PACKAGES[@]}"
status=0

# Fuzzers, the unit tests and the show under AddressSanitizer and UBSan, built with clang, so clang sees
# the code and the tests as well as gcc; both builds treat warnings as errors.
velmoran_build build-fuzz -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DVELMORAN_FUZZ=ON -DVELMORAN_SANITIZE=ON -DVELMORAN_TESTS=ON -DVELMORAN_BENCH=OFF -DVELMORAN_WERROR=ON
(cd build-fuzz && ctest --output-on-failure -j "$(velmoran_jobs)" -L 'fuzz|sanitize|unit' --timeout 900) || status=1

# The program without optimisation: its frames must be those of the optimised builds.
velmoran_build build-o0 -DCMAKE_BUILD_TYPE=Debug -DVELMORAN_TESTS=OFF -DVELMORAN_BENCH=OFF

# The main build: unit tests, whole-show runs, external-tool checks; its summary closes the run.
velmoran_build build -DCMAKE_BUILD_TYPE=Release -DVELMORAN_TESTS=ON -DVELMORAN_BENCH=ON -DVELMORAN_WERROR=ON \
  -DVELMORAN_OTHER_PROGRAMS="$PWD/build-fuzz/velmoran;$PWD/build-o0/velmoran" -DVELMORAN_WINDOWS_BUILD="$PWD/build-win"
# The Windows program from the same sources and the main build's data, run under wine by the main build's tests.
velmoran_build_windows
(cd build && ctest --output-on-failure -j "$(velmoran_jobs)" --timeout 900) || status=1
exit $status
