#!/usr/bin/env bash
# Reads back what the show's window shows on an Xvfb screen and compares it, pixel for pixel, with the
# headless frame of the same number: the sdl backend's window, or the Windows program's Direct3D window
# under wine. The screen is 24-bit, as the frames are, so no difference is allowed.
# usage: readback_test.sh <linux velmoran> <work dir> <width: 320|640|960> sdl
#        readback_test.sh <linux velmoran> <work dir> <width> win32 <windows build dir>
#
# A window runs on the real clock, so what it shows at a given paint depends on time. One frame does not:
# the title's first frame (event 4), drawn before any tick of the title ran. Debug mode's keys, scripted by
# paint, lead there: Tab (after paint 1) hides the overlay, Ctrl (2) skips the blank opening (the music jumps
# to the title; the jump is heard when the two-second ring has played out), P is held from paint 3, let go
# after paint M and held again after M + 1: paint M + 1 draws the title's first frame, and every paint after
# shows that frame again. It is that frame when the held paints 3..M took from 2.05 s (the jump heard) to
# about 17 s (the title not yet over). A window paints as fast as it may, so M comes from the pace seen: a
# run whose window stayed black let go too early, one that took over 14 s may have let go too late; either
# is run again with M for 5 s at the pace it showed. The headless run takes the same keys at a frame rate
# that puts M at about 6 s; its frame M + 1 must be the show's first title frame of the kept reference.
set -u
here=$(cd "$(dirname "$0")" && pwd)
xvfb=$here/../xvfb_run.sh
self=$here/$(basename "$0")
prog=$1
work=$2
width=$3
backend=$4
win=${5:-}
height=$((width * 5 / 8))
title="VelMoran / Tarvek"
reference=$here/../data/show_reference/${width}x${height}.txt
fail() { echo "FAIL: $*"; exit 1; }

keys() { echo "1:down:9,2:down:17,3:down:80,$1:up:80,$(($1 + 1)):down:80"; }
now_ms() { echo $(($(date +%s%N) / 1000000)); }

# inside <m>: under Xvfb, runs the window until its held frame is read back into shot.png (m.txt: the M it
# was run with), or says why not.
inside() {
  local m=$1 trial pid id t0 elapsed shown
  for trial in 1 2 3 4; do
    rm -f out.txt shot.png again.png
    if [ "$backend" = sdl ]; then
      SDL_AUDIODRIVER=dummy VELMORAN_BACKEND=sdl VELMORAN_SETUP=$width,vsync,debug,run VELMORAN_KEYS=$(keys "$m") \
        VELMORAN_MAX_FRAMES=$((2 * m)) "$prog" > out.txt 2>&1 &
    else
      # In a shell of its own, which keeps quiet when the wine session is ended under it.
      (VELMORAN_SETUP=$width,debug,run VELMORAN_KEYS=$(keys "$m") VELMORAN_MAX_FRAMES=$((2 * m)) \
        wine "$win/velmoran.exe" > out.txt 2>&1; true) 2> /dev/null &
    fi
    pid=$!
    # The window as soon as it is shown at its size (an sdl program's output waits in its buffer).
    id=
    for _ in $(seq 600); do
      id=$(xwininfo -name "$title" 2> /dev/null |
        awk '/Window id:/ { id = $4 } /Width:/ { w = $2 } /Height:/ { h = $2 } /Map State:/ { map = $3 }
             END { if (w "x" h == size && map == "IsViewable") print id }' size="${width}x${height}")
      [ -n "$id" ] && break
      kill -0 $pid 2> /dev/null || break
      sleep 0.1
    done
    [ -n "$id" ] || { tr -d '\r' < out.txt; echo "no window \"$title\" of ${width}x${height}"; return 1; }
    t0=$(now_ms)
    # Black until paint M + 1 (but for paint 1, which draws the overlay); then the held frame, read while
    # the window still stands, and read again half a second later the same, painted again and again.
    shown=
    while kill -0 $pid 2> /dev/null; do
      if timeout 20 import -window "$id" shot.png 2> /dev/null &&
        [ "$(convert shot.png -format '%[fx:maxima]' info:)" != 0 ] && sleep 0.5 &&
        timeout 20 import -window "$id" again.png 2> /dev/null &&
        [ "$(compare -metric AE shot.png again.png null: 2>&1)" = 0 ]; then
        shown=1
        break
      fi
      sleep 0.2
    done
    elapsed=$(($(now_ms) - t0))
    if [ -n "$shown" ] && [ "$elapsed" -le 14000 ]; then
      echo "$m" > m.txt
      if [ "$backend" = sdl ]; then kill -TERM $pid; else wineserver -k; fi
      { wait $pid; } 2> /dev/null
      echo "trial $trial: M $m, the held frame shown after $elapsed ms"
      return 0
    fi
    [ -n "$shown" ] && echo "trial $trial: M $m let go after $elapsed ms, perhaps after the title" ||
      echo "trial $trial: M $m let go too early (nothing held in $elapsed ms and $((2 * m)) paints)"
    if [ "$backend" = sdl ]; then kill -TERM $pid 2> /dev/null; else wineserver -k; fi
    { wait $pid; } 2> /dev/null
    # Paints seen: M within the elapsed time when the frame showed, else all 2 M of them, of which the first
    # M (held) took half: past 5 s the jump was heard, and a window still black does not show its frames.
    if [ -z "$shown" ]; then
      [ "$elapsed" -lt 10000 ] || { echo "the window showed no held frame though its held paints took 5 s"; return 1; }
      m=$((2 * m))
    fi
    m=$((m * 5000 / (elapsed > 0 ? elapsed : 1)))
    [ "$m" -ge 10 ] && [ "$m" -le 15000 ] || { echo "a pace of $m paints in 5 s is out of reach"; return 1; }
  done
  echo "no run held the title's first frame"
  return 1
}

if [ "$backend" = inside ]; then
  # Called again under Xvfb: <velmoran> <work dir> <width> inside <sdl|win32> <m> [<windows build dir>]
  backend=$5
  win=${7:-}
  cd "$work" || exit 1
  inside "$6"
  exit $?
fi

mkdir -p "$work"
cd "$work" || exit 1
for tool in Xvfb xwininfo import convert compare identify; do
  command -v $tool > /dev/null || fail "$tool is missing"
done
[ -s "$reference" ] || fail "no kept reference $reference"
rm -f m.txt
case $backend in
sdl)
  # Vsync paces the window's paints at the screen's rate: about 5 s for 300.
  timeout 300 "$xvfb" 1024x768x24 "$self" "$prog" "$work" "$width" inside sdl 300 ||
    fail "the sdl window could not be read back"
  ;;
