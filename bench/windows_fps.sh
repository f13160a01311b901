#!/usr/bin/env bash
# Headless frames per second of the whole show, the Linux build beside the Windows program under
# wine, in one run on the same machine.
# usage: bench/windows_fps.sh [linux build dir, default build] [windows build dir, default build-win]
set -eu
cd "$(dirname "$0")/.."
linux=$(realpath "${1:-build}")
win=$(realpath "${2:-build-win}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export WINEPREFIX=$win/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml,winealsa.drv,winepulse.drv="
[ -d "$WINEPREFIX" ] || wineboot -i > /dev/null 2>&1

# measure <name> <command...>: wall-clock seconds of one whole-show run, and its frames per second.
measure() {
  local name=$1 start end frames
  shift
  start=$(date +%s.%N)
  (cd "$work" && env VELMORAN_BACKEND=headless VELMORAN_SETUP=run VELMORAN_CRC_LOG="$name.crc" "$@" > /dev/null 2>&1)
  end=$(date +%s.%N)
  frames=$(wc -l < "$work/$name.crc")
  echo "$name $frames $(echo "$end - $start" | bc -l)"
}

VELMORAN_BACKEND=headless VELMORAN_SETUP=run VELMORAN_MAX_FRAMES=1 wine "$win/velmoran.exe" > /dev/null 2>&1 || true  # warms wine up
{
  measure linux "$linux/velmoran"
  measure windows wine "$win/velmoran.exe"
} | awk '{ fps[$1] = $2 / $3; printf "%-8s %6d frames  %7.2f s  %8.1f frames/s\n", $1, $2, $3, fps[$1] }
         END { printf "windows/linux: %.2f\n", fps["windows"] / fps["linux"] }'
