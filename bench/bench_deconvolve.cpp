// Deconvolution-stage benchmark: a 1000 x 1000 colour crop of retina.ppm and
// a 3000 x 2000 enlargement of it (the tiled path), both blurred with the
// 27 x 27 kernel shake_03.
//
// Beside every case the FFT-only skeleton of the same run is timed: the run
// is made once with FFTW's plan and execute calls counted (this file puts
// itself in front of libfftw3f's entry points and forwards to it), then the
// skeleton makes as many plans of the same shapes with FFTW_ESTIMATE and
// executes them as often as the run did. The counter `ratio` is run time over
// skeleton time: what the stage costs beyond its transforms.
//
// `peak_MB` is the process's peak resident size so far; run one case per
// process (--benchmark_filter) to read it per case.

#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <fftw3.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iostream>
#include <map>
#include <mutex>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "color.h"
#include "deconvolution_stage.h"
#include "fft_convolve.h"
#include "fft_engine.h"
#include "geometry.h"

namespace {

// ---------------------------------------------------------------- transform census

struct PlanShape {
    int rank;
    int n0;
    int n1;
    int sign;
    bool inPlace;
    auto key() const { return std::tie(rank, n0, n1, sign, inPlace); }
    bool operator<(const PlanShape& other) const { return key() < other.key(); }
};

struct ShapeCount {
    long plans = 0;
    long executions = 0;
};

struct Census {
    std::mutex mutex;
    bool recording = false;
    std::map<fftwf_plan, PlanShape> live;
    std::map<PlanShape, ShapeCount> counts;
};

Census& census() {
    static Census instance;
    return instance;
}

void notePlan(fftwf_plan plan, const PlanShape& shape) {
    Census& c = census();
    std::lock_guard<std::mutex> lock(c.mutex);
    c.live[plan] = shape;
    if (c.recording) ++c.counts[shape].plans;
}

template <typename Function>
Function nextSymbol(const char* name) {
    void* symbol = dlsym(RTLD_NEXT, name);
    if (!symbol) {
        std::cerr << "FFTW symbol not found: " << name << std::endl;
        std::abort();
    }
    return reinterpret_cast<Function>(symbol);
}

}  // namespace

extern "C" {

fftwf_plan fftwf_plan_dft_2d(int n0, int n1, fftwf_complex* in, fftwf_complex* out, int sign,
                             unsigned flags) {
    using Fn = fftwf_plan (*)(int, int, fftwf_complex*, fftwf_complex*, int, unsigned);
    static const Fn real = nextSymbol<Fn>("fftwf_plan_dft_2d");
    fftwf_plan plan = real(n0, n1, in, out, sign, flags);
    notePlan(plan, PlanShape{2, n0, n1, sign, in == out});
    return plan;
}

fftwf_plan fftwf_plan_dft_1d(int n, fftwf_complex* in, fftwf_complex* out, int sign,
                             unsigned flags) {
    using Fn = fftwf_plan (*)(int, fftwf_complex*, fftwf_complex*, int, unsigned);
    static const Fn real = nextSymbol<Fn>("fftwf_plan_dft_1d");
    fftwf_plan plan = real(n, in, out, sign, flags);
    notePlan(plan, PlanShape{1, n, 1, sign, in == out});
    return plan;
}

void fftwf_execute(const fftwf_plan plan) {
    using Fn = void (*)(const fftwf_plan);
    static const Fn real = nextSymbol<Fn>("fftwf_execute");
    {
        Census& c = census();
        std::lock_guard<std::mutex> lock(c.mutex);
        if (c.recording) {
            auto found = c.live.find(plan);
            if (found != c.live.end()) ++c.counts[found->second].executions;
        }
    }
    real(plan);
}

}  // extern "C"