win32)
  [ -f "$win/velmoran.exe" ] || fail "no Windows program in $win"
  export WINEPREFIX=$win/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml,winealsa.drv,winepulse.drv="
  # The wine session starts inside the X server: one begun without a display cannot make windows.
  wineserver -k 2> /dev/null
  trap 'wineserver -k 2> /dev/null' EXIT
  # Unpaced, wine paints some 800 held frames a second at 320 x 200, fewer at larger sizes.
  timeout 300 "$xvfb" 1024x768x24 "$self" "$prog" "$work" "$width" inside win32 \
    $((4000 * 320 / width)) "$win" ||
    fail "the wine window could not be read back"
  ;;
*)
  fail "unknown backend $backend"
  ;;
esac
m=$(cat m.txt)

# The headless frame of the same number, at a frame rate that puts paint M about 6 s (at most 15 s) in.
fps=$(((m + 5) / 6))
[ "$fps" -le 1000 ] || fps=1000
rm -rf pictures
VELMORAN_BACKEND=headless VELMORAN_SETUP=$width,debug,run VELMORAN_FPS=$fps VELMORAN_KEYS=$(keys "$m") \
  VELMORAN_MAX_FRAMES=$((m + 1)) VELMORAN_CRC_LOG=crc.txt VELMORAN_DUMP_DIR=pictures VELMORAN_DUMP_FRAMES=$((m + 1)) \
  "$prog" > headless.txt 2>&1
[ $? = 124 ] || { cat headless.txt; fail "the headless run"; }
expected=$(awk '$1 == 4 { print $4; exit }' "$reference")
[ "$(sed -n "$((m + 1))p" crc.txt | cut -d' ' -f4,5)" = "4 $expected" ] ||
  fail "headless frame $((m + 1)) is not the title's first frame $expected: $(sed -n "$((m + 1))p" crc.txt)"
frame=$(printf 'pictures/frame%06d.png' $((m + 1)))
for shot in shot.png again.png; do
  [ "$(identify -format '%wx%h' "$shot")" = "${width}x${height}" ] || fail "$shot is $(identify -format '%wx%h' "$shot")"
  differ=$(compare -metric AE "$shot" "$frame" "diff_$shot" 2>&1)
  [ "$differ" = 0 ] || fail "$backend window at ${width}x${height}: $differ pixels of $shot differ from headless" \
    "frame $((m + 1)) (see $work/diff_$shot)"
done
echo "readback $backend ${width}x${height}: the window shows headless frame $((m + 1)) exactly"
