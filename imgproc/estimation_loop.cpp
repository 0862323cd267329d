#include <algorithm>
#include <cmath>
#include <iostream>

#include "color.h"
#include "cufft_engine.h"
#include "edge_prediction.h"
#include "geometry.h"
#include "kernel_cleanup.h"
#include "kernel_estimator.h"
#include "kernel_updates.h"
#include "level_iterations.h"
#include "prediction_params.h"
#include "progress.h"

namespace imgproc {

namespace {

// The difference filters of the updates are five pixels long.
constexpr int32_t kSmallestLevelSide = 5;
// Automatic size: coarser levels carry too little structure to size a kernel.
constexpr int32_t kSmallestAutoLevelSide = 15;

void fillCentredImpulse(Image& kernel) {
    const size_t count = static_cast<size_t>(kernel.width) * kernel.height;
    std::fill(kernel.data, kernel.data + count, 0.0f);
    if (count > 0) kernel.data[count / 2] = 1.0f;
}

// Odd kernel side grown from the trimmed side of the coarser level.
int32_t grownKernelSide(int32_t trimmedSide, float scale, int32_t pictureSide) {
    int32_t side = static_cast<int32_t>(static_cast<float>(trimmedSide) / scale);
    if (side % 2 == 0) ++side;
    if (side < 3) side = 3;
    // Never outgrow the finer level's picture: that level would have to be
    // skipped after coarser ones were estimated.
    if (pictureSide >= 3 && side > pictureSide) {
        side = (pictureSide % 2 == 0) ? pictureSide - 1 : pictureSide;
    }
    return side;
}

}  // namespace

int32_t levelIterations(int32_t level, int32_t levels, uint32_t quality) {
    const int32_t q = static_cast<int32_t>(quality);
    if (level == 0) return 2 * q + 3;
    const double fraction =
        static_cast<double>((levels - level) - 1) / static_cast<double>(levels);
    return 2 * q + 7 - static_cast<int32_t>(std::floor(fraction * static_cast<double>(q + 3)));
}

void KernelEstimator::run(float scaleMapThreshold, float kernelSmoothTerm,
                          float deconvolutionSmoothTerm, float kernelCutThreshold,
                          int32_t* progress, float progressShare, bool estimateKernelSize) {
    storeProgress(progress, 0);

    Image keptLatent;
    int32_t coarserLevel = -1;  // index of the last level estimated, -1 before the first
    const int32_t firstLevel = levels - 1;

    for (int32_t l = firstLevel; l >= 0; --l) {
        const Image& B = images[l];
        const int32_t kh = kernels[l].height;
        const int32_t kw = kernels[l].width;
        const int32_t smaller = std::min(B.height, B.width);

        const bool tooSmall = (estimateKernelSize && smaller < kSmallestAutoLevelSide) ||
                              smaller < kSmallestLevelSide || B.height < kh || B.width < kw;
        if (tooSmall) {
            std::cout << "Level: " << l << std::endl;
            std::cout << "\tskip" << std::endl;
            --levels;
            continue;
        }

        const int32_t L = levels;

        Image K0;
        Image X;
        if (coarserLevel < 0) {
            K0 = Image(kh, kw, 1);
            fillCentredImpulse(K0);
            B.copyTo(X);
        } else {
            resize(kernels[coarserLevel], kh, kw, K0);
            clamp(K0, K0, 0.0f, 1.0f);
            normalizeSum(K0, K0);
            resize(keptLatent, B.height, B.width, X);
        }

        FFTEngine* fresh = createFFTEngine(engineName, B.height, B.width);
        const auto* cuda = dynamic_cast<const CUFFTEngine*>(fresh);
        if (fresh == nullptr || (cuda != nullptr && !cuda->isReady())) {
            // No usable device after all: the CPU engine computes the same transforms.
            delete fresh;
            engineName = "FFTW";
            fresh = createFFTEngine(engineName, B.height, B.width);
        }
        delete engine;
        engine = fresh;

        EstimationWorkspace workspace;
        prepareSpectra(B, K0, workspace);
        K0 = Image();

        Image S;
        computeScaleMap(workspace, kh, kw, S);

        const int32_t n = levelIterations(l, L, quality);

        PredictionParams params;
        params.kernelHeight = kernelHeight;
        params.kernelWidth = kernelWidth;
        params.scaleMapThreshold = scaleMapThreshold;
        params.blurSigma = 1.8f;
        params.shockStep = 1.0f;
        params.shockSpacing = 1.0f;
        params.shockIterations = 1;
        params.gradientThreshold = -1.0f;
        params.scaleMapCut = -100.0f;

        std::cout << "Level: " << l << std::endl;
        std::cout << "\tKernel size: " << kh << "*" << kw << std::endl;
        std::cout << "\tImage size: " << B.height << "*" << B.width << std::endl;
        std::cout << "\tNumber of iterations: " << n << std::endl;

        LevelSteps steps;
        steps.predict = [&S](PredictionParams& call, const Image& latent, Image& px, Image& py) {
            predictGradients(call, latent, S, px, py);
        };
        steps.updateKernel = [&](const Image& px, const Image& py, Image& kernel) {
            updateKernel(workspace, px, py, kernelSmoothTerm, kernel);
            cleanUpKernel(kernel, kernel, kernelCutThreshold);
        };
        steps.updateLatent = [&](const Image& kernel, Image& update) {
            updateLatent(workspace, kernel, B.height, B.width, deconvolutionSmoothTerm, update);
        };
        Image K(kh, kw, 1);
        iterateLevel(steps, params, n, l == 0, K, X);

        kernels[l] = std::move(K);
        keptLatent = std::move(X);
        coarserLevel = l;

        if (estimateKernelSize && l > 0) {
            trimKernel(kernels[l], kernels[l]);
            const Image& finer = images[l - 1];
            const int32_t nextHeight = grownKernelSide(kernels[l].height, scale, finer.height);
            const int32_t nextWidth = grownKernelSide(kernels[l].width, scale, finer.width);
            kernels[l - 1] = Image(nextHeight, nextWidth, 1);
        }

        const float done = static_cast<float>(L - l) / static_cast<float>(L);
        const float percent = done * done * 100.0f * progressShare;
        storeProgress(progress, static_cast<int32_t>(percent));
    }

    if (kernels.empty() || coarserLevel == 0) return;
    if (coarserLevel < 0) {
        // Nothing was estimated: hand back the kernel that leaves a picture as it is.
        fillCentredImpulse(kernels[0]);
    } else {
        // The finest level could not be estimated on: its kernel follows the
        // finest one that was, as a coarser kernel seeds a finer level.
        Image& finest = kernels[0];
        resize(kernels[coarserLevel], finest.height, finest.width, finest);
        clamp(finest, finest, 0.0f, 1.0f);
        normalizeSum(finest, finest);
    }
}

}  // namespace imgproc
