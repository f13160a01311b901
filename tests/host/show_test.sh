#!/usr/bin/env bash
# Whole-program runs of the show: headless determinism and the kept reference at 320x200, exit codes of the
# failure paths, and the sdl backend in a real window under Xvfb.
# usage: show_test.sh <velmoran> <work dir> <headless|failures|sdl|sanitize|compare <other velmoran>>
set -u
here=$(cd "$(dirname "$0")" && pwd)
xvfb=$here/../xvfb_run.sh
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
  run 0 VELMORAN_BACKEND=headless VELMORAN_SETUP=run VELMORAN_KEYS=30:down:27 VELMORAN_CRC_LOG=esc.txt \
    VELMORAN_MAX_FRAMES=0 VELMORAN_MAX_SECONDS=0  # 0: no limit
  # The show opens on black frames (the CRC-32 of 320x200 zero words, as gzip computes it); debug mode
  # draws its overlay on each of them.
  run 124 VELMORAN_BACKEND=headless VELMORAN_SETUP=debug,run VELMORAN_MAX_FRAMES=5 VELMORAN_CRC_LOG=debug.txt
  black=$(head -c 256000 /dev/zero | gzip | tail -c 8 | od -An -tx4 -N4 | tr -d ' ')
  [ "$(head -n 5 esc.txt | cut -d' ' -f5 | sort -u)" = "$black" ] || fail "the show does not open on black"
  [ "$(wc -l < debug.txt)" = 5 ] && ! grep -q " $black$" debug.txt || fail "debug mode drew no overlay"
  [ "$(wc -l < esc.txt)" -lt 40 ] || fail "Escape did not end the show"
  # Escape pressed and let go before the frame that would see it: the show goes on to the limit.
  run 124 VELMORAN_BACKEND=headless VELMORAN_SETUP=run VELMORAN_KEYS=30:down:27,30:up:27 VELMORAN_MAX_FRAMES=40
  # Each platform failure: its exit code and its one line (a box headless: "caption: text"); no audio
  # device is the engine's fatal error 1.
  for case in "101 dialog:Velmoran: Unable to show the setup dialog." "102 window:Error: Unable to create the window." \
    "102 class:Error: Unable to register the window class." "103 presenter:Error: Failed to initialize Direct3D!" \
    "103 d3d:Error: Failed to initialize Direct3D!" "1 audio:Music: Unable to open wave output."; do
    kind=${case%%:*}
    run "${kind% *}" VELMORAN_BACKEND=headless VELMORAN_SETUP=run VELMORAN_FAIL="${kind#* }"
    grep -aqF "${case#*:}" err.txt out.txt || fail "${kind#* }: no line \"${case#*:}\""
  done
  run 0 VELMORAN_BACKEND=headless VELMORAN_SETUP=run VELMORAN_FAIL=backbuffer VELMORAN_KEYS=60:down:27
  grep -q "Could not get the backbuffer! Rendering stopped." err.txt || fail "no back-buffer message"
  [ "$(grep -c "Could not get the backbuffer" err.txt)" = 1 ] || fail "back-buffer message shown more than once"
  run 2 VELMORAN_BACKEND=headless VELMORAN_KEYS=nonsense
  # Every number is taken whole and in range, and no text is cut: otherwise exit 2 before the show, naming
  # the setting.
  long=$(printf '%04096d' 0)
  keys256=$(printf '9:up:1,%.0s' $(seq 255))9:up:1  # as many scripted keys as are taken
  # A setup script of 128 characters is refused, though its first 127 would make a whole one.
  for setting in VELMORAN_MAX_FRAMES=abc VELMORAN_MAX_FRAMES=-1 VELMORAN_MAX_SECONDS=abc VELMORAN_MAX_SECONDS=-3 \
    VELMORAN_MAX_SECONDS=inf VELMORAN_MAX_SECONDS=0x10 \
    VELMORAN_FPS=70abc VELMORAN_FPS=1001 VELMORAN_AVI_EVERY=abc VELMORAN_AVI_EVERY=0 \
    VELMORAN_KEYS=50:down:4294967323 VELMORAN_KEYS=50:down:128 VELMORAN_KEYS=-1:down:5 VELMORAN_KEYS=5:down:27, \
    VELMORAN_KEYS=4294967296:down:27 VELMORAN_DUMP_FRAMES=abc VELMORAN_WINDOW_BORDER=16x39abc \
    VELMORAN_FPS=0 VELMORAN_MAX_SECONDS=1000000000.5 VELMORAN_WINDOW_BORDER=10001x0 VELMORAN_WINDOW_BORDER=0x10001 \
    VELMORAN_BACKEND=nonsense VELMORAN_KEYS=${keys256},9:up:1 VELMORAN_SETUP=$(printf '320,%.0s' $(seq 32)) \
    VELMORAN_SETUP=$(printf '320,%.0s' $(seq 40))run VELMORAN_AVI=$long VELMORAN_WAV=$long VELMORAN_CRC_LOG=$long \
    VELMORAN_DUMP_DIR=$long; do
    rm -f refused.avi
    run 2 VELMORAN_BACKEND=headless VELMORAN_SETUP=run VELMORAN_AVI=refused.avi VELMORAN_MAX_FRAMES=5 "$setting"
    grep -q "^${setting%%=*}: " err.txt || { cat err.txt; fail "$setting refused without its name"; }
    [ ! -e refused.avi ] || fail "$setting: the show started"
  done
  # Limits at the ends of their ranges are taken; a relative path longer than 256 characters names its file.
  deep=$(printf 'folder%03d/' $(seq 26))
  mkdir -p "$deep"
  run 124 VELMORAN_BACKEND=headless VELMORAN_SETUP=run VELMORAN_FPS=1000 VELMORAN_MAX_SECONDS=0.01 \
    VELMORAN_KEYS=4294967295:down:127 VELMORAN_CRC_LOG="${deep}crc.txt"
  [ "$(wc -l < "${deep}crc.txt")" = 10 ] || fail "10 ms at 1000 frames a second did not log 10 frames"
  # A time limit of just 5 frames at 50 a second: the 5th frame, at the limit, still runs.
  run 124 VELMORAN_BACKEND=headless VELMORAN_SETUP=run VELMORAN_FPS=50 VELMORAN_MAX_SECONDS=0.1 VELMORAN_CRC_LOG=fifth.txt
  [ "$(wc -l < fifth.txt)" = 5 ] || fail "0.1 s at 50 frames a second did not log 5 frames"
  run 124 VELMORAN_BACKEND=headless VELMORAN_SETUP=$(printf '320,%.0s' $(seq 31))run VELMORAN_FPS=1 VELMORAN_MAX_FRAMES=1 \
    VELMORAN_AVI_EVERY=1 VELMORAN_MAX_SECONDS=1000000000 VELMORAN_WINDOW_BORDER=10000x10000 VELMORAN_KEYS=$keys256
  # The show's data must be whole regular files: a cut data file, a pipe (whose open would wait for ever)
  # or a folder by the name ends the run through the fatal path, saying what is wrong.
  data=$(dirname "$prog")/data
  rm -rf bad && mkdir bad
  head -c 2000000 "$data/velmoran.dat" > bad/velmoran.dat
  cp "$data/velmoran.xm" bad/
  for case in "cut:Datafile ends early" "pipe dat:Datafile is a pipe" "folder dat:Datafile is a folder" \
    "pipe xm:velmoran.xm is a pipe" "folder xm:velmoran.xm is a folder"; do
    kind=${case%%:*}
    case $kind in
    "pipe "*) rm -rf "bad/velmoran.${kind#* }" && mkfifo "bad/velmoran.${kind#* }" ;;
    "folder "*) rm -rf "bad/velmoran.${kind#* }" && mkdir "bad/velmoran.${kind#* }" ;;
    esac
    (cd bad && timeout -s KILL 60 env VELMORAN_BACKEND=headless VELMORAN_SETUP=run "$prog" > ../out.txt 2> ../err.txt)
    got=$?
    [ "$got" = 1 ] && grep -aq "${case#*:}" out.txt || { cat out.txt err.txt; fail "$kind: exit $got"; }
    [ "$kind" = cut ] && cp "$data/velmoran.dat" bad/
    [ "$kind" = "folder dat" ] && rmdir bad/velmoran.dat && cp "$data/velmoran.dat" bad/
  done
  echo "failures: all exit codes as expected"
  ;;
