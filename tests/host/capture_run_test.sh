#!/usr/bin/env bash
# Whole-program headless runs with capture: PNG pictures of chosen frames and an AVI of the run, windowed
# and full screen at 640x400 (a 640x480 target with the frame at its top).
# usage: capture_run_test.sh <velmoran> <work dir>
set -u
prog=$1
work=$2
rm -rf "$work"
mkdir -p "$work/dump640"
cd "$work" || exit 1
fail() { echo "FAIL: $*"; exit 1; }
for tool in convert identify ffprobe; do command -v $tool > /dev/null || fail "$tool is missing"; done
maxima() {  # maxima <png> <crop>: the largest channel value inside the rectangle
  convert "$1" -crop "$2" +repage -format "%[fx:255*max(maxima.r,max(maxima.g,maxima.b))]" info:
}

# A folder for pictures that cannot be made (inside a file, or a file by that name) stops the run at once.
touch file
for dir in file/dump file; do
  env VELMORAN_BACKEND=headless VELMORAN_SETUP=run VELMORAN_MAX_FRAMES=1 VELMORAN_DUMP_DIR=$dir "$prog" > out.txt 2> err.txt
  [ $? = 2 ] && grep -q "cannot make the folder .*/$dir" err.txt || { cat err.txt; fail "dump folder $dir was not refused"; }
done

# The show opens on 2 orders of black: frames 960 and 980 (16 s in) hold the first logo. The folder is made
# by the run; a long list of frames is taken whole.
frames=$(seq -s, 2000 2063),960,980
env VELMORAN_BACKEND=headless VELMORAN_SETUP=run VELMORAN_MAX_FRAMES=1000 VELMORAN_DUMP_DIR=new/dump320 \
  VELMORAN_DUMP_FRAMES=$frames VELMORAN_AVI=run320.avi VELMORAN_AVI_EVERY=200 "$prog" > out.txt 2> err.txt
[ $? = 124 ] || { cat out.txt err.txt; fail "windowed run did not end at its frame limit"; }
mv new/dump320 dump320
[ "$(ls dump320)" = "$(printf 'frame000960.png\nframe000980.png')" ] || fail "frames 960 and 980 not dumped alone"
[ "$(identify -format '%w %h' dump320/frame000960.png)" = "320 200" ] || fail "windowed picture is not 320x200"
[ "$(maxima dump320/frame000960.png 320x14+0+0)" = 0 ] || fail "top letterbox rows are not black"
[ "$(maxima dump320/frame000960.png 320x14+0+186)" = 0 ] || fail "bottom letterbox rows are not black"
[ "$(maxima dump320/frame000960.png 320x172+0+14)" != 0 ] || fail "no picture between the letterbox rows"
probe=$(ffprobe -v error -count_frames -select_streams v:0 -show_entries \
  stream=width,height,pix_fmt,nb_frames,nb_read_frames -of default=noprint_wrappers=1 run320.avi)
[ "$probe" = "$(printf 'width=320\nheight=200\npix_fmt=bgr24\nnb_frames=5\nnb_read_frames=5')" ] ||
  fail "AVI not as expected: $probe"

env VELMORAN_BACKEND=headless VELMORAN_SETUP=640,fullscreen,run VELMORAN_MAX_FRAMES=960 VELMORAN_DUMP_DIR=dump640 \
  VELMORAN_DUMP_FRAMES=960 "$prog" > out.txt 2> err.txt
[ $? = 124 ] || { cat out.txt err.txt; fail "full-screen run did not end at its frame limit"; }
[ "$(identify -format '%w %h' dump640/frame000960.png)" = "640 480" ] || fail "full screen at 640x400 is not 640x480"
[ "$(maxima dump640/frame000960.png 640x80+0+400)" = 0 ] || fail "rows below the frame are not black"
[ "$(maxima dump640/frame000960.png 640x344+0+28)" != 0 ] || fail "the frame is not at the top"
# Full screen at the other sizes: the output size itself.
for size in 320x200 960x600; do
  env VELMORAN_BACKEND=headless VELMORAN_SETUP=${size%x*},full,run VELMORAN_MAX_FRAMES=1 VELMORAN_DUMP_DIR=full$size \
    "$prog" > out.txt 2> err.txt
  [ "$(identify -format '%wx%h' full$size/frame000001.png)" = "$size" ] || fail "full screen at $size: $(cat err.txt)"
