#!/usr/bin/env bash
# The setup dialog drawn by the sdl backend in a real window under Xvfb: keys and mouse clicks fed
# through SDL's event queue choose the output size, and a screenshot shows the chosen controls.
# usage: dialog_sdl_test.sh <velmoran> <work dir>
set -u
xvfb=$(cd "$(dirname "$0")/.." && pwd)/xvfb_run.sh
prog=$1
work=$2
mkdir -p "$work"
cd "$work" || exit 1
fail() { echo "FAIL: $*"; exit 1; }
command -v Xvfb > /dev/null || fail "Xvfb is missing"
command -v import > /dev/null || fail "ImageMagick's import is missing"

# Inside the X server: run the program with the given dialog input, screenshot after <delay> s.
cat > inside.sh <<'INSIDE'
#!/usr/bin/env bash
prog=$1 keys=$2 delay=$3
SDL_AUDIODRIVER=dummy VELMORAN_BACKEND=sdl VELMORAN_DIALOG_KEYS=$keys VELMORAN_KEYS=5:down:27 \
  "$prog" > out.txt 2> err.txt &
pid=$!
if [ "$delay" != - ]; then
  for i in $(seq 200); do grep -q "Dialog shown" out.txt 2> /dev/null && break; sleep 0.1; done
  sleep "$delay"
  import -window root shot.png
fi
wait $pid
echo $? > code.txt
INSIDE
chmod +x inside.sh

run() {  # run <keys> <screenshot delay or -> <expected exit code, or "show": RUN! was pressed>
  rm -f out.txt err.txt code.txt shot.png
  timeout 120 "$xvfb" 800x600x24 ./inside.sh "$prog" "$1" "$2" || fail "the dialog run under Xvfb failed ($1)"
  # After RUN! the show's own run decides the exit code; the show tests check that.
  if [ "$3" = show ]; then
    grep -q "Demo: Loading" out.txt || { cat out.txt err.txt; fail "the show did not start ($1)"; }
  else
    [ "$(cat code.txt)" = "$3" ] || { cat out.txt err.txt; fail "exit code $(cat code.txt), expected $3 ($1)"; }
  fi
  grep -q "Dialog shown, 558x468" out.txt || { cat out.txt err.txt; fail "no dialog window ($1)"; }
}

# The pixel at x,y of the screenshot as "r,g,b". Without a window manager the 558x468 dialog sits
# centred on the 800x600 screen, at 121,66.
pixel() { convert shot.png -format "%[fx:int(255*p{$(($1 + 121)),$(($2 + 66))}.r)],%[fx:int(255*p{$(($1 + 121)),$(($2 + 66))}.g)],%[fx:int(255*p{$(($1 + 121)),$(($2 + 66))}.b)]" info:; }

# Keys: Tab to the radio group; Right to "640 x 400", Left back, Down twice to "800 x 500", Down round to
# "320 x 200", Up back to "800 x 500"; back-Tab twice to VSync, Space, Enter.
run "wait,tab,tab,right,left,down,down,down,up,backtab,backtab,space,wait,wait,wait,enter" 4 show
grep -q "960x600x32" out.txt || { cat out.txt; fail "the keys did not choose 960x600"; }
[ "$(pixel 10 250)" = "212,208,200" ] || fail "no dialog face at 10,250: $(pixel 10 250)"
[ "$(pixel 53 345)" = "0,0,0" ] || fail "\"800 x 500\" is not checked: $(pixel 53 345)"
[ "$(pixel 53 255)" = "255,255,255" ] || fail "\"320 x 200\" is still checked: $(pixel 53 255)"
[ "$(pixel 292 259)" = "0,0,0" ] || fail "VSync shows no check mark: $(pixel 292 259)"
[ "$(pixel 292 346)" = "255,255,255" ] || fail "Debug Mode shows a check mark: $(pixel 292 346)"
cp shot.png keys_shot.png

# Mouse: a click on "640 x 400", then on RUN!.
run "click:60:300,click:189:411" - show
grep -q "640x400x32" out.txt || { cat out.txt; fail "the clicks did not choose 640x400"; }

# Escape, and the window's close button, end the program before the show.
for input in escape close click:450:411; do
  run "$input" - 0
  grep -q "Demo: Loading" out.txt && fail "the show started after $input"
done
echo "dialog_sdl: keys, clicks, Escape and close work in the real window"