namespace {

// ---------------------------------------------------------------- inputs

imgproc::Image readPpm(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int width = 0, height = 0, maxval = 0;
    in >> magic >> width >> height >> maxval;
    in.get();
    if (!in || magic != "P6" || maxval != 255) throw std::runtime_error("cannot read " + path);
    std::vector<unsigned char> bytes(static_cast<size_t>(width) * height * 3);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    imgproc::Image image(height, width, 3);
    for (size_t i = 0; i < bytes.size(); ++i) image.data[i] = bytes[i] / 255.0f;
    return image;
}

imgproc::Image readKernel(const std::string& path) {
    std::ifstream in(path);
    int rows = 0, cols = 0;
    in >> rows >> cols;
    imgproc::Image kernel(rows, cols, 1);
    for (int i = 0; i < rows * cols; ++i) in >> kernel.data[i];
    if (!in) throw std::runtime_error("cannot read " + path);
    return kernel;
}

// Blur with the edges repeated, so the picture looks like a real blurred photograph.
imgproc::Image blur(const imgproc::Image& sharp, const imgproc::Image& kernel) {
    const int ry = kernel.height / 2, rx = kernel.width / 2;
    imgproc::Image padded;
    imgproc::padReplicate(sharp, ry, ry, rx, rx, padded);
    imgproc::Image blurred;
    imgproc::fftConvolve(blurred, padded, kernel);
    imgproc::crop(blurred, ry, ry, rx, rx, blurred);
    imgproc::clamp(blurred, blurred, 0.0f, 1.0f);
    return blurred;
}

const imgproc::Image& blurKernel() {
    static const imgproc::Image kernel = readKernel(std::string(VANTREL_TEST_DATA) + "/shake_03.txt");
    return kernel;
}

const imgproc::Image& retina() {
    static const imgproc::Image picture = readPpm(std::string(VANTREL_TEST_DATA) + "/retina.ppm");
    return picture;
}

// Each input is made on first use, so a run of one case pays only for its own.
const imgproc::Image& crop1000() {
    static const imgproc::Image picture = [] {
        const imgproc::Image& full = retina();
        const int top = (full.height - 1000) / 2, left = (full.width - 1000) / 2;
        imgproc::Image crop;
        imgproc::crop(full, top, full.height - 1000 - top, left, full.width - 1000 - left, crop);
        return blur(crop, blurKernel());
    }();
    return picture;
}

const imgproc::Image& large3000x2000() {
    static const imgproc::Image picture = [] {
        imgproc::Image enlarged;
        imgproc::resize(retina(), 2000, 3000, enlarged);
        return blur(enlarged, blurKernel());
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
    std::ostringstream log;
    std::streambuf* old = std::cout.rdbuf(log.rdbuf());
    imgproc::Image output;
    int32_t progress = 0;
    imgproc::deconvolveImage(picture, blurKernel(), c.quality, c.dering,
                             c.denoise, imgproc::Processor::Cpu, 0.0004f, output, &progress);
    std::cout.rdbuf(old);
    benchmark::DoNotOptimize(output.data);
}

std::map<PlanShape, ShapeCount> recordTransforms(const Case& c) {
    Census& census_ = census();
    {
        std::lock_guard<std::mutex> lock(census_.mutex);
        census_.counts.clear();
        census_.recording = true;
    }
    runStage(c);
    std::lock_guard<std::mutex> lock(census_.mutex);
    census_.recording = false;
    return census_.counts;
}

// The transforms of a run and nothing else: as many plans of each shape,
// executed as many times, on buffers of the same size and placement.
double skeletonSeconds(const std::map<PlanShape, ShapeCount>& counts) {
    const auto start = std::chrono::steady_clock::now();
    for (const auto& [shape, count] : counts) {
        const size_t n = static_cast<size_t>(shape.n0) * shape.n1;
        auto* in = static_cast<fftwf_complex*>(fftwf_malloc(n * sizeof(fftwf_complex)));
        auto* out = shape.inPlace ? in : static_cast<fftwf_complex*>(fftwf_malloc(n * sizeof(fftwf_complex)));
        std::memset(in, 0, n * sizeof(fftwf_complex));
        std::vector<fftwf_plan> plans;
        for (long p = 0; p < std::max(1L, count.plans); ++p)
            plans.push_back(shape.rank == 2 ? fftwf_plan_dft_2d(shape.n0, shape.n1, in, out, shape.sign, FFTW_ESTIMATE)
                                            : fftwf_plan_dft_1d(shape.n0, in, out, shape.sign, FFTW_ESTIMATE));
        for (long e = 0; e < count.executions; ++e) fftwf_execute(plans[e % plans.size()]);
        for (fftwf_plan plan : plans) fftwf_destroy_plan(plan);
        if (out != in) fftwf_free(out);
        fftwf_free(in);
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double peakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

void BM_Deconvolve(benchmark::State& state, Case c) {
    const auto counts = recordTransforms(c);
    long transforms = 0;
    for (const auto& entry : counts) transforms += entry.second.executions;

    double runSeconds = 0.0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        runStage(c);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(seconds);
        runSeconds += seconds;
    }
    double fftSeconds = 0.0;
    for (int64_t i = 0; i < state.iterations(); ++i) fftSeconds += skeletonSeconds(counts);

    const double n = static_cast<double>(state.iterations());
    state.counters["run_ms"] = runSeconds / n * 1e3;
    state.counters["fft_skeleton_ms"] = fftSeconds / n * 1e3;
    state.counters["ratio"] = runSeconds / fftSeconds;
    state.counters["transforms"] = static_cast<double>(transforms);
    state.counters["peak_MB"] = peakMegabytes();
    state.counters["cores"] = std::thread::hardware_concurrency();
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

int main(int argc, char** argv) {
    imgproc::initFFTThreads();
    registerCases();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
