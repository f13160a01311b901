#!/usr/bin/env bash
# The command-line tools: each refusal with its reason and no output file, whole-or-nothing output when
# the disk fills, short messages; and the test programs' scratch folders, private to a run and gone after it.
# usage: cli_test.sh <tools folder> <work dir> [<test program> <test filter>] ...
set -u
bin=$1
work=$2
shift 2
rm -rf "$work"
mkdir -p "$work"
cd "$work" || exit 1
status=0
fail() {
  local m="$*"
  echo "FAIL: ${m:0:300}"
  status=1
}
k3d() { "$bin/velmoran-k3d" "$@"; }
path() { "$bin/velmoran-path" "$@"; }
pack() { "$bin/velmoran-pack" "$@"; }
xm() { "$bin/velmoran-xm" "$@"; }
readonly kMessageMax=200  # bytes a message may take, whatever it quotes
readonly kUsageMax=600

# check <exit code> <text> <command...>: the command ends with the code and says the text, briefly
# (an empty text: says nothing); a usage text may take up to kUsageMax bytes.
check() {
  local want=$1 text=$2
  shift 2
  "$@" > out.txt 2> err.txt
  local got=$?
  [ "$got" = "$want" ] || fail "exit code $got, expected $want: $*"
  if [ -z "$text" ]; then [ ! -s err.txt ] || fail "$* said: $(head -c $kMessageMax err.txt)"; return; fi
  grep -qF -- "$text" err.txt || fail "'$text' not said by: $* (said: $(head -c $kMessageMax err.txt))"
  local limit=$kMessageMax
  [ "${text:0:6}" = "usage:" ] && limit=$kUsageMax
  [ "$(wc -c < err.txt)" -le $limit ] || fail "a message of $(wc -c < err.txt) bytes from: $*"
}
# refuse <exit code> <text> <command...>: as check, and the command leaves no file out.bin.
refuse() {
  rm -f out.bin
  check "$@"
  [ ! -e out.bin ] || fail "out.bin left by: ${*:3}"
}

mkdir folder
: > empty
printf 'x' > one
long=$(head -c 1048576 /dev/zero | tr '\0' 'q')  # a megabyte in a file
arg=${long:0:100000}                                # and as much as one argument may hold
printf 'o a\nv 0 0 0 %s\n' "$long" > long.k3d.txt
printf 'c 0 0 0 0 0 1 0\n# objects follow\no 0 0 0 1 0 0 0 1 0 0 0 1\n' > mixed.cam.txt
printf 'z%s 1 2\n' "$long" > long.cam.txt

refuse 1 "velmoran-k3d: cannot read /nonexistent: No such file or directory" k3d /nonexistent out.bin
refuse 1 "velmoran-k3d: cannot read folder: Is a directory" k3d folder out.bin
refuse 1 "empty: no objects" k3d empty out.bin
refuse 1 "line 2: extra text 'qqqq" k3d long.k3d.txt out.bin
refuse 1 "velmoran-path: cannot read /nonexistent: No such file or directory" path /nonexistent out.bin
refuse 1 "velmoran-path: cannot read folder: Is a directory" path folder out.bin
refuse 1 "empty: no records" path empty out.bin
refuse 1 "line 3: camera and object records mixed" path mixed.cam.txt out.bin
refuse 1 "line 1: unknown record kind 'zqqq" path long.cam.txt out.bin
refuse 1 "velmoran-pack: cannot read folder: Is a directory" pack out.bin folder=f
refuse 1 "velmoran-pack: an empty file cannot be LZARI-packed: empty" pack out.bin -l empty=e.KLZ
refuse 1 "entry names differ only in case (or not at all): a/Name and A/nAME" pack out.bin one=a/Name -z one=A/nAME
refuse 1 "(or not at all): a and a" pack out.bin one=a one=a
refuse 1 "entry name empty or longer than 79 characters: qqqq" pack out.bin "one=$arg"
refuse 2 "velmoran-pack: no input files" pack out.bin
refuse 2 "velmoran-pack: no input files" pack out.bin -l
for note in 49abc 1.5 4294967345 0 97 -1 +5 ""; do
  refuse 2 "velmoran-xm: note must be a whole number 1..96, not $note" xm tone out.bin "$note"
