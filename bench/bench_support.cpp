#include "bench_support.h"

#include <dlfcn.h>
#include <fftw3.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <mutex>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <tuple>
#include <vector>

#include "color.h"
#include "dft_2d.h"
#include "fft_convolve.h"
#include "fft_engine.h"
#include "geometry.h"

namespace bench {

bool TransformShape::operator<(const TransformShape& other) const {
    return std::tie(rank, n0, n1, sign, inPlace) <
           std::tie(other.rank, other.n0, other.n1, other.sign, other.inPlace);
}

namespace {

struct Ledger {
    std::mutex mutex;
    bool recording = false;
    std::map<fftwf_plan, TransformShape> plans;
    TransformCensus counts;
};

Ledger& ledger() {
    static Ledger instance;
    return instance;
}

void recordPlan(fftwf_plan plan, const TransformShape& shape) {
    Ledger& l = ledger();
    std::lock_guard<std::mutex> lock(l.mutex);
    l.plans[plan] = shape;
    if (l.recording) ++l.counts[shape].plans;
}

void recordExecution(fftwf_plan plan) {
    Ledger& l = ledger();
    std::lock_guard<std::mutex> lock(l.mutex);
    if (!l.recording) return;
    const auto found = l.plans.find(plan);
    if (found != l.plans.end()) ++l.counts[found->second].executions;
}

void recordTransform(const TransformShape& shape) {
    Ledger& l = ledger();
    std::lock_guard<std::mutex> lock(l.mutex);
    if (!l.recording) return;
    TransformCount& count = l.counts[shape];
    ++count.executions;
    count.plans = 1;
}

template <typename Function>
Function forwardTo(const char* name) {
    void* symbol = dlsym(RTLD_NEXT, name);
    if (symbol == nullptr) {
        std::cerr << "benchmark: FFTW entry point not found: " << name << std::endl;
        std::abort();
    }
    return reinterpret_cast<Function>(symbol);
}

}  // namespace
}  // namespace bench

extern "C" {

// The engine's two-dimensional transforms announce themselves here.
void vantrelTransformExecuted(int rows, int cols, int sign) {
    bench::recordTransform(bench::TransformShape{2, rows, cols, sign, false});
}

// The edge taper's one-dimensional transforms are planned and run directly.
fftwf_plan fftwf_plan_dft_1d(int n, fftwf_complex* in, fftwf_complex* out, int sign,
                             unsigned flags) {
    using Fn = fftwf_plan (*)(int, fftwf_complex*, fftwf_complex*, int, unsigned);
    static const Fn next = bench::forwardTo<Fn>("fftwf_plan_dft_1d");
    fftwf_plan plan = next(n, in, out, sign, flags);
    bench::recordPlan(plan, bench::TransformShape{1, n, 1, sign, in == out});
    return plan;
}

void fftwf_execute(const fftwf_plan plan) {
    using Fn = void (*)(const fftwf_plan);
    static const Fn next = bench::forwardTo<Fn>("fftwf_execute");
    bench::recordExecution(plan);
    next(plan);
}

}  // extern "C"

