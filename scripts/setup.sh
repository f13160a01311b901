#!/usr/bin/env bash
# Shared set-up of play.sh and test.sh: installs missing Debian packages, configures and builds.
set -euo pipefail

# What the program needs, and what the tests, fuzzers and benchmarks need besides.
VELMORAN_PACKAGES=(cmake ninja-build g++ pkg-config zlib1g-dev libsdl2-dev libpng-dev)
VELMORAN_TEST_PACKAGES=(libgtest-dev libgmock-dev libbenchmark-dev clang xvfb xauth x11-utils
  imagemagick netpbm ffmpeg libopenmpt-dev openmpt123 libxmp-dev)
# The Windows program: 32-bit cross compiler, and wine to run it (its 32-bit half needs i386).
VELMORAN_WINDOWS_PACKAGES=(g++-mingw-w64-i686 binutils-mingw-w64-i686 libz-mingw-w64-dev wine wine32:i386
  libgl1:i386 libgl1-mesa-dri:i386 libglx-mesa0:i386)

velmoran_install() {
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    if printf '%s\n' "${missing[@]}" | grep -q ':i386$' && ! dpkg --print-foreign-architectures | grep -qx i386; then
      $sudo dpkg --add-architecture i386
    fi
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
  # The sanitizer and fuzzer runtimes come in a package named after clang's major version.
  if [[ " $* " == *" clang "* ]]; then
    local major
    major=$(clang --version | sed -n 's/.*clang version \([0-9][0-9]*\).*/\1/p' | head -n 1)
    [ -n "$major" ] || { echo "Cannot tell clang's version" >&2; return 1; }
    velmoran_install "libclang-rt-$major-dev"
  fi
}

velmoran_jobs() { nproc 2>/dev/null || echo 2; }

# velmoran_build <dir> [cmake options...]: configure (once) and build everything, data included.
velmoran_build() {
  local dir=$1
  shift
  cmake -S . -B "$dir" -G Ninja "$@" > "$dir.configure.log" 2>&1 || { cat "$dir.configure.log"; return 1; }
  cmake --build "$dir" -j "$(velmoran_jobs)"
}

# velmoran_build_windows: the Windows program in build-win/velmoran.exe, cross-built from the same
# sources, with the data of the native build in build/ (made first when missing) beside it.
velmoran_build_windows() {
  if [ ! -f build/CMakeCache.txt ]; then
    mkdir -p build
    cmake -S . -B build -G Ninja > build.configure.log 2>&1 || { cat build.configure.log; return 1; }
  fi
  cmake --build build --target data -j "$(velmoran_jobs)"
  velmoran_build build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release \
    -DVELMORAN_NATIVE_DATA="$PWD/build/data"
}
