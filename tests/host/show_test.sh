#!/usr/bin/env bash
# Whole-program runs of the show: headless determinism and the kept reference at 320x200, exit codes of the
# failure paths, and the sdl backend in a real window under Xvfb.
# usage: show_test.sh <velmoran> <work dir> <headless|failures|sdl|sanitize|compare <other velmoran>>
set -u
here=$(cd "$(dirname "$0")" && pwd)
prog=$1
work=$2
mode=$3
mkdir -p "$work"
cd "$work" || exit 1
fail() { echo "FAIL: $*"; exit 1; }

run() {  # run <expected exit code> <env...>
  local want=$1
  shift
  env "$@" "$prog" > out.txt 2> err.txt
  local got=$?
  [ "$got" = "$want" ] || { cat out.txt err.txt; fail "exit code $got, expected $want ($*)"; }
}

case $mode in
headless)
  run 0 VELMORAN_BACKEND=headless VELMORAN_SETUP=run VELMORAN_CRC_LOG=crc1.txt
  run 0 VELMORAN_BACKEND=headless VELMORAN_SETUP=run VELMORAN_CRC_LOG=crc2.txt
  [ -s crc1.txt ] || fail "no frames logged"
  cmp crc1.txt crc2.txt || fail "two runs gave different frames"
  "$here/show_reference.sh" check 320 crc1.txt || exit 1
  head -c 1 out.txt | od -An -tx1 | grep -q f0 || fail "banner missing"
  # 54 orders at speed 6 and 125 BPM last 414.72 s: 24883 frames at 60 a second, ended by the end event
  # (the last frames belong to the credits' last event, 223, the heard position just short of 54.00).
  frames=$(wc -l < crc1.txt)
  [ "$frames" -ge 24881 ] && [ "$frames" -le 24885 ] || fail "$frames frames, expected 24883"
  [ "$(tail -n 1 crc1.txt | cut -d' ' -f4)" = 223 ] || fail "the show did not end in its last event"
  echo "headless: $frames frames, identical twice and as the reference"
  ;;
failures)
  run 0 VELMORAN_BACKEND=headless VELMORAN_SETUP=exit
  run 124 VELMORAN_BACKEND=headless VELMORAN_SETUP=run VELMORAN_MAX_FRAMES=10
  run 124 VELMORAN_BACKEND=headless VELMORAN_SETUP=run VELMORAN_MAX_SECONDS=1
  run 0 VELMORAN_BACKEND=headless VELMORAN_SETUP=run VELMORAN_KEYS=30:down:27 VELMORAN_CRC_LOG=esc.txt
  [ "$(wc -l < esc.txt)" -lt 40 ] || fail "Escape did not end the show"
  run 101 VELMORAN_BACKEND=headless VELMORAN_FAIL=dialog
  run 102 VELMORAN_BACKEND=headless VELMORAN_SETUP=run VELMORAN_FAIL=window
  run 102 VELMORAN_BACKEND=headless VELMORAN_SETUP=run VELMORAN_FAIL=class
  run 103 VELMORAN_BACKEND=headless VELMORAN_SETUP=run VELMORAN_FAIL=presenter
  grep -q "Failed to initialize Direct3D!" err.txt || fail "no presenter message"
  run 0 VELMORAN_BACKEND=headless VELMORAN_SETUP=run VELMORAN_FAIL=backbuffer VELMORAN_KEYS=60:down:27
  grep -q "Could not get the backbuffer! Rendering stopped." err.txt || fail "no back-buffer message"
  [ "$(grep -c "Could not get the backbuffer" err.txt)" = 1 ] || fail "back-buffer message shown more than once"
  run 2 VELMORAN_BACKEND=headless VELMORAN_KEYS=nonsense
  echo "failures: all exit codes as expected"
  ;;
sdl)
  command -v xvfb-run > /dev/null || fail "xvfb-run is missing"
  run 0 SDL_AUDIODRIVER=dummy VELMORAN_BACKEND=sdl VELMORAN_SETUP=run VELMORAN_KEYS=20:down:27 \
    xvfb-run -a -s "-screen 0 1024x768x24"
  grep -q "client area 320x200" out.txt || { cat out.txt; fail "client area is not 320x200"; }
  run 0 SDL_AUDIODRIVER=dummy VELMORAN_BACKEND=sdl VELMORAN_SETUP=960,run VELMORAN_KEYS=20:down:27 \
    xvfb-run -a -s "-screen 0 1024x768x24"
  grep -q "client area 960x600" out.txt || { cat out.txt; fail "client area is not 960x600"; }
  # A wall-clock limit counts from start-up: the show runs in real time until it.
  start=$(date +%s%N)
  run 124 SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy VELMORAN_BACKEND=sdl VELMORAN_SETUP=run VELMORAN_MAX_SECONDS=2
  elapsed_ms=$(( ($(date +%s%N) - start) / 1000000 ))
  [ "$elapsed_ms" -ge 2000 ] || fail "the 2 s limit ended the run after $elapsed_ms ms"
  echo "sdl: window of the output size, Escape ends with 0, real-time limit"
  ;;
compare)
  other=$4
  [ -x "$other" ] || fail "no program at $other"
  # The whole show at a low frame rate, so every scene is seen in both sizes without taking long.
  for size in 320 960; do
    run 0 VELMORAN_BACKEND=headless VELMORAN_SETUP=$size,run VELMORAN_FPS=5 VELMORAN_CRC_LOG=this_$size.txt
    env VELMORAN_BACKEND=headless VELMORAN_SETUP=$size,run VELMORAN_FPS=5 VELMORAN_CRC_LOG=other_$size.txt \
      "$other" > /dev/null 2>&1 || fail "the other build failed"
    cmp this_$size.txt other_$size.txt || fail "the two builds presented different frames at $size"
  done
  echo "compare: both builds present the same frames"
  ;;
sanitize)
  # Every scene at 960x600 and at 320x200 under the sanitizers, at a low frame rate.
  run 0 VELMORAN_BACKEND=headless VELMORAN_SETUP=960,run VELMORAN_FPS=10 VELMORAN_CRC_LOG=asan960.txt
  run 0 VELMORAN_BACKEND=headless VELMORAN_SETUP=320,run VELMORAN_FPS=10 VELMORAN_CRC_LOG=asan320.txt
  echo "sanitize: clean"
  ;;
*)
  fail "unknown mode $mode"
  ;;
esac