namespace bench {

TransformCensus countTransforms(const std::function<void()>& run) {
    Ledger& l = ledger();
    {
        std::lock_guard<std::mutex> lock(l.mutex);
        l.counts.clear();
        l.recording = true;
    }
    run();
    std::lock_guard<std::mutex> lock(l.mutex);
    l.recording = false;
    return l.counts;
}

long transformCount(const TransformCensus& census) {
    long total = 0;
    for (const auto& entry : census) total += entry.second.executions;
    return total;
}

namespace {

struct ShapeBuffers {
    fftwf_complex* in;
    fftwf_complex* out;
    explicit ShapeBuffers(const TransformShape& shape) {
        const size_t n = static_cast<size_t>(shape.n0) * shape.n1;
        in = static_cast<fftwf_complex*>(fftwf_malloc(n * sizeof(fftwf_complex)));
        out = static_cast<fftwf_complex*>(fftwf_malloc(n * sizeof(fftwf_complex)));
        std::memset(in, 0, n * sizeof(fftwf_complex));
        std::memset(out, 0, n * sizeof(fftwf_complex));
    }
    ~ShapeBuffers() {
        fftwf_free(in);
        fftwf_free(out);
    }
    ShapeBuffers(const ShapeBuffers&) = delete;
    ShapeBuffers& operator=(const ShapeBuffers&) = delete;
};

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// One-dimensional transforms are planned the engine's way in both timings.
double oneDimensionalSeconds(const TransformShape& shape, const TransformCount& count) {
    const ShapeBuffers buffers(shape);
    fftwf_plan plan = nullptr;
    {
        const imgproc::SerialPlanning serial;
        plan = fftwf_plan_dft_1d(shape.n0, buffers.in, buffers.out, shape.sign, FFTW_ESTIMATE);
    }
    const auto start = std::chrono::steady_clock::now();
    for (long e = 0; e < count.executions; ++e) fftwf_execute(plan);
    const double seconds = secondsSince(start);
    fftwf_destroy_plan(plan);
    return seconds;
}

}  // namespace

double skeletonSeconds(const TransformCensus& census) {
    double seconds = 0.0;
    for (const auto& [shape, count] : census) {
        if (shape.rank == 1) {
            seconds += oneDimensionalSeconds(shape, count);
            continue;
        }
        const ShapeBuffers buffers(shape);
        const auto start = std::chrono::steady_clock::now();
        const imgproc::Dft2D transform(shape.n0, shape.n1, shape.sign);
        for (long e = 0; e < count.executions; ++e) transform.execute(buffers.in, buffers.out);
        seconds += secondsSince(start);
    }
    return seconds;
}

double floorSeconds(const TransformCensus& census, int maxThreads) {
    double seconds = 0.0;
    const int previous = fftwf_planner_nthreads();
    for (const auto& [shape, count] : census) {
        if (shape.rank == 1) {
            seconds += oneDimensionalSeconds(shape, count);
            continue;
        }
        const ShapeBuffers buffers(shape);
        // FFTW_MEASURE overwrites the arrays while it plans, so every plan
        // is made before the timed executions.
        fftwf_plan best = nullptr;
        double bestSeconds = 0.0;
        for (int threads = 1; threads <= maxThreads; ++threads) {
            fftwf_plan_with_nthreads(threads);
            fftwf_plan plan = fftwf_plan_dft_2d(shape.n0, shape.n1, buffers.in, buffers.out,
                                                shape.sign, FFTW_MEASURE);
            std::memset(buffers.in, 0, sizeof(fftwf_complex) * shape.n0 * shape.n1);
            fftwf_execute(plan);
            const int trials = 3;
            const auto start = std::chrono::steady_clock::now();
            for (int t = 0; t < trials; ++t) fftwf_execute(plan);
            const double perTransform = secondsSince(start) / trials;
            if (best == nullptr || perTransform < bestSeconds) {
                if (best != nullptr) fftwf_destroy_plan(best);
                best = plan;
                bestSeconds = perTransform;
            } else {
                fftwf_destroy_plan(plan);
            }
        }
        const auto start = std::chrono::steady_clock::now();
        for (long e = 0; e < count.executions; ++e) fftwf_execute(best);
        seconds += secondsSince(start);
        fftwf_destroy_plan(best);
    }
    fftwf_plan_with_nthreads(previous);
    return seconds;
}

void resetPeakMemory() {
    std::ofstream clear("/proc/self/clear_refs");
    if (clear) clear << "5";
}

double peakMegabytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

std::string testDataPath(const std::string& name) {
    return std::string(VANTREL_TEST_DATA) + "/" + name;
}

imgproc::Image readPpm(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int width = 0;
    int height = 0;
    int maxval = 0;
    in >> magic >> width >> height >> maxval;
    in.get();
    if (!in || magic != "P6" || maxval != 255) throw std::runtime_error("cannot read " + path);
    std::vector<unsigned char> bytes(static_cast<size_t>(width) * height * 3);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!in) throw std::runtime_error("cannot read " + path);
    imgproc::Image image(height, width, 3);
    for (size_t i = 0; i < bytes.size(); ++i) image.data[i] = static_cast<float>(bytes[i]) / 255.0f;
    return image;
}

