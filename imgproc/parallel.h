#pragma once

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

// Number of threads parallelFor uses: as many as the OpenMP runtime offers.
int parallelThreadCount();

}  // namespace imgproc
