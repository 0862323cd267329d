#!/usr/bin/env bash
# Makes the tutorial pictures (Resources/instruction_200x200/) from the test
# photographs: a clear picture, small/medium/large camera-shake blur made with
# the test kernels, a noisy picture, a picture with ringing and the processed
# result.
#
# Usage: scripts/make_tutorial_pictures.sh [path/to/deblur_file]
#
# With the deblur_file harness (built from bench/deblur_file.cpp; found in a
# build*/bench folder when not given) the ringing picture and the processed
# result come from the engine; without it they are approximated with
# ImageMagick (see the note printed at the end).
# Needs ImageMagick's convert.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
data="$root/tests/data"
out="$root/Resources/instruction_200x200"
deblur="${1:-}"
if [[ -z "$deblur" ]]; then
  for candidate in "$root"/build*/bench/deblur_file; do
    [[ -x "$candidate" ]] && deblur="$candidate" && break
  done
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"

# The source: a 200 x 200 crop of the astronaut portrait around the face,
# blurred and processed at that size, so that the artefacts the pages talk
# about are not smoothed away by scaling.
convert "$data/astronaut.png" -crop 200x200+150+16 +repage "$work/clear.png"

# Turns a kernel file of the test data ("rows cols" then rows of floats) into
# an ImageMagick kernel definition.
kernel() {
  awk 'NR == 1 { rows = $1; cols = $2; printf "%dx%d:", cols, rows; next }
       { for (i = 1; i <= NF; ++i) { printf "%s%s", sep, $i; sep = "," } }' "$1"
}

blur() { # source kernel-file destination
  convert "$1" -virtual-pixel edge -define convolve:scale=1 \
    -morphology Convolve "$(kernel "$2")" "$3"
}

blur "$work/clear.png" "$data/shake_00.txt" "$out/small.png"
blur "$work/clear.png" "$data/shake_02.txt" "$work/medium.png"
blur "$work/clear.png" "$data/shake_05.txt" "$out/large.png"
cp "$work/medium.png" "$out/medium.png"
convert "$work/clear.png" -quality 92 "$out/input_200x200.jpg"

# Noisy: the medium blur plus Gaussian noise (fixed seed, so reruns agree).
convert "$work/medium.png" -seed 20261206 -attenuate 0.8 +noise Gaussian "$out/noise.png"

# The two larger pictures kept beside the thumbnails.
convert "$data/coffee.png" -filter Lanczos -resize 640x425! -quality 90 "$out/input_original.jpg"
convert "$data/coffee.png" -gravity center -crop 400x400+0+0 +repage -filter Lanczos \
  -resize 425x425! -quality 90 "$out/input_square.jpg"

if [[ -n "$deblur" && -x "$deblur" ]]; then
  # Ringing: the medium blur deblurred without ringing suppression; the
  # processed result: the same run with it.
  "$deblur" "$work/medium.png" "$work/ring.png" --kernel 23 23 >/dev/null
  "$deblur" "$work/medium.png" "$out/dering.png" --kernel 23 23 --dering >/dev/null
  convert "$work/ring.png" -quality 92 "$out/ring.jpg"
else
  # Approximation without the engine: an over-sharpened blur shows the halos
  # that deconvolution without ringing suppression leaves, and a mild
  # sharpening of the blur stands in for the processed result.
  convert "$work/medium.png" -unsharp 0x3+4.0+0 -quality 92 "$out/ring.jpg"
  convert "$work/medium.png" -unsharp 0x2+1.5+0 "$out/dering.png"
  echo "note: deblur_file not found; ring.jpg and dering.png are approximations:" >&2
  echo "      rerun this script with the path of the deblur_file harness" >&2
fi

identify "$out"/*