done
refuse 2 "usage: velmoran-xm" xm tone out.bin 49 50
refuse 2 "usage: velmoran-xm" xm tune out.bin
refuse 2 "usage: velmoran-xm" xm tone
refuse 2 "usage: velmoran-k3d" k3d one
refuse 2 "usage: velmoran-k3d" k3d one out.bin two
refuse 2 "usage: velmoran-path" path one
refuse 2 "usage: velmoran-path" path one out.bin two
check 2 "usage: velmoran-pack" pack
check 2 "usage: velmoran-assets" "$bin/velmoran-assets"
check 2 "usage: velmoran-assets" "$bin/velmoran-assets" a b
check 1 "/nonexistent/x/design.pcx.part: cannot write the picture" "$bin/velmoran-assets" /nonexistent/x
[ "$(wc -l < err.txt)" = 1 ] || fail "velmoran-assets went on after its first failure: $(cat err.txt)"
refuse 2 "usage: velmoran-pack" pack out.bin -x one
# Each malformed text is refused with its line and reason (lines counted blank ones too); a point index past
# 16 bits is refused, not wrapped onto a real point.
while IFS='|' read -r tool text said; do
  printf "$text" > bad.txt
  refuse 1 "bad.txt: $said" "$tool" bad.txt out.bin
done <<'ROWS'
k3d|o a\nv 0 0\n|line 2: bad point
k3d|o abcdefghijklmno\n|line 1: name longer than 14 characters
k3d|o a\nv 0 0 0\nf 0 0 0 0 0\n|line 3: a polygon has 1 to 4 points
k3d|o a\nv 0 0 0\nf t=1\n|line 3: a polygon has 1 to 4 points
k3d|o a\nw 0\n|line 2: unknown word w
k3d|o a\nv 0 0 0\nf zero\n|line 3: bad number zero
k3d|o a\nv 0 0 0\nf t=x 0\n|line 3: bad number t=x
k3d|o a\nv 0 0 0\nf t=256 0\n|line 3: bad number t=256
k3d|o a\nv 0 0 0\nf 0x\n|line 3: bad number 0x
k3d|o a\nv 0 0 0\nf 99999999999999999999\n|line 3: bad number 99999999999999999999
k3d|o a\nv 0 0 0\nf 65536\n|line 3: bad number 65536
k3d|o a\nv 0 0 0\nf -65536\n|line 3: bad number -65536
path|\n\no 1 2 3 4 5 6 7 8 9 10 11\n|line 3: needs 12 numbers
path|o 0 0 0 1 0 0 0 1 0 0 0 1\nc 0 0 0 0 0 1 0\n|line 2: camera and object records mixed
ROWS
# The largest of each: 255 objects, a 14-character name, 4 points to a polygon, texture 255.
awk 'BEGIN { for (i = 0; i < 255; i++) print "o o" i }' > objects.txt
check 0 "" k3d objects.txt out.bin
printf 'o abcdefghijklmn\nv 0 0 0\nf t=255 0 0 0 0\n' > edge.k3d.txt
check 0 "" k3d edge.k3d.txt out.bin
names=()
for i in $(seq 101); do names+=("one=e$i"); done
refuse 1 "out.bin: more than 100 entries" pack out.bin "${names[@]}"
check 0 "" pack out.bin "${names[@]:1}"
refuse 1 "LZARI entries, and only they, have \".KLZ\" in their names: e" pack out.bin -l one=e
refuse 1 "LZARI entries, and only they, have \".KLZ\" in their names: e.KLZ" pack out.bin -z one=e.KLZ
check 0 "" pack out.bin -l one=e.klz
# The options switch the storage of the files after them: the last record's packed flag (the byte before
# the 10-byte trailer) is 1 for zlib only; a name defaults to the file as given, so "one" stored raw makes
# 1 byte of data, a 17-byte record (length, name, size, offset, unpacked size, flag) and the trailer.
flag() { tail -c 11 "$1" | head -c 1 | od -An -tu1 | tr -d ' '; }
for row in "1 -z" "0 -z -r" "0 -z -l" "1 -l -z" "0 -r"; do
  read -r want options <<< "$row"
  name=e
  [ "${options: -2}" = -l ] && name=e.KLZ
  check 0 "" pack out.bin $options "one=$name"
  [ "$(flag out.bin)" = "$want" ] || fail "pack $options: packed flag $(flag out.bin), expected $want"
