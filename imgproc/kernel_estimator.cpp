#include "kernel_estimator.h"

#include <algorithm>
#include <cmath>

#include "color.h"
#include "geometry.h"

namespace imgproc {

namespace {

// Largest odd number not above `value` (at least 1).
int32_t largestOddAtMost(int32_t value) {
    if (value < 1) return 1;
    return (value % 2 == 0) ? value - 1 : value;
}

}  // namespace

KernelEstimator::KernelEstimator(const Image& image, int kernelHeight, int kernelWidth,
                                 float scale, unsigned quality, bool useFFTW)
    : image(image),
      kernelHeight(kernelHeight),
      kernelWidth(kernelWidth),
      quality(quality),
      scale(scale),
      engineName(useFFTW ? "FFTW" : "CUFFT") {}

KernelEstimator::KernelEstimator(const Image& image, float scale, unsigned quality, bool useFFTW)
    : image(image),
      kernelHeight((image.height / 5) / 2 * 2 + 1),
      kernelWidth((image.width / 5) / 2 * 2 + 1),
      quality(quality),
      scale(scale),
      engineName(useFFTW ? "FFTW" : "CUFFT") {}

KernelEstimator::~KernelEstimator() {
    delete engine;
    engine = nullptr;
}

int32_t pyramidLevelCount(int32_t largestKernelSide, float scale) {
    const float m = static_cast<float>(largestKernelSide);
    const float logM = static_cast<float>(std::log(static_cast<double>(m)));
    const float logScale = static_cast<float>(std::log(static_cast<double>(scale)));
    const double value =
        (std::log(3.0) - static_cast<double>(logM)) / static_cast<double>(logScale) + 1.0;
    return static_cast<int32_t>(std::ceil(value));
}

void buildPyramid(const Image& grey, std::vector<Image>& images, int levels, float scale) {
    images.resize(static_cast<size_t>(std::max(levels, 0)));
    if (levels < 1) return;
    grey.copyTo(images[0]);
    float p = 1.0f;
    for (int l = 1; l < levels; ++l) {
        p *= scale;
        const int32_t height = static_cast<int32_t>(static_cast<float>(grey.height) * p);
        const int32_t width = static_cast<int32_t>(static_cast<float>(grey.width) * p);
        resize(grey, height, width, images[l]);
    }
}

void KernelEstimator::initKernelSizes(float scale, int levels) {
    float p = 1.0f;
    for (int l = 0; l < levels; ++l) {
        if (l > 0) p *= scale;
        int32_t h = static_cast<int32_t>(std::ceil(static_cast<float>(kernelHeight) * p));
        int32_t w = static_cast<int32_t>(std::ceil(static_cast<float>(kernelWidth) * p));
        if (h < 3) h = 3;
        if (w < 3) w = 3;
        if (h % 2 == 0) ++h;
        if (w % 2 == 0) ++w;
        kernels.emplace_back(h, w, 1);
    }
}

void KernelEstimator::prepare(float gammaCorrection) {
    Image grey;
    if (image.channels == 1) {
        applyGamma(image, grey, gammaCorrection);
    } else {
        rgbToGray(image, grey, gammaCorrection);
    }

    // A side of no pixels leaves nothing to estimate: the smallest kernel
    // stands for it. A side longer than its own axis of the picture would
    // have the finest level skipped and read beyond the picture, so only
    // there is it brought down to the largest odd size the axis holds; every
    // other side stands as given (each level's kernel is made odd and at
    // least 3 on its own).
    if (kernelHeight < 1) kernelHeight = 3;
    if (kernelWidth < 1) kernelWidth = 3;
    kernelHeight = std::min(kernelHeight, largestOddAtMost(grey.height));
    kernelWidth = std::min(kernelWidth, largestOddAtMost(grey.width));

    // A 1 x 1 kernel would give no level at all; one 3 x 3 level estimates it.
    const int32_t largest = std::max(kernelHeight, kernelWidth);
    levels = largest > 1 ? pyramidLevelCount(largest, scale) : 1;
    buildPyramid(grey, images, levels, scale);
    initKernelSizes(scale, levels);
}

}  // namespace imgproc
