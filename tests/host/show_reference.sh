#!/usr/bin/env bash
# The show's own frames kept as a reference: digests per second of every stretch of one timeline event.
# usage: show_reference.sh check <size> <crc log>           compare a headless CRC log of the show with the reference
#        show_reference.sh run <velmoran> <work dir> <size>  play the show headless at the size and compare
#        show_reference.sh update <velmoran> [size...]      play the show, rewrite the reference, list what changed
# A size is the output width (320, 640, 960); the reference of each lives in tests/data/show_reference/.
# A reference line covers a block of at most one second of frames of one event: the event index, the block's
# first frame number, its frame count, the CRC-32 of its first frame, the head of an md5 over its frames'
# CRC-32s (the pictures), the head of an md5 over their frame, ms, heard order.row and event (the timing),
# and the event's callback. An event drawn in separate stretches (the loop's eye and plasma) starts a new
# block at each stretch. The callback names are read from the timeline for the messages only.
set -u
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
refdir=$root/tests/data/show_reference
timeline=$root/demo/timeline.cpp
default_sizes="320 640 960"
block_frames=60  # one second of the show
digest_hex=12    # md5 head kept per digest

fail() { echo "FAIL: $*"; exit 1; }
geometry() { echo "${1}x$(($1 * 5 / 8))"; }  # the output size of a width: 320 -> 320x200
reference() { echo "$refdir/$(geometry "$1").txt"; }

# "index callback" for every timeline event: the rows of the show's event table in order, the loop's
# control rows named "control", and the end event after them.
names() {
  awk '/kShow\[\] = \{/ { on = 1; next }
       on && /^};/ { on = 0 }
       on && /^ *\{/ { split($0, f, ","); name = f[3]; gsub(/[ }]/, "", name)
                       if (name == "nullptr") name = "control"
                       print n++, name }
       END { print n, "end" }' "$timeline"
}

# digest <crc log>: the reference lines of a headless CRC log.
digest() {
  local tmp
  tmp=$(mktemp -d) || exit 1
  mkdir "$tmp/blocks"
  awk -v dir="$tmp" -v most=$block_frames '
    function close_block() { if (count) print event, first, count, crc > (dir "/keys"); close(pic); close(pos) }
    $4 != event || count == most {
      close_block()
      event = $4; first = $1; crc = $5; count = 0; blocks++
      pic = sprintf("%s/blocks/p%08d", dir, blocks); pos = sprintf("%s/blocks/t%08d", dir, blocks)
    }
    { print $5 > pic; print $1, $2, $3, $4 > pos; count++ }
    END { close_block() }' "$1"
  [ -s "$tmp/keys" ] || { rm -rf "$tmp"; fail "no frames in $1"; }
  (cd "$tmp/blocks" && md5sum p* | cut -c1-$digest_hex > ../pics && md5sum t* | cut -c1-$digest_hex > ../times)
  paste -d' ' "$tmp/keys" "$tmp/pics" "$tmp/times" |
    awk 'NR == FNR { name[$1] = $2; next } { print $0, ($1 in name ? name[$1] : "unknown") }' <(names) -
  rm -rf "$tmp"
}

# The awk helpers of the comparisons: a block without its callback, and where a block is in the show.
awk_blocks='
  function block() { return $1 " " $2 " " $3 " " $4 " " $5 " " $6 }
  function scene(name, s) { s = name; sub(/_.*/, "", s); return tolower(s) }
  function at(line, f) { split(line, f); return "event " f[1] " " f[7] " (scene " scene(f[7]) ") from frame " f[2] }
  /^#/ { next }'

