#include "kernel_estimation_stage.h"

#include <algorithm>
#include <iostream>
#include <memory>

#include "color.h"
#include "cufft_engine.h"
#include "geometry.h"
#include "kernel_estimator.h"

namespace imgproc {

namespace {

constexpr float kPyramidScale = 0.618f;
constexpr float kKernelSmoothTerm = 40.0f;
constexpr float kDeconvolutionSmoothTerm = 0.002f;
constexpr float kKernelCutThreshold = 0.07f;
constexpr int32_t kLongestWorkingSide = 1000;

void logParameters(const Image& input, int32_t kernelHeight, int32_t kernelWidth,
                   uint32_t quality, bool estimateKernelSize, Processor processor,
                   float scaleMapThreshold, float gammaCorrection) {
    std::cout << "Using " << (processor == Processor::Cpu ? "CPU" : "GPU") << "..." << std::endl;
    std::cout << "Start kernel estimation..." << std::endl;
    std::cout << "------------------------Kernel estimation parameters------------------------"
              << std::endl;
    std::cout << "--- Blur image size: " << input.height << "*" << input.width << std::endl;
    std::cout << "--- Estimate kernel size: " << (estimateKernelSize ? "true" : "false")
              << std::endl;
    if (!estimateKernelSize) {
        std::cout << "--- Kernel size: " << kernelHeight << "*" << kernelWidth << std::endl;
    }
    std::cout << "--- Scale factor for pyramid construction: " << kPyramidScale << std::endl;
    std::cout << "--- Quality: " << quality << std::endl;
    std::cout << "--- Input image gamma correction: " << gammaCorrection << std::endl;
    std::cout << "--- Scale map threshold: " << scaleMapThreshold << std::endl;
    std::cout << "--- Kernel smooth term coefficient: " << kKernelSmoothTerm << std::endl;
    std::cout << "--- Deconvolution smooth term coefficient: " << kDeconvolutionSmoothTerm
              << std::endl;
    std::cout << "--- Kernel cut threshold: " << kKernelCutThreshold << std::endl;
    std::cout << "----------------------------------------------------------------------------"
              << std::endl;
}

}  // namespace

int32_t fullResolutionKernelSide(int32_t side, float s) {
    const int32_t grown = static_cast<int32_t>(static_cast<float>(side) / s);
    return 2 * (grown / 2) + 1;
}

double kernelEstimationShare(int32_t width, int32_t height) {
    const double r = 1000000.0 / (2.0 * static_cast<double>(width) * static_cast<double>(height));
    return r <= 0.7 ? r : 0.7;
}

Processor usableProcessor(Processor processor) {
    if (processor == Processor::Cpu) return Processor::Cpu;
    if (!builtWithCuda() || !cudaDeviceAvailable()) return Processor::Cpu;
    CUFFTEngine trial(8, 8);
    return trial.isReady() ? processor : Processor::Cpu;
}

bool estimateKernelChecked(const Image& input, int32_t kernelHeight, int32_t kernelWidth,
                           Image& kernel, uint32_t quality, bool estimateKernelSize,
                           Processor processor, float scaleMapThreshold, float gammaCorrection,
                           int32_t* progress) {
    if (input.width <= 0 || input.height <= 0) {
        kernel = Image();
        return false;
    }
    processor = usableProcessor(processor);
    logParameters(input, kernelHeight, kernelWidth, quality, estimateKernelSize, processor,
                  scaleMapThreshold, gammaCorrection);

    const int32_t width = input.width;
    const int32_t height = input.height;
    const float share = static_cast<float>(kernelEstimationShare(width, height));

    // The estimator copies whatever it is given, so a picture small enough to
    // work on directly is handed over as it is.
    float s = 1.0f;
    Image reduced;
    const Image* working = &input;
    const int32_t longer = std::max(width, height);
    if (longer >= kLongestWorkingSide) {
        s = static_cast<float>(static_cast<double>(kLongestWorkingSide) / longer);
        resize(input, static_cast<int32_t>(static_cast<float>(height) * s),
               static_cast<int32_t>(static_cast<float>(width) * s), reduced);
        working = &reduced;
    }

    const bool useFFTW = processor == Processor::Cpu;
    const int32_t workingHeight = static_cast<int32_t>(static_cast<float>(kernelHeight) * s);
    const int32_t workingWidth = static_cast<int32_t>(static_cast<float>(kernelWidth) * s);
    std::unique_ptr<KernelEstimator> estimator;
    if (estimateKernelSize) {
        estimator = std::make_unique<KernelEstimator>(*working, kPyramidScale, quality, useFFTW);
    } else {
        estimator = std::make_unique<KernelEstimator>(*working, workingHeight, workingWidth,
                                                      kPyramidScale, quality, useFFTW);
    }
    reduced = Image();

    estimator->prepare(gammaCorrection);
    estimator->run(scaleMapThreshold, kKernelSmoothTerm, kDeconvolutionSmoothTerm,
                   kKernelCutThreshold, progress, share, estimateKernelSize);

    const Image& finest = estimator->kernels[0];
    int32_t outHeight = fullResolutionKernelSide(finest.height, s);
    int32_t outWidth = fullResolutionKernelSide(finest.width, s);
    if (!estimateKernelSize) {
        // The user's size is handed back even where the picture could only
        // hold a smaller one; a size of no pixels would leave nothing to
        // deconvolve with, so the estimated side stands for it.
        if (kernelHeight >= 1) outHeight = kernelHeight;
        if (kernelWidth >= 1) outWidth = kernelWidth;
    }

    const bool estimated = estimator->levels > 0;
    if (estimated) {
        resize(finest, outHeight, outWidth, kernel);
        normalizeSum(kernel, kernel);
    } else {
        kernel = Image(outHeight, outWidth, 1);
        const size_t count = static_cast<size_t>(outHeight) * outWidth;
        std::fill(kernel.data, kernel.data + count, 0.0f);
        kernel.data[count / 2] = 1.0f;
    }
    estimator.reset();

    std::cout << "End of kernel estimation." << std::endl;
    std::cout << std::endl;
    return estimated;
}

void estimateKernel(const Image& input, int32_t kernelHeight, int32_t kernelWidth, Image& kernel,
                    uint32_t quality, bool estimateKernelSize, Processor processor,
                    float scaleMapThreshold, float gammaCorrection, int32_t* progress) {
    estimateKernelChecked(input, kernelHeight, kernelWidth, kernel, quality, estimateKernelSize,
                          processor, scaleMapThreshold, gammaCorrection, progress);
}

}  // namespace imgproc
