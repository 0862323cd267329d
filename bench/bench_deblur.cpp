// Whole-run benchmark of imgproc::deblurImage: a 1 MP and a 4 MP colour
// picture (astronaut.ppm enlarged, blurred with the 31 x 31 kernel shake_04),
// kernel size found automatically or given as 33 x 33, quality 1 and 3.
//
// Beside every case the FFT-only skeleton of the same run is timed: the run
// is made once with FFTW's plan and execute calls counted (this file stands
// in front of libfftw3f's entry points and forwards to them), then the
// skeleton makes as many plans of the same shapes with FFTW_ESTIMATE and
// executes them as often as the run did, on the same thread count. The
// counter `ratio` is run time over skeleton time: what the engine costs
// beyond its transforms.
//
// `peak_MB` is the peak resident size during the case's own runs (the peak
// is reset before each case through /proc/self/clear_refs when the kernel
// allows it, otherwise it is the process's peak so far).

#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <fftw3.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
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
#include "deblur.h"
#include "fft_convolve.h"
#include "fft_engine.h"
#include "geometry.h"

namespace {

struct TransformShape {
    int rank;
    int n0;
    int n1;
    int sign;
    bool inPlace;
    bool operator<(const TransformShape& other) const {
        return std::tie(rank, n0, n1, sign, inPlace) <
               std::tie(other.rank, other.n0, other.n1, other.sign, other.inPlace);
    }
};

struct TransformCount {
    long plans = 0;
    long executions = 0;
};

struct TransformLedger {
    std::mutex mutex;
    bool recording = false;
    std::map<fftwf_plan, TransformShape> plans;
    std::map<TransformShape, TransformCount> counts;
};

TransformLedger& ledger() {
    static TransformLedger instance;
    return instance;
}

void recordPlan(fftwf_plan plan, const TransformShape& shape) {
    TransformLedger& l = ledger();
    std::lock_guard<std::mutex> lock(l.mutex);
    l.plans[plan] = shape;
    if (l.recording) ++l.counts[shape].plans;
}

template <typename Function>
Function forwardTo(const char* name) {
    void* symbol = dlsym(RTLD_NEXT, name);
    if (symbol == nullptr) {
        std::cerr << "bench_deblur: FFTW entry point not found: " << name << std::endl;
        std::abort();
    }
    return reinterpret_cast<Function>(symbol);
}

}  // namespace

extern "C" {

fftwf_plan fftwf_plan_dft_2d(int n0, int n1, fftwf_complex* in, fftwf_complex* out, int sign,
                             unsigned flags) {
    using Fn = fftwf_plan (*)(int, int, fftwf_complex*, fftwf_complex*, int, unsigned);
    static const Fn next = forwardTo<Fn>("fftwf_plan_dft_2d");
    fftwf_plan plan = next(n0, n1, in, out, sign, flags);
    recordPlan(plan, TransformShape{2, n0, n1, sign, in == out});
    return plan;
}

fftwf_plan fftwf_plan_dft_1d(int n, fftwf_complex* in, fftwf_complex* out, int sign,
                             unsigned flags) {
    using Fn = fftwf_plan (*)(int, fftwf_complex*, fftwf_complex*, int, unsigned);
    static const Fn next = forwardTo<Fn>("fftwf_plan_dft_1d");
    fftwf_plan plan = next(n, in, out, sign, flags);
    recordPlan(plan, TransformShape{1, n, 1, sign, in == out});
    return plan;
}

void fftwf_execute(const fftwf_plan plan) {
    using Fn = void (*)(const fftwf_plan);
    static const Fn next = forwardTo<Fn>("fftwf_execute");
    {
        TransformLedger& l = ledger();
        std::lock_guard<std::mutex> lock(l.mutex);
        if (l.recording) {
            const auto found = l.plans.find(plan);
            if (found != l.plans.end()) ++l.counts[found->second].executions;
        }
    }
    next(plan);
}

}  // extern "C"

namespace {

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
    imgproc::Image image(height, width, 3);
    for (size_t i = 0; i < bytes.size(); ++i) image.data[i] = static_cast<float>(bytes[i]) / 255.0f;
    return image;
}

imgproc::Image readKernel(const std::string& path) {
    std::ifstream in(path);
    int rows = 0;
    int cols = 0;
    in >> rows >> cols;
    imgproc::Image kernel(rows, cols, 1);
    for (int i = 0; i < rows * cols; ++i) in >> kernel.data[i];
    if (!in) throw std::runtime_error("cannot read " + path);
    return kernel;
}

