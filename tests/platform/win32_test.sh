#!/usr/bin/env bash
# The Windows program under wine: the whole show headless against the Linux build's frames, its data
# found beside it, an AVI written through AVIFile (and through a compressor picked in the system's
# dialog), the Direct3D utilities on real surfaces, and the win32 backend's real window, console,
# Direct3D 9, setup and compressor dialogs and their owners, wave-out and error boxes under Xvfb.
# usage: win32_test.sh <windows build dir> <linux velmoran> <work dir>
#   <prefix|headless|avi|d3dutil|window|dialog|audio|failures|ends>
set -u
win=$1
linux=$2
work=$3
mode=$4
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
xvfb=$source_dir/tests/xvfb_run.sh
mkdir -p "$work"
cd "$work" || exit 1
export WINEPREFIX=$win/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml,winealsa.drv,winepulse.drv="
fail() { echo "FAIL: $*"; exit 1; }
# Each run starts its own wine session: a session begun without a display cannot make windows later.
wineserver -k 2> /dev/null
trap 'wineserver -k 2> /dev/null' EXIT

# drive <expected exit> <expected text...> -- [--no-output] [<program>.exe] <driver steps...>: the program
# (the show by default) under the driver in Xvfb.
drive() {
  local want=$1 expect=() steps=() options=() program=$win/velmoran.exe
  shift
  while [ "$1" != -- ]; do expect+=("$1"); shift; done
  shift
  [ "${1:-}" = --no-output ] && { options+=("$1"); shift; }
  case ${1:-} in *.exe) program=$1; shift ;; esac
  steps=("$@")
  timeout 120 "$xvfb" 1280x1024x24 wine "$win/velmoran-drive.exe" "${options[@]}" "$program" \
    "${steps[@]}" 2>&1 | stdbuf -oL tr -d '\r' > out.txt
  grep -a -q "^exit $want\$" out.txt || { grep -av '^\[' out.txt; fail "expected exit $want (${steps[*]})"; }
  for e in "${expect[@]}"; do
    grep -a -q -- "$e" out.txt || { grep -av '^\[' out.txt; fail "missing \"$e\" (${steps[*]})"; }
  done
}

# box_ticks <most ticks> <drive arguments, with read:MS before the box's answer>: drive, and the processor
# time the program takes in 2 s while its error box is up, in clock ticks (1/100 s) read from /proc.
box_ticks() {
  local most=$1 tag=box$$ pid="" p before after
  shift
  rm -f out.txt
  DRIVE_TAG=$tag drive "$@" &
  local driven=$!
  for _ in $(seq 300); do grep -a -q "error box up" out.txt 2> /dev/null && break; sleep 0.2; done
  for p in $(grep -a -l "DRIVE_TAG=$tag" /proc/[0-9]*/environ 2> /dev/null); do
    [[ $(tr '\0' '\n' < "${p%environ}cmdline" | head -1) == *velmoran.exe ]] && pid=${p%/environ}
  done
  ticks() { sed 's/.*) //' "$pid/stat" | awk '{print $12 + $13}'; }
  before=$(ticks) && sleep 2 && after=$(ticks)
  wait $driven || exit 1
  [ -n "$pid" ] && [ -n "$after" ] || fail "the program was not found while its box was up"
  echo "error box up: $((after - before)) ticks in 2 s"
  [ $((after - before)) -le "$most" ] || fail "the program spun while its error box was up ($*)"
}

case $mode in
prefix)
  rm -rf "$WINEPREFIX"
  wineboot -i > boot.txt 2>&1 || { cat boot.txt; fail "wineboot"; }
  ;;
headless)
  # No path of the machine it was built on is inside: the program finds its data beside itself, run
  # here, in another folder than its own.
  strings -a "$win/velmoran.exe" | grep -F -e "$win" -e "$source_dir" &&
    fail "a build path in the program"
  VELMORAN_BACKEND=headless VELMORAN_SETUP=run VELMORAN_MAX_FRAMES=3 VELMORAN_DUMP_DIR=pictures \
    wine "$win/velmoran.exe" > out.txt 2>&1
  [ "$(grep -c "writes no PNG pictures" out.txt)" = 1 ] || fail "the missing PNG writer is not said once"
  env VELMORAN_BACKEND=headless VELMORAN_SETUP=run VELMORAN_CRC_LOG=linux.txt "$linux" > /dev/null 2>&1 ||
    fail "the Linux build's run"
  VELMORAN_BACKEND=headless VELMORAN_SETUP=run VELMORAN_CRC_LOG=windows.txt wine "$win/velmoran.exe" \
    > out.txt 2>&1 || fail "the Windows program's run ended with $?"
  cmp linux.txt windows.txt || fail "the Windows program's frames differ from the Linux build's"
  echo "headless: $(wc -l < windows.txt) frames, the same on both systems"
  ;;
