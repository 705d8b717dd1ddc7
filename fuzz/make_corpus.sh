#!/usr/bin/env bash
# Writes the fuzzer's seed corpus: one small picture in every format the
# decoder knows, made here from a 9 x 6 picture whose pixels all differ, and a
# few broken ones. Needs ImageMagick's convert. The output is committed; run
# this again only to change the seeds.
set -euo pipefail
cd "$(dirname "$0")"
out=corpus
rm -rf "$out" && mkdir -p "$out"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# The source: red and green say where a pixel is, blue is constant.
{
    printf 'P3\n9 6\n255\n'
    for y in 0 1 2 3 4 5; do
        for x in 0 1 2 3 4 5 6 7 8; do printf '%d %d 64\n' $((x * 28)) $((y * 40)); done
    done
} >"$out/nine-by-six.ppm.ascii"
src="$out/nine-by-six.ppm.ascii"

im() { convert "$src" -strip -define png:exclude-chunks=date,time "$@"; }
im "PPM:$out/nine-by-six.ppm"
im -colorspace Gray "PGM:$out/nine-by-six.pgm"
im -monochrome "PBM:$out/nine-by-six.pbm"
im "PNG24:$out/rgb.png"
im -alpha set -channel A -fx 'i/w' "PNG32:$out/rgba.png"
im -colors 8 "PNG8:$out/palette.png"
im -colorspace Gray "PNG:$out/gray.png"
im "BMP3:$out/rgb.bmp"
im -colors 16 -compress RLE "BMP3:$out/rle8.bmp"
im "GIF:$out/nine-by-six.gif"
im "ICO:$out/nine-by-six.ico"
im "TGA:$out/nine-by-six.tga"
im -compress RLE "TGA:$out/rle.tga"
im -compress None "TIFF:$out/nine-by-six.tif"
im -colors 4 "XPM:$out/nine-by-six.xpm"
im -monochrome "XBM:$out/nine-by-six.xbm"
im -quality 90 "JPEG:$out/nine-by-six.jpg"

# Broken ones: cut short, a header that asks for far too much, and no picture at all.
head -c 60 "$out/rgb.png" >"$out/truncated.png"
head -c 40 "$out/nine-by-six.ppm" >"$out/truncated.ppm"
printf 'P6\n100000 100000\n255\n\x7f\x7f\x7f' >"$out/huge-header.ppm"
printf 'not a picture\n' >"$out/text.txt"
