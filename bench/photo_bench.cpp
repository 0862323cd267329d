// Real-photo benchmark: one whole run (imgproc::deblurImage, quality 1, no
// noise or ringing reduction) on a shaken photograph of a real shape, made
// from coffee.ppm (cropped to the aspect ratio, resized, blurred with the
// 31 x 31 kernel shake_04), measured against the machine's FFT floor.
//
//   photo_bench WIDTHxHEIGHT auto|given35 [--warm-runs N] [--floor-wisdom FILE]
//
// cold: the first run of a fresh process, nothing made beforehand but the
// picture; warm: the median of the next runs in the same process; floor: the
// same two-dimensional transforms with FFTW's own FFTW_MEASURE plans at the
// fastest thread count for each shape (planning not timed). The floor's
// wisdom is kept in FILE (default photo_bench.wisdom in the current folder)
// so that only the first benchmark of a shape pays for measuring it.
// Run one case per process: bench/photo_bench.sh runs them all.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include <fftw3.h>

#include "bench_support.h"
#include "deblur.h"
#include "fft_engine.h"
#include "parallel.h"

namespace {

[[noreturn]] void usage() {
    std::cerr << "usage: photo_bench WIDTHxHEIGHT auto|given35 [--warm-runs N] [--floor-wisdom FILE]"
              << std::endl;
    std::exit(2);
}

double runSeconds(const imgproc::Image& picture, bool automatic) {
    imgproc::Image output;
    imgproc::Image kernel;
    const auto start = std::chrono::steady_clock::now();
    bench::runQuietly([&] {
        int32_t progress = 0;
        imgproc::deblurImage(picture, 35, 35, &progress, output, kernel, 1, false, false, automatic,
                             imgproc::Processor::Cpu, 1.0f, 0.0004f, 1.0f);
    });
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) usage();
    int width = 0;
    int height = 0;
    if (std::sscanf(argv[1], "%dx%d", &width, &height) != 2 || width <= 0 || height <= 0) usage();
    const std::string mode = argv[2];
    if (mode != "auto" && mode != "given35") usage();
    int warmRuns = 2;
    std::string wisdom = "photo_bench.wisdom";
    for (int i = 3; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--warm-runs" && i + 1 < argc) {
            warmRuns = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--floor-wisdom" && i + 1 < argc) {
            wisdom = argv[++i];
        } else {
            usage();
        }
    }

    const imgproc::Image picture =
        bench::shakenPhoto(bench::readPpm(bench::testDataPath("coffee.ppm")),
                           bench::readKernel(bench::testDataPath("shake_04.txt")), width, height);
    const bool automatic = mode == "auto";

    imgproc::initFFTThreads();
    bench::resetPeakMemory();
    double cold = 0.0;
    const bench::TransformCensus census =
        bench::countTransforms([&] { cold = runSeconds(picture, automatic); });
    std::vector<double> warm;
    for (int i = 0; i < warmRuns; ++i) warm.push_back(runSeconds(picture, automatic));
    const double peak = bench::peakMegabytes();
    std::sort(warm.begin(), warm.end());
    const double warmMedian = warm[warm.size() / 2];

    fftwf_import_wisdom_from_filename(wisdom.c_str());
    const int threads = imgproc::parallelThreadCount();
    const double floor = bench::floorSeconds(census, threads);
    fftwf_export_wisdom_to_filename(wisdom.c_str());

    std::printf("| %dx%d | %s | %ld | %.2f | %.2f | %.2f | %.2f | %.2f | %.0f |\n", width, height,
                mode.c_str(), bench::transformCount(census), cold, warmMedian, floor, cold / floor,
                warmMedian / floor, peak);
    return 0;
}
