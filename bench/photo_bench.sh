#!/usr/bin/env bash
# Runs every real-photo benchmark case in a fresh process and prints the
# table for README.md. Usage: bench/photo_bench.sh [BUILD_DIR]
set -euo pipefail
build=${1:-build}
bench="$build/bench/photo_bench"
wisdom="$build/bench/photo_bench.wisdom"
echo "| picture | kernel | transforms | cold s | warm s | floor s | cold / floor | warm / floor | peak MB |"
echo "| --- | --- | ---: | ---: | ---: | ---: | ---: | ---: | ---: |"
for size in 1000x1000 1000x667 1503x1000 1920x1080 1080x1920 3000x2000 4000x3000; do
  for mode in auto given35; do
    "$bench" "$size" "$mode" --floor-wisdom "$wisdom"
  done
done
