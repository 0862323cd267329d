// Deconvolution-stage benchmark: a 1000 x 1000 colour crop of retina.ppm and
// a 3000 x 2000 enlargement of it (the tiled path), both blurred with the
// 27 x 27 kernel shake_03.
//
// Beside every case the FFT-only skeleton of the same run is timed: the run
// is made once with its transforms counted, then the skeleton runs the same
// transforms the engine's way (its block transforms on the worker pool) as
// often as the run did. The counter `ratio` is run time over skeleton time:
// what the stage costs beyond its transforms.
//
// `peak_MB` is the process's peak resident size so far; run one case per
// process (--benchmark_filter) to read it per case.

#include <benchmark/benchmark.h>

#include "bench_support.h"
#include "deconvolution_stage.h"
#include "geometry.h"

namespace {

// ---------------------------------------------------------------- inputs

const imgproc::Image& blurKernel() {
    static const imgproc::Image kernel = bench::readKernel(bench::testDataPath("shake_03.txt"));
    return kernel;
}

const imgproc::Image& retina() {
    static const imgproc::Image picture = bench::readPpm(bench::testDataPath("retina.ppm"));
    return picture;
}

// Each input is made on first use, so a run of one case pays only for its own.
const imgproc::Image& crop1000() {
    static const imgproc::Image picture = [] {
        const imgproc::Image& full = retina();
        const int top = (full.height - 1000) / 2, left = (full.width - 1000) / 2;
        imgproc::Image crop;
        imgproc::crop(full, top, full.height - 1000 - top, left, full.width - 1000 - left, crop);
        return bench::blurWithRepeatedEdges(crop, blurKernel());
    }();
    return picture;
}

const imgproc::Image& large3000x2000() {
    static const imgproc::Image picture = [] {
        imgproc::Image enlarged;
        imgproc::resize(retina(), 2000, 3000, enlarged);
        return bench::blurWithRepeatedEdges(enlarged, blurKernel());
    }();
    return picture;
}

// ---------------------------------------------------------------- cases

struct Case {
    bool large;
    unsigned quality;
    bool denoise;
    bool dering;
};

void runStage(const Case& c) {
    const imgproc::Image& picture = c.large ? large3000x2000() : crop1000();
    imgproc::Image output;
    bench::runQuietly([&] {
        int32_t progress = 0;
        imgproc::deconvolveImage(picture, blurKernel(), c.quality, c.dering, c.denoise,
                                 imgproc::Processor::Cpu, 0.0004f, output, &progress);
    });
    benchmark::DoNotOptimize(output.data);
}

void BM_Deconvolve(benchmark::State& state, Case c) {
    const bench::TransformCensus census = bench::countTransforms([&] { runStage(c); });
    bench::measureAgainstSkeleton(state, census, [&] { runStage(c); }, false);
}

void registerCases() {
    struct Named {
        const char* name;
        Case c;
    };
    const Named cases[] = {
        {"crop1000/plain_q1", {false, 1, false, false}},
        {"crop1000/plain_q1_dering", {false, 1, false, true}},
        {"crop1000/plain_q3", {false, 3, false, false}},
        {"crop1000/plain_q3_dering", {false, 3, false, true}},
        {"crop1000/denoise", {false, 1, true, false}},
        {"crop1000/denoise_dering", {false, 1, true, true}},
        {"tiled3000x2000/plain_q1", {true, 1, false, false}},
    };
    for (const Named& named : cases) {
        benchmark::RegisterBenchmark(named.name, BM_Deconvolve, named.c)
            ->Unit(benchmark::kMillisecond)
            ->UseManualTime()
            ->Iterations(named.c.large ? 1 : 2);
    }
}

}  // namespace

int main(int argc, char** argv) { return bench::benchmarkMain(argc, argv, registerCases); }