done

# A capture that fails lets the show play on to its end, says what failed, and ends the run with 74. A full
# disk is /dev/full or a file size limit (SIGXFSZ ignored, so a write past it fails with EFBIG).
limited() {  # limited <KB> <expected exit code> <env...>: a run under a file size limit; its output, a pipe, is not
  local kb=$1 want=$2
  shift 2
  (trap '' XFSZ; ulimit -f "$kb"; exec env VELMORAN_BACKEND=headless VELMORAN_SETUP=run "$@" "$prog" 2> err.txt) |
    cat > out.txt
  local got=${PIPESTATUS[0]}
  [ "$got" = "$want" ] || { cat err.txt; fail "exit code $got, expected $want ($*)"; }
}
limited unlimited 74 VELMORAN_KEYS=20:down:27 VELMORAN_WAV=/dev/full  # ended by Escape, not by a limit
grep -q "writing /dev/full failed (No space left on device); no sound is written" err.txt || fail "WAV: $(cat err.txt)"
limited unlimited 74 VELMORAN_MAX_FRAMES=5 VELMORAN_WAV=no/such.wav VELMORAN_CRC_LOG=no/such.txt
[ "$(grep -c "cannot write .*/no/such.* (No such file or directory); no" err.txt)" = 2 ] || fail "no folder: $(cat err.txt)"
# The log's buffer is written at its close, or along the run, where the log stops.
for case in "20:\(No space left on device\); the frame log is incomplete" \
  "300:at frame [0-9]+ \(No space left on device"; do
  limited unlimited 74 VELMORAN_MAX_FRAMES=${case%%:*} VELMORAN_CRC_LOG=/dev/full
  grep -qE "writing /dev/full failed ${case#*:}" err.txt || fail "CRC log of ${case%%:*} frames: $(cat err.txt)"
done
# 64 KB of WAV: the header tells the 65492 bytes of sound after it: "RIFF", 65528, "WAVEfmt ", 16, PCM 1,
# 2 channels, 44100 a second, 176400 bytes a second, 4 bytes a frame, 16 bits, "data", 65492.
limited 64 74 VELMORAN_MAX_FRAMES=60 VELMORAN_WAV=full.wav
header=$(od -An -tx1 -N44 full.wav | tr -d ' \n')
[ "$header" = 52494646f8ff000057415645666d74201000000001000200""44ac000010b102000400100064617461d4ff0000 ] ||
  fail "WAV header: $header"
grep -q "it keeps 65492 bytes of sound" err.txt || fail "WAV: $(cat err.txt)"
# 4 KB a picture at 10 frames a second: the black opening frames fit, the first logo (frame 160) does not. It
# is removed, dumping stops with one line, the show goes on (to frame 300).
limited 4 74 VELMORAN_FPS=10 VELMORAN_MAX_FRAMES=300 VELMORAN_DUMP_DIR=full VELMORAN_DUMP_FRAMES=every:20 \
  VELMORAN_CRC_LOG=/dev/stdout
[ "$(ls full | tr '\n' ' ')" = "$(printf 'frame%06d.png ' 20 40 60 80 100 120 140)" ] || fail "pictures: $(ls full)"
[ "$(grep -c "no more pictures are written" err.txt)" = 1 ] && grep -q "frame000160.png (File too large)" err.txt &&
  ! grep -q libpng err.txt || fail "PNG: $(cat err.txt)"
[ "$(grep -ac " 0*[0-9a-f]\{8\}$" out.txt)" = 300 ] || fail "the show did not go on after the pictures stopped"
echo "capture: PNG dumps, AVI of 5 frames, full screen 640x480, failed captures end with 74"