done
check 0 "" pack out.bin one
[ "$(wc -c < out.bin)" = 28 ] || fail "pack of one raw byte named 'one' made $(wc -c < out.bin) bytes, not 28"

# Good input still makes its file: the note in range, the default note 49.
check 0 "" xm scale low.xm 1
check 0 "" xm scale high.xm 96
check 0 "" xm tone a49.xm 49
check 0 "" xm tone default.xm
cmp -s a49.xm default.xm || fail "the default note is not 49"
cmp -s low.xm high.xm && fail "notes 1 and 96 made the same module"
check 0 "" xm tone high_tone.xm 96
# A scale from 96 holds only that note, as the tone does: the modules differ in their names alone.
[ "$(wc -c < high.xm)" = "$(wc -c < high_tone.xm)" ] || fail "the scale from 96 does not hold its one note"

# The disk fills (a file-size limit of 8 KiB): the tool says the system's reason, the target keeps its old
# bytes, and no partial or temporary file stays behind.
awk 'BEGIN { print "o big"; for (i = 0; i < 1000; i++) print "v", i, 0, 0 }' > big.k3d.txt
awk 'BEGIN { for (i = 0; i < 200; i++) print "c", i, 0, 0, 0, 0, 1, 0 }' > big.cam.txt
head -c 20000 /dev/urandom > big.raw
printf 'o small\nv 1 2 3\n' > small.k3d.txt
printf 'c 1 2 3 4 5 6 7\n' > small.cam.txt
for tool in k3d path pack; do
  mkdir "full_$tool" && cd "full_$tool" || exit 1
  case $tool in
  k3d) small=(../small.k3d.txt target) big=(../big.k3d.txt target) ;;
  path) small=(../small.cam.txt target) big=(../big.cam.txt target) ;;
  pack) small=(target ../one=one) big=(target ../big.raw=big) ;;
  esac
  check 0 "" "$tool" "${small[@]}"
  cp target before
  (ulimit -f 8 && check 1 "cannot write target: File too large" "$tool" "${big[@]}"; exit $status) || status=1
  cmp -s target before || fail "$tool: the old target was changed by a failed write"
  [ "$(ls | sort | tr '\n' ' ')" = "before err.txt out.txt target " ] || fail "$tool left: $(ls)"
  check 0 "" "$tool" "${big[@]}"
  [ "$(wc -c < target)" -gt 8192 ] || fail "$tool: the big output is not past the limit"
  cd .. || exit 1
done

# A link is followed: the file it names gets the bytes, the link stays a link.
mkdir linked && ln -s linked/real.bin link.bin
check 0 "" k3d small.k3d.txt link.bin
[ -L link.bin ] && [ -s linked/real.bin ] || fail "the link was replaced or its file not written"

# A pipe (or a device) is written straight, never replaced by a file; a full device gives the reason.
mkfifo pipe
timeout 10 cat pipe > piped.bin &
check 0 "" pack pipe one=one
wait
if [ -p pipe ] && [ -s piped.bin ]; then
  check 1 "cannot write /dev/full: No space left on device" pack /dev/full one=one
  [ -c /dev/full ] || fail "/dev/full is no longer a device"
else
  fail "the pipe was replaced or not written (so /dev/full is not tried)"
fi

# Test programs: two runs side by side each with a scratch folder of its own, shared with the children they
# start (a folder handed down by another process is not taken); nothing remains once they end.
scratch=$(mktemp -d /tmp/vmt.XXXXXX)  # short: scene tests need data-file names under 64 bytes
export VELMORAN_TEST_TMP=$scratch VELMORAN_TEST_SCRATCH=1:$scratch/not-mine
while [ $# -ge 2 ]; do
  "$1" --gtest_filter="$2" > run1.txt 2>&1 &
  first=$!
  "$1" --gtest_filter="$2" > run2.txt 2>&1 || { cat run2.txt; fail "$1 $2"; }
  wait $first || { cat run1.txt; fail "$1 $2 (first run)"; }
  grep -q "PASSED.* 1 test" run1.txt || fail "$1: the filter $2 did not pass exactly one test"
  [ -z "$(ls -A "$scratch")" ] || fail "$1 left: $(ls -AR "$scratch" | head)"
  shift 2
done
rm -rf "$scratch"
[ $status = 0 ] && echo "tools: all checks passed"
exit $status
