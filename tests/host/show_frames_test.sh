#!/usr/bin/env bash
# The test show's pictures in a headless run: the rotating mesh and the corridor flight both move from
# frame to frame, differ from each other, and fill the picture between black letterbox rows; the door
# ahead is in sight early in the flight.
# usage: show_frames_test.sh <velmoran> <work dir>
set -u
prog=$1
work=$2
rm -rf "$work"
mkdir -p "$work/dump"
cd "$work" || exit 1
fail() { echo "FAIL: $*"; exit 1; }
for tool in convert compare; do command -v $tool > /dev/null || fail "$tool is missing"; done

env VELMORAN_BACKEND=headless VELMORAN_SETUP=run VELMORAN_CRC_LOG=crc.txt "$prog" > out.txt 2> err.txt ||
  { cat out.txt err.txt; fail "the run did not end with 0"; }

# The log's columns: frame, virtual ms, order.row, event index, CRC. Event 0 is the mesh, event 3 the corridor.
frames() { awk -v e="$1" '$4 == e' crc.txt; }
for e in 0 3; do
  n=$(frames $e | wc -l)
  distinct=$(frames $e | awk '{print $5}' | sort -u | wc -l)
  [ "$n" -ge 60 ] || fail "event $e drew only $n frames"
  [ "$distinct" -ge $((n * 3 / 4)) ] || fail "event $e: only $distinct different frames of $n"
done
shared=$(comm -12 <(frames 0 | awk '{print $5}' | sort -u) <(frames 3 | awk '{print $5}' | sort -u) | wc -l)
[ "$shared" = 0 ] || fail "$shared frames of the mesh and the corridor are the same"

# The mesh halfway through its event, and the corridor while the door ahead opens.
at() { frames "$1" | awk -v k="$2" '{f[NR] = $1} END {print f[int(NR * k) + 1]}'; }
mesh=$(at 0 0.5)
hall=$(at 3 0.16)
env VELMORAN_BACKEND=headless VELMORAN_SETUP=run VELMORAN_DUMP_DIR=dump VELMORAN_DUMP_FRAMES="$mesh,$hall" \
  "$prog" > out.txt 2> err.txt || { cat out.txt err.txt; fail "the dumping run did not end with 0"; }
mesh_png=$(printf 'dump/frame%06d.png' "$mesh")
hall_png=$(printf 'dump/frame%06d.png' "$hall")
[ -s "$mesh_png" ] && [ -s "$hall_png" ] || fail "frames $mesh and $hall not dumped"

stat() {  # stat <png> <fx expression>: over the picture between the letterbox rows
  convert "$1" -crop 320x172+0+14 +repage -format "%[fx:$2]" info:
}
above() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a > b) }'; }
for png in "$mesh_png" "$hall_png"; do
  [ "$(convert "$png" -crop 320x14+0+0 +repage -format '%[fx:255*maxima]' info:)" = 0 ] ||
    fail "$png: top letterbox rows are not black"
  [ "$(convert "$png" -crop 320x14+0+186 +repage -format '%[fx:255*maxima]' info:)" = 0 ] ||
    fail "$png: bottom letterbox rows are not black"
  above "$(stat "$png" standard_deviation)" 0.05 || fail "$png: a flat picture"
done
above "$(stat "$mesh_png" mean)" 0.05 || fail "$mesh_png: the mesh is too dark"
above "$(stat "$hall_png" mean)" 0.2 || fail "$hall_png: the corridor is too dark"
# The corridor's walls, floor, ceiling and door paint every pixel: none is left black.
black=$(convert "$hall_png" -crop 320x172+0+14 +repage -fill white +opaque black -negate \
  -format '%[fx:round(mean*w*h)]' info:)
[ "$black" = 0 ] || fail "$hall_png: $black pixels of the corridor left black"
door=$(convert "$hall_png" -fuzz 8% -fill black +opaque "#E0B018" -fill white -opaque "#E0B018" \
  -format '%[fx:round(mean*w*h)]' info:)
[ "$door" -ge 100 ] || fail "$hall_png: the door's stripes are not in sight ($door pixels)"
rmse=$(compare -metric RMSE "$mesh_png" "$hall_png" null: 2>&1 | sed 's/.*(\(.*\)).*/\1/')
above "$rmse" 0.1 || fail "the mesh and the corridor look alike (RMSE $rmse)"
echo "show frames: mesh frame $mesh and corridor frame $hall, moving, lit and different"
