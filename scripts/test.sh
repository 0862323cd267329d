#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the full
# build, then the engine tests again under AddressSanitizer and UBSan (with the
# CUDA stand-in layer, so both GPU builds are exercised).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install_deps.sh
jobs=$(nproc)

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j"$jobs"
(cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$jobs" --timeout 900)

cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTREL_ENGINE_ONLY=ON -DVANTREL_SANITIZE=ON -DVANTREL_USE_CUDA=OFF
cmake --build build-sanitize -j"$jobs"
(cd build-sanitize && UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 ctest --output-on-failure -j"$jobs" --timeout 1800)
