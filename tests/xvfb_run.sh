#!/usr/bin/env bash
# Runs a command on an Xvfb screen of its own: usage xvfb_run.sh <width>x<height>x<depth> command...
# The server picks a free display itself and reports it (-displayfd), so tests started side by side never
# share one, as two "xvfb-run -a" started at the same moment can (the second client then talks to the first
# test's server and loses its windows when that server ends).
set -u
screen=$1
shift
command -v Xvfb > /dev/null || { echo "Xvfb is missing"; exit 1; }
dir=$(mktemp -d) || exit 1
Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp 3> "$dir/display" 2> "$dir/server.txt" &
server=$!
trap 'kill $server 2> /dev/null; rm -rf "$dir"' EXIT
for _ in $(seq 200); do
  grep -q '^[0-9][0-9]*$' "$dir/display" 2> /dev/null && break
  kill -0 $server 2> /dev/null || break
  sleep 0.05
done
number=$(head -n 1 "$dir/display" 2> /dev/null)
[[ "$number" =~ ^[0-9]+$ ]] || { cat "$dir/server.txt"; echo "Xvfb did not start"; exit 1; }
DISPLAY=:$number "$@"
