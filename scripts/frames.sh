#!/usr/bin/env bash
# Writes what lightmatrix-render gives for a fixed set of arguments (the
# animation at several DPIs, sizes and start times, across a clearing and
# midnight; pictures, a click on the panel, the line draws, errors): the
# frame, the dump, standard error and the exit status of each, into OUT. Run
# it with two builds and compare the folders byte for byte (diff -r): a change
# that should draw nothing differently must leave them equal.
#
#   scripts/frames.sh RENDER OUT
set -euo pipefail
render=$1
out=$2
corpus=$(cd "$(dirname "$0")/.." && pwd)/fuzz/corpus
mkdir -p "$out"
n=0
frame() {
    n=$((n + 1))
    local status=0
    "$render" "$@" --dump "$out/$n.png" >"$out/$n.dump" 2>"$out/$n.err" || status=$?
    echo "$status" >"$out/$n.status"
}
frame --start 43200 --seconds 90
frame --start 0 --seconds 400
frame --start 86395 --seconds 30
frame --size 1920x1080 --dpi 144 --start 1000 --seconds 60
frame --size 1600x1200 --dpi 192 --start 30000 --seconds 20
frame --size 640x480 --dpi 72 --start 500 --seconds 45
frame --size 300x200 --start 100 --seconds 10
frame --picture "$corpus/rgb.png"
frame --start 7 --seconds 5 --picture "$corpus/rgba.png"
frame --picture "$corpus/nine-by-six.gif" --click-panel
frame --hline 3,5,200,#ff0000 --vline 0,7,95,255 --clear --highlight 0,0,99
frame --highlight 273,8,5
frame --picture "$corpus/text.txt"
frame --start 1234.5 --seconds 720 --clear --hline 88,100,50,#00ff00
echo "$n frames in $out"
