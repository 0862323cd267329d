// Developer tool: deblurs one picture file with the engine, the way the
// application's worker does, and reports the wall time and peak memory.
//
//   deblur_file INPUT OUTPUT [--kernel-out K.txt]
//               [--auto | --kernel H W | --known-kernel K.txt]
//               [--quality 1|2|3] [--denoise] [--dering] [--processor cpu|gpu|auto]
//
// --known-kernel skips estimation and deconvolves with the given kernel, so
// that blind and non-blind results can be compared on the same picture.
#include <sys/resource.h>

#include <QImage>
#include <QString>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>

#include "deblur.h"
#include "deconvolution_stage.h"
#include "fft_engine.h"
#include "image.h"
#include "kernel_estimation_stage.h"
#include "picture_conversion.h"

namespace {

constexpr int kUsageError = 2;
constexpr int kWriteError = 1;

struct Options {
    std::string input;
    std::string output;
    std::string kernelOut;
    std::string knownKernel;
    bool automatic = true;
    int32_t kernelHeight = 0;
    int32_t kernelWidth = 0;
    uint32_t quality = 1;
    bool denoise = false;
    bool dering = false;
    imgproc::Processor processor = imgproc::Processor::Auto;
};

const char* const kUsage =
    "usage: deblur_file INPUT OUTPUT [--kernel-out K.txt] [--auto | --kernel H W | "
    "--known-kernel K.txt] [--quality 1|2|3] [--denoise] [--dering] "
    "[--processor cpu|gpu|auto]";

[[noreturn]] void fail(int status, const std::string& message) {
    std::cerr << "deblur_file: " << message << std::endl;
    std::exit(status);
}

std::optional<long> parseInteger(const std::string& text) {
    if (text.empty()) return std::nullopt;
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (*end != '\0') return std::nullopt;
    return value;
}

Options parseArguments(int argc, char** argv) {
    Options options;
    int positional = 0;
    int modes = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](const char* what) -> std::string {
            if (i + 1 >= argc) fail(kUsageError, std::string(what) + " needs a value; " + kUsage);
            return argv[++i];
        };
        if (arg == "--auto") {
            options.automatic = true;
            ++modes;
        } else if (arg == "--kernel") {
            const auto h = parseInteger(value("--kernel"));
            const auto w = parseInteger(value("--kernel"));
            if (!h || !w || *h < 1 || *w < 1 || *h > 10000 || *w > 10000) {
                fail(kUsageError, "--kernel needs two positive integers H W");
            }
            options.automatic = false;
            options.kernelHeight = static_cast<int32_t>(*h);
            options.kernelWidth = static_cast<int32_t>(*w);
            ++modes;
        } else if (arg == "--known-kernel") {
            options.knownKernel = value("--known-kernel");
            options.automatic = false;
            ++modes;
        } else if (arg == "--kernel-out") {
            options.kernelOut = value("--kernel-out");
        } else if (arg == "--quality") {
            const auto q = parseInteger(value("--quality"));
            if (!q || *q < 1 || *q > 3) fail(kUsageError, "--quality must be 1, 2 or 3");
            options.quality = static_cast<uint32_t>(*q);
        } else if (arg == "--denoise") {
            options.denoise = true;
        } else if (arg == "--dering") {
            options.dering = true;
        } else if (arg == "--processor") {
            const std::string p = value("--processor");
            if (p == "cpu") {
                options.processor = imgproc::Processor::Cpu;
            } else if (p == "gpu") {
                options.processor = imgproc::Processor::Gpu;
            } else if (p == "auto") {
                options.processor = imgproc::Processor::Auto;
            } else {
                fail(kUsageError, "--processor must be cpu, gpu or auto");
            }
        } else if (arg.rfind("--", 0) == 0) {
            fail(kUsageError, "unknown option " + arg + "; " + kUsage);
        } else if (positional == 0) {
            options.input = arg;
            ++positional;
        } else if (positional == 1) {
            options.output = arg;
            ++positional;
        } else {
            fail(kUsageError, "too many arguments; " + std::string(kUsage));
        }
    }
    if (positional != 2) fail(kUsageError, kUsage);
    if (modes > 1) fail(kUsageError, "choose one of --auto, --kernel and --known-kernel");
    return options;
}

imgproc::Image readKernel(const std::string& path) {
    std::ifstream file(path);
    if (!file) fail(kUsageError, "cannot read kernel " + path);
    long rows = 0;
    long cols = 0;
    if (!(file >> rows >> cols) || rows < 1 || cols < 1 || rows > 10000 || cols > 10000) {
        fail(kUsageError, "kernel " + path + " does not start with its rows and columns");
    }
    imgproc::Image kernel(static_cast<int32_t>(rows), static_cast<int32_t>(cols), 1);
    for (long i = 0; i < rows * cols; ++i) {
        if (!(file >> kernel.data[i])) fail(kUsageError, "kernel " + path + " is incomplete");
    }
    return kernel;
}

bool writeKernel(const std::string& path, const imgproc::Image& kernel) {
    std::ofstream file(path);
    if (!file) return false;
    file << kernel.height << " " << kernel.width << "\n";
    file.precision(9);
    for (int y = 0; y < kernel.height; ++y) {
        for (int x = 0; x < kernel.width; ++x) {
            if (x > 0) file << " ";
            file << kernel.data[y * kernel.width + x];
        }
        file << "\n";
    }
    return static_cast<bool>(file);
}

}  // namespace

int main(int argc, char** argv) {
    const Options options = parseArguments(argc, argv);

    QImage picture;
    if (!picture.load(QString::fromStdString(options.input)) || picture.isNull()) {
        fail(kUsageError, "cannot read picture " + options.input);
    }
    imgproc::Image kernel;
    if (!options.knownKernel.empty()) kernel = readKernel(options.knownKernel);

    imgproc::initFFTThreads();
    imgproc::Image input;
    qImageToImage(picture, input);
    imgproc::Image output;
    int32_t progress = 0;

    const auto start = std::chrono::steady_clock::now();
    if (options.knownKernel.empty()) {
        imgproc::deblurImage(input, options.kernelHeight, options.kernelWidth, &progress, output,
                             kernel, options.quality, options.dering, options.denoise,
                             options.automatic, options.processor, 1.0f, 0.0004f, 1.0f);
    } else {
        imgproc::deconvolveImage(input, kernel, options.quality, options.dering, options.denoise,
                                 imgproc::usableProcessor(options.processor), 0.0004f, output,
                                 &progress);
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    QImage result;
    imageToQImage(output, result);
    if (!result.save(QString::fromStdString(options.output))) {
        fail(kWriteError, "cannot write picture " + options.output);
    }
    if (!options.kernelOut.empty() && !writeKernel(options.kernelOut, kernel)) {
        fail(kWriteError, "cannot write kernel " + options.kernelOut);
    }

    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    std::fprintf(stderr, "deblur_file: %d x %d x %d, kernel %d x %d, %.3f s, peak memory %.1f MB\n",
                 input.width, input.height, input.channels, kernel.height, kernel.width, seconds,
                 static_cast<double>(usage.ru_maxrss) / 1024.0);
    return 0;
}
