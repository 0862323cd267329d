// Whole-run benchmark of imgproc::deblurImage: a 1 MP and a 4 MP colour
// picture (astronaut.ppm enlarged, blurred with the 31 x 31 kernel shake_04),
// kernel size found automatically or given as 33 x 33, quality 1 and 3.
//
// Beside every case the FFT-only skeleton of the same run is timed: the run
// is made once with its transforms counted, then the skeleton runs the same
// transforms the engine's way (its block transforms on the worker pool) as
// often as the run did. The counter `ratio` is run time over skeleton time:
// what the engine costs beyond its transforms. photo_bench measures against
// the machine's floor instead.
//
// `peak_MB` is the peak resident size during the case's own runs (the peak
// is reset before each case through /proc/self/clear_refs when the kernel
// allows it, otherwise it is the process's peak so far).

#include <benchmark/benchmark.h>

#include <map>
#include <string>

#include "bench_support.h"
#include "deblur.h"
#include "geometry.h"

namespace {

// Enlarged, then blurred with the edges repeated, like a shaken photograph.
imgproc::Image blurredPicture(int side) {
    const imgproc::Image sharp = bench::readPpm(bench::testDataPath("astronaut.ppm"));
    const imgproc::Image kernel = bench::readKernel(bench::testDataPath("shake_04.txt"));
    imgproc::Image enlarged;
    imgproc::resize(sharp, side, side, enlarged);
    return bench::blurWithRepeatedEdges(enlarged, kernel);
}

const imgproc::Image& picture(int side) {
    static std::map<int, imgproc::Image> made;
    auto found = made.find(side);
    if (found == made.end()) found = made.emplace(side, blurredPicture(side)).first;
    return found->second;
}

struct Case {
    int side;
    bool automatic;
    unsigned quality;
};

void runDeblur(const Case& c) {
    imgproc::Image output;
    imgproc::Image kernel;
    bench::runQuietly([&] {
        int32_t progress = 0;
        imgproc::deblurImage(picture(c.side), 33, 33, &progress, output, kernel, c.quality, false,
                             false, c.automatic, imgproc::Processor::Cpu, 1.0f, 0.0004f, 1.0f);
    });
    benchmark::DoNotOptimize(output.data);
}

void BM_Deblur(benchmark::State& state, Case c) {
    picture(c.side);  // made outside the measured runs
    const bench::TransformCensus census = bench::countTransforms([&] { runDeblur(c); });
    bench::measureAgainstSkeleton(state, census, [&] { runDeblur(c); }, true);
}

void registerCases() {
    for (int side : {1000, 2000}) {
        for (bool automatic : {true, false}) {
            for (unsigned quality : {1u, 3u}) {
                const std::string name = std::string(side == 1000 ? "1MP" : "4MP") + "/" +
                                         (automatic ? "auto" : "given33") + "/q" +
                                         std::to_string(quality);
                benchmark::RegisterBenchmark(name.c_str(), BM_Deblur,
                                             Case{side, automatic, quality})
                    ->Unit(benchmark::kMillisecond)
                    ->UseManualTime()
                    ->Iterations(1);
            }
        }
    }
}

}  // namespace

int main(int argc, char** argv) { return bench::benchmarkMain(argc, argv, registerCases); }
