#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace imgproc {

// Runs body(begin, end) over contiguous chunks of [0, count) on a pool of
// worker threads, the calling thread included, and returns when all are done.
// The workers block while idle instead of spinning, so between loops they
// leave the cores to FFTW's own threads (OpenMP's spinning workers would
// compete with them after every loop). Below `minimum` elements, with one
// thread, or when called from inside another parallel loop, the body runs
// once over the whole range on the calling thread.
void parallelFor(int64_t count, int64_t minimum, const std::function<void(int64_t, int64_t)>& body);

// Below this many values a kernel-estimation sweep costs more in parallel
// than it saves.
constexpr size_t kParallelMinimum = size_t{1} << 15;

// Pixels of an image (0 for a degenerate size), the count those sweeps run over.
inline size_t pixelCount(int32_t width, int32_t height) {
    if (width <= 0 || height <= 0) return 0;
    return static_cast<size_t>(width) * static_cast<size_t>(height);
}

// Number of threads parallelFor uses: as many as the OpenMP runtime offers.
int parallelThreadCount();

}  // namespace imgproc