sdl)
  command -v Xvfb > /dev/null || fail "Xvfb is missing"
  run 0 SDL_AUDIODRIVER=dummy VELMORAN_BACKEND=sdl VELMORAN_SETUP=run VELMORAN_KEYS=20:down:27 \
    "$xvfb" 1024x768x24
  grep -q "client area 320x200" out.txt || { cat out.txt; fail "client area is not 320x200"; }
  run 0 SDL_AUDIODRIVER=dummy VELMORAN_BACKEND=sdl VELMORAN_SETUP=960,run VELMORAN_KEYS=20:down:27 \
    "$xvfb" 1024x768x24
  grep -q "client area 960x600" out.txt || { cat out.txt; fail "client area is not 960x600"; }
  # A wall-clock limit counts from start-up: the show runs in real time until it.
  start=$(date +%s%N)
  run 124 SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy VELMORAN_BACKEND=sdl VELMORAN_SETUP=run VELMORAN_MAX_SECONDS=2 \
    VELMORAN_CRC_LOG=sdl_crc.txt VELMORAN_WAV=sdl.wav
  elapsed_ms=$(( ($(date +%s%N) - start) / 1000000 ))
  [ "$elapsed_ms" -ge 2000 ] || fail "the 2 s limit ended the run after $elapsed_ms ms"
  # The frame log and the sound file are the headless backend's: a window backend says it writes neither.
  for what in CRC_LOG:sdl_crc.txt WAV:sdl.wav; do
    grep -q "VELMORAN_${what%%:*}: written with the headless backend only; not written" err.txt && [ ! -e "${what#*:}" ] ||
      fail "the sdl backend took VELMORAN_${what%%:*} without a word"
  done
  # A video system that cannot start is a window failure, said before the show.
  run 102 SDL_VIDEODRIVER=nonesuch VELMORAN_BACKEND=sdl VELMORAN_SETUP=run
  grep -q "^Plat: SDL could not start" err.txt && ! grep -q "Demo: Loading" out.txt || fail "no video: $(cat err.txt)"
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