imgproc::Image readKernel(const std::string& path) {
    std::ifstream in(path);
    int rows = 0;
    int cols = 0;
    in >> rows >> cols;
    if (!in || rows <= 0 || cols <= 0) throw std::runtime_error("cannot read " + path);
    imgproc::Image kernel(rows, cols, 1);
    for (int i = 0; i < rows * cols; ++i) in >> kernel.data[i];
    if (!in) throw std::runtime_error("cannot read " + path);
    return kernel;
}

imgproc::Image blurWithRepeatedEdges(const imgproc::Image& sharp, const imgproc::Image& kernel) {
    const int ry = kernel.height / 2;
    const int rx = kernel.width / 2;
    imgproc::Image padded;
    imgproc::padReplicate(sharp, ry, ry, rx, rx, padded);
    imgproc::Image blurred;
    imgproc::fftConvolve(blurred, padded, kernel);
    imgproc::crop(blurred, ry, ry, rx, rx, blurred);
    imgproc::clamp(blurred, blurred, 0.0f, 1.0f);
    return blurred;
}

imgproc::Image shakenPhoto(const imgproc::Image& sharp, const imgproc::Image& kernel, int width,
                           int height) {
    int cropWidth = sharp.width;
    int cropHeight = static_cast<int>(static_cast<int64_t>(sharp.width) * height / width);
    if (cropHeight > sharp.height) {
        cropHeight = sharp.height;
        cropWidth = static_cast<int>(static_cast<int64_t>(sharp.height) * width / height);
    }
    const int top = (sharp.height - cropHeight) / 2;
    const int left = (sharp.width - cropWidth) / 2;
    imgproc::Image cropped;
    imgproc::crop(sharp, top, sharp.height - cropHeight - top, left, sharp.width - cropWidth - left,
                  cropped);
    imgproc::Image resized;
    imgproc::resize(cropped, height, width, resized);
    return blurWithRepeatedEdges(resized, kernel);
}

void runQuietly(const std::function<void()>& run) {
    std::ostringstream log;
    std::streambuf* previous = std::cout.rdbuf(log.rdbuf());
    try {
        run();
    } catch (...) {
        std::cout.rdbuf(previous);
        throw;
    }
    std::cout.rdbuf(previous);
}

void measureAgainstSkeleton(benchmark::State& state, const TransformCensus& census,
                            const std::function<void()>& run, bool peakOfRunsOnly) {
    if (peakOfRunsOnly) resetPeakMemory();
    double runSeconds = 0.0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        run();
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(seconds);
        runSeconds += seconds;
    }
    // Read before the skeleton, whose buffers are no part of the run.
    const double peak = peakMegabytes();
    double fftSeconds = 0.0;
    for (int64_t i = 0; i < state.iterations(); ++i) fftSeconds += skeletonSeconds(census);

    const double n = static_cast<double>(state.iterations());
    state.counters["run_ms"] = runSeconds / n * 1e3;
    state.counters["fft_skeleton_ms"] = fftSeconds / n * 1e3;
    state.counters["ratio"] = runSeconds / fftSeconds;
    state.counters["transforms"] = static_cast<double>(transformCount(census));
    state.counters["peak_MB"] = peak;
    state.counters["cores"] = std::thread::hardware_concurrency();
}

int benchmarkMain(int argc, char** argv, void (*registerCases)()) {
    imgproc::initFFTThreads();
    registerCases();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

}  // namespace bench
