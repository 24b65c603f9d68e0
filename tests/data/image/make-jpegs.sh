#!/usr/bin/env bash
# Regenerates the JPEG test files in jpeg/ from deterministic ImageMagick
# pictures with cjpeg (libjpeg-turbo-progs) and tools/jpeg_remux.py.
# The committed files are the reference; the golden hash table in
# jpeg-hashes.txt was recorded from our decoder after the differential test
# against libjpeg-turbo passed on every file.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
remux="$here/../../../tools/jpeg_remux.py"
out="$here/jpeg"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$out"

picture() { # name WxH seed
  convert -seed "$3" -size "$2" plasma:fractal -depth 8 "$tmp/$1.ppm"
}

picture p61x36 61x36 11
picture p128 128x128 12
picture p320 320x240 13
picture p1 1x1 14
picture p17x9 17x9 15
picture p64 64x64 16
picture p40x24 40x24 17

cjpeg -quality 85 -sample 2x2 "$tmp/p61x36.ppm" > "$out/yuv420_61x36.jpg"
cjpeg -quality 90 -sample 1x1 "$tmp/p128.ppm" > "$tmp/flare.jpg"
cjpeg -quality 90 -sample 1x1 -restart 16B "$tmp/p128.ppm" > "$tmp/flare_rst.jpg"
python3 "$remux" "$tmp/flare.jpg" "$out/yuv444_128_merged.jpg" --tables merge --app13 --app14
python3 "$remux" "$tmp/flare_rst.jpg" "$out/yuv444_128_rst16_merged.jpg" --tables merge --app13 --app14 --dri-first
cjpeg -quality 75 -sample 2x1 "$tmp/p17x9.ppm" > "$out/yuv422_17x9.jpg"
cjpeg -quality 75 -sample 2x2 "$tmp/p1.ppm" > "$out/yuv420_1x1.jpg"
cjpeg -quality 80 -grayscale "$tmp/p40x24.ppm" > "$out/grey_40x24.jpg"
cjpeg -quality 80 -sample 2x2 "$tmp/p320.ppm" > "$out/yuv420_320x240.jpg"
cjpeg -quality 80 -sample 2x2 -restart 20B "$tmp/p320.ppm" > "$tmp/about.jpg"
python3 "$remux" "$tmp/about.jpg" "$out/yuv420_320x240_rst20_merged.jpg" --tables merge --app13 --app14
cjpeg -quality 80 -sample 2x2 -restart 1B "$tmp/p320.ppm" > "$out/yuv420_320x240_rst1.jpg"
python3 "$remux" "$out/yuv420_320x240.jpg" "$out/yuv420_320x240_split.jpg" --tables split --comment "split tables"
cjpeg -quality 95 -sample 2x2 "$tmp/p64.ppm" > "$out/yuv420_64.jpg"
cjpeg -quality 95 -sample 1x2 "$tmp/p64.ppm" > "$out/yuv440_64.jpg"
cjpeg -quality 60 -sample 2x2,1x1,2x2 "$tmp/p40x24.ppm" > "$out/odd_sampling_40x24.jpg" || true
# Pictures the decoder must refuse.
cjpeg -progressive "$tmp/p64.ppm" > "$out/progressive_64.jpg"
cjpeg -arithmetic "$tmp/p64.ppm" > "$out/arithmetic_64.jpg"
