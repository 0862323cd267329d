// Pieces shared by the benchmarks: a census of FFTW's transforms, the
// FFT-only skeleton timer, the peak resident size, the test-data readers and
// the blur that makes a sharp test picture look like a shaken photograph.
//
// The census counts the engine's two-dimensional transforms through the hook
// the engine calls when a benchmark defines it (vantrelTransformExecuted),
// and its one-dimensional ones by standing in front of libfftw3f's
// fftwf_plan_dft_1d and fftwf_execute (bench_support.cpp defines them and
// forwards to the library's own through dlsym(RTLD_NEXT)).
#pragma once

#include <benchmark/benchmark.h>

#include <functional>
#include <map>
#include <string>

#include "image.h"

namespace bench {

struct TransformShape {
    int rank;
    int n0;
    int n1;
    int sign;
    bool inPlace;
    bool operator<(const TransformShape& other) const;
};

struct TransformCount {
    long plans = 0;
    long executions = 0;
};

using TransformCensus = std::map<TransformShape, TransformCount>;

// The plans made and transforms executed, by shape, while `run` runs.
TransformCensus countTransforms(const std::function<void()>& run);

// Executions over all shapes.
long transformCount(const TransformCensus& census);

// The transforms of a run and nothing else, made the engine's way (the same
// block transforms on the worker pool), executed as many times on buffers of
// the same size.
double skeletonSeconds(const TransformCensus& census);

// The machine's floor for the same transforms: for each shape FFTW's own
// two-dimensional plan made with FFTW_MEASURE at every thread count from 1
// to maxThreads, the fastest one executed as many times as the run did.
// Planning is not timed; FFTW's wisdom in memory (or imported by the caller)
// makes a shape's later plans quick.
double floorSeconds(const TransformCensus& census, int maxThreads);

// Resets the peak resident size so that it covers what follows only, where
// the kernel allows it (otherwise the peak stays the process's so far).
void resetPeakMemory();

// Peak resident size of the process in MB (since the last reset, if any).
double peakMegabytes();

// Full path of a file in the test data folder.
std::string testDataPath(const std::string& name);

// Binary 8-bit PPM as a 3-channel picture in [0, 1].
imgproc::Image readPpm(const std::string& path);

// Kernel text file: rows, columns, then the values row by row.
imgproc::Image readKernel(const std::string& path);

// Blurred with the edges repeated, clamped to [0, 1].
imgproc::Image blurWithRepeatedEdges(const imgproc::Image& sharp, const imgproc::Image& kernel);

// A shaken photograph of width x height made from a sharp picture: cropped
// about its centre to that aspect ratio, resized, blurred with the kernel.
imgproc::Image shakenPhoto(const imgproc::Image& sharp, const imgproc::Image& kernel, int width,
                           int height);

// Runs `run` with std::cout silenced (the engine logs every step there).
void runQuietly(const std::function<void()>& run);

// Times `run` once per benchmark iteration (manual time), then the FFT-only
// skeleton of `census` as often, and sets the counters run_ms,
// fft_skeleton_ms, ratio (run over skeleton), transforms, peak_MB and cores.
// With `peakOfRunsOnly` the peak is reset before the timed runs.
void measureAgainstSkeleton(benchmark::State& state, const TransformCensus& census,
                            const std::function<void()>& run, bool peakOfRunsOnly);

// The whole main of a benchmark: FFTW's threads set up, the cases registered
// by `registerCases`, the command line read, the chosen cases run.
int benchmarkMain(int argc, char** argv, void (*registerCases)());

}  // namespace bench