avi)
  # 30 frames through AVIFile: ffprobe reads them back, and they are the Linux build's frames.
  VELMORAN_BACKEND=headless VELMORAN_SETUP=run VELMORAN_MAX_FRAMES=30 VELMORAN_AVI=windows.avi wine "$win/velmoran.exe" \
    > out.txt 2>&1
  [ $? = 124 ] || fail "the Windows program's AVI run"
  VELMORAN_BACKEND=headless VELMORAN_SETUP=run VELMORAN_MAX_FRAMES=30 VELMORAN_AVI=linux.avi "$linux" > /dev/null 2>&1
  # Unattended capture asks no one for a compressor: the frames stay uncompressed.
  got=$(ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=codec_name,nb_read_frames,width,height \
    -of csv=p=0 windows.avi)
  [ "$got" = "rawvideo,320,200,30" ] || fail "ffprobe read \"$got\", expected rawvideo,320,200,30"
  ffmpeg -y -v error -i windows.avi -f framemd5 windows.md5 && ffmpeg -y -v error -i linux.avi -f framemd5 linux.md5 ||
    fail "ffmpeg could not decode the videos"
  cmp <(grep -v '^#' windows.md5) <(grep -v '^#' linux.md5) || fail "the videos' frames differ"
  # The stream header's frame rectangle (four 16-bit numbers 48 bytes into it) spans the picture.
  for f in windows.avi linux.avi; do
    at=$(grep -abo strh $f | head -1 | cut -d: -f1)
    [ "$(od -An -t d2 -j $((at + 8 + 48)) -N 8 $f | tr -s ' ')" = " 0 0 320 200" ] || fail "$f: a wrong frame rectangle"
  done
  # Through the system's own dialogs: the frames go through the compressor picked in the one that
  # Avi_Open's owner owns (the file holds what that compressor made of them), and the setup dialog is
  # owned by its parent. A new wine session: the one above began without a display.
  wineserver -k 2> /dev/null
  timeout 120 "$xvfb" 1280x1024x24 wine "$win/velmoran-dialog-check.exe" picked.avi 2>&1 |
    tr -d '\r' > out.txt
  grep -q "^[1-9][0-9]* passed, 0 failed" out.txt || { cat out.txt; fail "the dialogs' owners or compressed frames"; }
  ;;
d3dutil)
  # A picture made by ImageMagick, loaded through D3DX (wine's D3DX reads BMP without further codecs).
  convert -size 128x256 xc:black -size 128x256 xc:white +append -type truecolor BMP3:picture.bmp || fail "convert"
  # D3DX's trace shows the filter it was given: linear (3) for the load and the copy, as asked.
  WINEDEBUG=-all,trace+d3dx timeout 120 "$xvfb" 1280x1024x24 \
    wine "$win/velmoran-d3dutil-check.exe" picture.bmp 2>&1 | tr -d '\r' > out.txt
  grep -v ":d3dx:" out.txt
  grep -q "^[1-9][0-9]* passed, 0 failed" out.txt || fail "the Direct3D utilities"
  [ "$(grep -c "D3DXLoadSurfaceFrom\(FileA\|Surface\) .*filter 0x3," out.txt)" = 3 ] &&
    ! grep -q "D3DXLoadSurfaceFrom\(FileA\|Surface\) .*filter 0x[^3]," out.txt || fail "D3DX was not given its linear filter"
  ;;
window)
  # The class and style the window was made with: a framed overlapped window taking double clicks.
  VELMORAN_SETUP=run drive 0 "Window shown, client area 320x200" "Direct3D 9, back buffer 320x200" "No audio device" \
    "Direct3D 9 presented [1-9]" "overlapped 1, class style 0x8" -- escape:1500
  # Frames are the window's paint messages: the frame limit counts them (and the AVI of the window
  # holds them), a scripted Escape comes through the window's real message queue, and the close box
  # ends the show through the system.
  # The person at the window picks the compressor first (the system's dialog; OK keeps full frames).
  VELMORAN_SETUP=run VELMORAN_MAX_FRAMES=40 VELMORAN_AVI=window.avi drive 124 "Direct3D 9 presented 40 frames" \
    "answered Video Compression with 1" -- "ok:Video Compression"
  got=$(ffprobe -v error -count_frames -show_entries stream=nb_read_frames,width,height -of csv=p=0 window.avi)
  [ "$got" = "320,200,40" ] || fail "ffprobe read \"$got\" from the window's AVI, expected 320,200,40"
  # Cancelled, the capture is refused, the show goes on without it and its exit code says so.
  VELMORAN_SETUP=run VELMORAN_MAX_FRAMES=40 VELMORAN_AVI=cancelled.avi drive 74 "cannot write .*cancelled.avi" \
    "presented 40 frames" -- "cancel:Video Compression"
  VELMORAN_SETUP=run VELMORAN_MAX_FRAMES=3000 VELMORAN_KEYS=30:down:27,40:up:27 drive 0 "presented [1-9]" --
  VELMORAN_SETUP=run drive 0 "close box pressed" "presented [1-9]" -- close:1000
  # The console the program can open holds what standard output and error write.
  timeout 60 "$xvfb" 1280x1024x24 wine "$win/velmoran-console-check.exe" ||
    fail "no console with standard output and error in it"
  ;;
