#!/usr/bin/env bash
# Makes the tutorial pictures (Resources/instruction_200x200/) from the test
# photographs: a clear picture, small/medium/large camera-shake blur made with
# the test kernels, a noisy picture, a picture with ringing and the processed
# result.
#
# Usage: scripts/make_tutorial_pictures.sh [path/to/deblur_file]
#
# With the deblur_file harness (built from bench/deblur_file.cpp) the ringing
# picture and the processed result come from the project's own engine; without
# it they are approximated with ImageMagick (see the note printed at the end).
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

# The source: a 400 x 400 crop of the astronaut portrait around the face;
# everything is made at that size and scaled to 200 x 200 at the end, so the
# blur stays visible but is not overwhelming at thumbnail size.
convert "$data/astronaut.png" -crop 400x400+56+0 +repage "$work/clear400.png"

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

blur "$work/clear400.png" "$data/shake_01.txt" "$work/small400.png"
blur "$work/clear400.png" "$data/shake_04.txt" "$work/medium400.png"
blur "$work/clear400.png" "$data/shake_07.txt" "$work/large400.png"

# Noisy: the medium blur plus Gaussian noise (fixed seed, so reruns agree).
convert "$work/medium400.png" -seed 20261206 -attenuate 2.5 +noise Gaussian "$work/noise400.png"

to200() { convert "$1" -filter Lanczos -resize 200x200! "${@:2}"; }

to200 "$work/clear400.png" -quality 92 "$out/input_200x200.jpg"
to200 "$work/small400.png" "$out/small.png"
to200 "$work/medium400.png" "$out/medium.png"
to200 "$work/large400.png" "$out/large.png"
to200 "$work/noise400.png" "$out/noise.png"

# The two larger pictures kept beside the thumbnails.
convert "$data/coffee.png" -filter Lanczos -resize 640x425! -quality 90 "$out/input_original.jpg"
convert "$data/coffee.png" -gravity center -crop 400x400+0+0 +repage -filter Lanczos \
  -resize 425x425! -quality 90 "$out/input_square.jpg"

if [[ -n "$deblur" && -x "$deblur" ]]; then
  # Ringing: deconvolved without ringing suppression; result: with it.
  "$deblur" "$work/medium400.png" "$work/ring400.png" --kernel 31 31 --dering 0 --denoise 0
  "$deblur" "$work/medium400.png" "$work/dering400.png" --kernel 31 31 --dering 1 --denoise 0
  to200 "$work/ring400.png" -quality 92 "$out/ring.jpg"
  to200 "$work/dering400.png" "$out/dering.png"
else
  # Approximation without the engine: an over-sharpened blur shows the halos
  # that deconvolution without ringing suppression leaves, and a mild
  # sharpening of the blur stands in for the processed result.
  convert "$work/medium400.png" -unsharp 0x6+4.0+0 "$work/ring400.png"
  convert "$work/medium400.png" -unsharp 0x3+1.5+0 "$work/dering400.png"
  to200 "$work/ring400.png" -quality 92 "$out/ring.jpg"
  to200 "$work/dering400.png" "$out/dering.png"
  echo "note: deblur_file not found; ring.jpg and dering.png are approximations:" >&2
  echo "      rerun this script with the path of the deblur_file harness" >&2
fi

identify "$out"/*