// Enlarged, then blurred with the edges repeated, like a shaken photograph.
imgproc::Image blurredPicture(int side) {
    const std::string data = VANTREL_TEST_DATA;
    const imgproc::Image sharp = readPpm(data + "/astronaut.ppm");
    const imgproc::Image kernel = readKernel(data + "/shake_04.txt");
    imgproc::Image enlarged;
    imgproc::resize(sharp, side, side, enlarged);
    const int ry = kernel.height / 2;
    const int rx = kernel.width / 2;
    imgproc::Image padded;
    imgproc::padReplicate(enlarged, ry, ry, rx, rx, padded);
    imgproc::Image blurred;
    imgproc::fftConvolve(blurred, padded, kernel);
    imgproc::crop(blurred, ry, ry, rx, rx, blurred);
    imgproc::clamp(blurred, blurred, 0.0f, 1.0f);
    return blurred;
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
    std::ostringstream log;
    std::streambuf* previous = std::cout.rdbuf(log.rdbuf());
    imgproc::Image output;
    imgproc::Image kernel;
    int32_t progress = 0;
    imgproc::deblurImage(picture(c.side), 33, 33, &progress, output, kernel, c.quality, false,
                         false, c.automatic, imgproc::Processor::Cpu, 1.0f, 0.0004f, 1.0f);
    std::cout.rdbuf(previous);
    benchmark::DoNotOptimize(output.data);
}

std::map<TransformShape, TransformCount> countTransforms(const Case& c) {
    TransformLedger& l = ledger();
    {
        std::lock_guard<std::mutex> lock(l.mutex);
        l.counts.clear();
        l.recording = true;
    }
    runDeblur(c);
    std::lock_guard<std::mutex> lock(l.mutex);
    l.recording = false;
    return l.counts;
}

double skeletonSeconds(const std::map<TransformShape, TransformCount>& counts) {
    const auto start = std::chrono::steady_clock::now();
    for (const auto& [shape, count] : counts) {
        const size_t n = static_cast<size_t>(shape.n0) * shape.n1;
        auto* in = static_cast<fftwf_complex*>(fftwf_malloc(n * sizeof(fftwf_complex)));
        auto* out = shape.inPlace
                        ? in
                        : static_cast<fftwf_complex*>(fftwf_malloc(n * sizeof(fftwf_complex)));
        std::memset(in, 0, n * sizeof(fftwf_complex));
        std::vector<fftwf_plan> plans;
        for (long p = 0; p < std::max(1L, count.plans); ++p) {
            plans.push_back(shape.rank == 2 ? fftwf_plan_dft_2d(shape.n0, shape.n1, in, out,
                                                                shape.sign, FFTW_ESTIMATE)
                                            : fftwf_plan_dft_1d(shape.n0, in, out, shape.sign,
                                                                FFTW_ESTIMATE));
        }
        for (long e = 0; e < count.executions; ++e) {
            fftwf_execute(plans[static_cast<size_t>(e) % plans.size()]);
        }
        for (fftwf_plan plan : plans) fftwf_destroy_plan(plan);
        if (out != in) fftwf_free(out);
        fftwf_free(in);
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Resets the peak resident size so that it covers what follows only.
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

void BM_Deblur(benchmark::State& state, Case c) {
    picture(c.side);  // made outside the measured runs
    const auto counts = countTransforms(c);
    long transforms = 0;
    for (const auto& entry : counts) transforms += entry.second.executions;

    resetPeakMemory();
    double runSeconds = 0.0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        runDeblur(c);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(seconds);
        runSeconds += seconds;
    }
    const double peak = peakMegabytes();
    double fftSeconds = 0.0;
    for (int64_t i = 0; i < state.iterations(); ++i) fftSeconds += skeletonSeconds(counts);

    const double n = static_cast<double>(state.iterations());
    state.counters["run_ms"] = runSeconds / n * 1e3;
    state.counters["fft_skeleton_ms"] = fftSeconds / n * 1e3;
    state.counters["ratio"] = runSeconds / fftSeconds;
    state.counters["transforms"] = static_cast<double>(transforms);
    state.counters["peak_MB"] = peak;
    state.counters["cores"] = std::thread::hardware_concurrency();
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

int main(int argc, char** argv) {
    imgproc::initFFTThreads();
    registerCases();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