dialog)
  # Each control of the setup dialog carries its own label.
  drive 0 "320 x 200 checked, VSync clear" "client area 960x600" "back buffer 960x600" "control 1: RUN!" \
    "control 2: Exit" "control 1000: 320 x 200" "control 1001: Debug Mode" "control 1002: 640 x 400" \
    "control 1003: VSync" "control 1004: Fullscreen" "control 1005: 800 x 500" -- click:1003,1003,1005,1 escape:1500
  drive 0 "320 x 200 checked" -- click:2
  grep -a -q "Window shown" out.txt && fail "Exit still opened the window"
  ;;
audio)
  # A wave device through wine's ALSA driver (the ALSA null device here): the show's start plays
  # through the real waveOut ring, the position moves on (unpaced: that device keeps no time).
  mkdir -p home && printf 'pcm.!default { type null }\nctl.!default { type null }\n' > home/.asoundrc
  HOME=$work/home WINEDLLOVERRIDES="mscoree,mshtml,winepulse.drv=" VELMORAN_SETUP=run VELMORAN_MAX_SECONDS=4 \
    drive 124 "waveOut played [1-9][0-9]* ms" "presented [1-9]" --
  grep -a -q "No audio device" out.txt && fail "no wave device"
  # The 2 s ring loops: more than one pass of it is played.
  grep -a -q -E "waveOut played (2[5-9][0-9]{2}|[3-9][0-9]{3}|[1-9][0-9]{4,}) ms" out.txt || fail "the ring did not loop"
  ;;
failures)
  VELMORAN_SETUP=run VELMORAN_FAIL=presenter drive 103 "error box: Failed to initialize Direct3D!" -- \
    "box:Failed to initialize Direct3D!"
  # Full screen cannot start in Xvfb: the box comes up over the visible window, whose paints must not
  # run frames on the engine being shut down (at 960 x 600 that memory is unmapped: an access violation),
  # nor keep asking for the next paint while the box is up.
  VELMORAN_SETUP=960,fullscreen,run WINEDEBUG=-all,+seh box_ticks 20 103 \
    "error box: Failed to initialize Direct3D!" -- read:3000 "box:Failed to initialize Direct3D!"
  grep -a -q "code=c0000005" out.txt && fail "a frame ran after the shutdown"
  VELMORAN_SETUP=run VELMORAN_FAIL=window drive 102 -- "box:Unable to create the window."
  # Without its data and started as from the desktop, the fatal message comes in a box; with standard
  # output read, only there.
  mkdir -p lonely && cp "$win/velmoran.exe" lonely/
  VELMORAN_SETUP=run drive 1 "error box: File: Unable to open datafile" -- --no-output lonely/velmoran.exe \
    "box:File: Unable to open datafile"
  VELMORAN_SETUP=run drive 1 "Unable to open datafile" -- lonely/velmoran.exe
  grep -a -q "error box" out.txt && fail "a box although standard output is read"
  # Standard output written to a file is read too: no box, the program ends at once.
  VELMORAN_SETUP=run timeout 120 "$xvfb" 1280x1024x24 wine "$win/velmoran-drive.exe" \
    lonely/velmoran.exe > file.txt 2>&1
  grep -a -q "^exit 1.\?\$" file.txt && grep -a -q "Unable to open datafile" file.txt ||
    { cat file.txt; fail "a box or no message although standard output goes to a file"; }
  # The window keeps still while the box is up.
  VELMORAN_SETUP=run VELMORAN_FAIL=backbuffer box_ticks 20 0 "Direct3D 9 presented [1-9]" "error box: Could not" -- \
    read:3000 "box:Could not get the backbuffer! Rendering stopped." escape:500
  # A setup dialog that cannot be made: its message in a box too when started as from the desktop, else
  # only printed.
  VELMORAN_FAIL=dialog drive 101 "error box: Velmoran: Unable to show the setup dialog." -- --no-output \
    "box:Velmoran: Unable to show the setup dialog."
  VELMORAN_FAIL=dialog drive 101 "Velmoran: Unable to show the setup dialog." --
  grep -a -q "error box" out.txt && fail "a box although standard output is read"
  ;;
ends)
  # The window run to its time limit several times in a row: each run ends with the limit's code, and
  # Direct3D lets go of the window before the close destroys it (else wine warns of a device context
  # taken from under it).
  for run in 1 2 3 4 5; do
    wineserver -k 2> /dev/null
    VELMORAN_SETUP=run VELMORAN_MAX_SECONDS=3 WINEDEBUG=-all,warn+win timeout 120 \
      "$xvfb" 1280x1024x24 wine "$win/velmoran.exe" > out.txt 2>&1
    code=$?
    echo "run $run: exit $code, $(grep -a -o "presented [0-9]* frames" out.txt)"
    [ $code = 124 ] || { tail -5 out.txt; fail "run $run ended with $code"; }
    grep -a "GetDC() without ReleaseDC()" out.txt && fail "run $run: the window was destroyed under Direct3D"
  done
  ;;
*)
  fail "unknown mode $mode"
  ;;
esac
echo "win32 $mode: passed"