# compare <reference> <new lines> <label>: names the first block that differs and every event that differs;
# fails when they differ.
compare() {
  awk -v label="$3" -v most_listed=12 "$awk_blocks"'
    FILENAME == ARGV[1] { ref[++nref] = block(); refline[nref] = $0; next }
    { got[++ngot] = block(); gotline[ngot] = $0 }
    END {
      for (i = 1; i <= nref && i <= ngot && ref[i] == got[i]; i++) {}
      if (i > nref && i > ngot) { print label ": " ngot " blocks as the reference"; exit 0 }
      if (i > ngot) { print label ": the show ended before the reference did, which goes on with " at(refline[i]); exit 1 }
      if (i > nref) { print label ": the show went on past the reference with " at(gotline[i]); exit 1 }
      split(ref[i], r); split(got[i], g); where = label ": first difference at " at(gotline[i]) ": "
      if (r[1] != g[1] || r[2] != g[2]) print label ": first difference: the reference has " at(refline[i]) ", this run " at(gotline[i])
      else if (r[3] != g[3]) print where g[3] " frames in the block, reference " r[3]
      else if (r[4] != g[4]) print where "frame " g[2] " differs (CRC " g[4] ", reference " r[4] ")"
      else if (r[5] != g[5]) print where "frame " g[2] " matches, one of frames " g[2] + 1 "-" g[2] + g[3] - 1 " differs"
      if (r[1] == g[1] && r[2] == g[2] && r[3] == g[3] && r[6] != g[6]) print where "the heard positions differ"
      for (j = i; j <= nref || j <= ngot; j++) if (ref[j] != got[j]) {
        split(j <= ngot ? gotline[j] : refline[j], f); key = f[1] "(" f[7] ")"
        if (!(key in seen)) { seen[key] = 1; if (++events <= most_listed) list = list " " key }
        n++; split(ref[j], r); split(got[j], g)
        if (r[1] != g[1] || r[2] != g[2] || r[3] != g[3]) bounds++
        else { if (r[4] != g[4] || r[5] != g[5]) pictures++; if (r[6] != g[6]) heard++ }
      }
      print label ": " n " blocks differ, events:" list (events > most_listed ? " and " events - most_listed " more" : "")
      print label ": of them " bounds + 0 " differ in bounds, " pictures + 0 " in pictures, " heard + 0 " in heard positions"
      exit 1
    }' "$1" "$2"
}

# changes <old reference> <new lines> <label>: the blocks that changed, grouped by event in order of the show,
# each event saying whether its pictures or its timing (block bounds, heard positions) changed.
changes() {
  awk -v label="$3" "$awk_blocks"'
    FILENAME == ARGV[1] { old[$1 " " $2] = $0; next }
    { key = $1 " " $2; was = old[key]; delete old[key]; split(was, o)
      if (was != "" && o[3] == $3 && o[4] == $4 && o[5] == $5 && o[6] == $6) next
      total++
      if (!($1 in first)) { order[++events] = $1; first[$1] = $2; name[$1] = $7 }
      last[$1] = $2 + $3 - 1; blocks[$1]++
      if (was == "" || o[3] != $3) timing[$1] = 1
      else { if (o[4] != $4 || o[5] != $5) pictures[$1] = 1; if (o[6] != $6) heard[$1] = 1 } }
    END {
      for (k in old) gone++
      if (!total && !gone) { print label ": unchanged"; exit }
      print label ": " total " blocks new or changed" (gone ? ", " gone " blocks of the old timing gone" : "")
      for (e = 1; e <= events; e++) { x = order[e]
        what = (x in timing ? " block bounds" : "") (x in pictures ? " pictures" : "") (x in heard ? " heard positions" : "")
        printf "  event %s %s (scene %s): %d blocks in frames %d-%d:%s\n", x, name[x], scene(name[x]), blocks[x],
          first[x], last[x], what }
    }' "$1" "$2"
}

play() {  # play <velmoran> <size> <crc log>
  env VELMORAN_BACKEND=headless VELMORAN_SETUP="$2,run" VELMORAN_CRC_LOG="$3" "$1" > "$3.out" 2>&1 ||
    { cat "$3.out"; fail "the show at $(geometry "$2") failed"; }
}

case ${1:-} in
check)
  [ $# = 3 ] || fail "usage: $0 check <size> <crc log>"
  [ -s "$(reference "$2")" ] || fail "no reference $(reference "$2")"
  digest "$3" > "$3.blocks"
  compare "$(reference "$2")" "$3.blocks" "$(geometry "$2")" ||
    fail "the show's frames at $(geometry "$2") are not those of the reference"
  ;;
run)
  [ $# = 4 ] || fail "usage: $0 run <velmoran> <work dir> <size>"
  mkdir -p "$3" || exit 1
  play "$2" "$4" "$3/crc_$4.txt"
  "$0" check "$4" "$3/crc_$4.txt"
  ;;
update)
  [ $# -ge 2 ] || fail "usage: $0 update <velmoran> [size...]"
  prog=$2
  shift 2
  work=$(mktemp -d) || exit 1
  mkdir -p "$refdir"
  for size in ${*:-$default_sizes}; do
    play "$prog" "$size" "$work/crc_$size.txt"
    ref=$(reference "$size")
    { echo "# The show's frames at $(geometry "$size"), made by tests/host/show_reference.sh update <velmoran>:"
      echo "# event first_frame frames first_crc pictures_md5 timing_md5 callback"
      digest "$work/crc_$size.txt"; } > "$work/new_$size.txt"
    [ -f "$ref" ] || : > "$ref"
    changes "$ref" "$work/new_$size.txt" "$(geometry "$size")"
    mv "$work/new_$size.txt" "$ref"
  done
  rm -rf "$work"
  ;;
*)
  fail "usage: $0 check|run|update ..."
  ;;
esac
