#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <tuple>
#include <vector>

#include "edge_prediction.h"
#include "fft_engine.h"
#include "geometry.h"
#include "gradients.h"
#include "kernel_estimator.h"
#include "kernel_updates.h"
#include "test_support.h"

using imgproc::Image;
using testsupport::makeImage;
using testsupport::randomImage;

namespace {

// An estimator with an engine of the level picture's size and the level's workspace, as the level loop sets them
// up; the start kernel is a centred impulse, so the taper changes nothing.
struct Level {
    imgproc::KernelEstimator estimator;
    imgproc::EstimationWorkspace workspace;
    explicit Level(const Image& picture) : estimator(picture, 5, 5, 0.618f, 1, true) {
        estimator.engine = imgproc::createFFTEngine("FFTW", picture.height, picture.width);
        estimator.prepareSpectra(picture, makeImage(1, 1, 1, {1.0f}), workspace);
    }
};

}  // namespace

TEST(ComputeScaleMap, WindowIsSixTenthsOfTheKernelSideMadeOdd) {
    // One gradient pixel (0.3, -0.4): the map is (0.5 / n) / (0.5 / n + 1) exactly over the window of n pixels.
    imgproc::EstimationWorkspace workspace;
    workspace.blurredDx = makeImage(40, 45, 1, {});
    workspace.blurredDy = makeImage(40, 45, 1, {});
    workspace.blurredDx.data[20 * 45 + 22] = 0.3f;
    workspace.blurredDy.data[20 * 45 + 22] = -0.4f;
    // Sides 3, 5, 7, 9, 11, 31 give windows 1, 3, 5, 5, 7, 19, rows and columns apart.
    const int cases[][4] = {{3, 31, 1, 19}, {5, 11, 3, 7}, {7, 9, 5, 5}, {31, 3, 19, 1}};
    for (const auto& c : cases) {
        Image map;
        imgproc::computeScaleMap(workspace, c[0], c[1], map);
        ASSERT_EQ(std::pair(map.height, map.width), std::pair(40, 45));
        int rows = 0, cols = 0;
        for (int y = 0; y < 40; ++y) rows += map.data[y * 45 + 22] > 0.0f;
        for (int x = 0; x < 45; ++x) cols += map.data[20 * 45 + x] > 0.0f;
        EXPECT_EQ(std::pair(rows, cols), std::pair(c[2], c[3])) << c[0] << "x" << c[1];
        EXPECT_NEAR(map.data[20 * 45 + 22], 0.5 / (0.5 + c[2] * c[3]), 1e-6) << c[0] << "x" << c[1];
    }
}

TEST(IsLatentUpdateValid, TwentyPercentIsTheLimit) {
    // The update has two channels and is not yet divided by the pixel count.
    const auto update = [](std::vector<float> values) {
        values.resize(10, 0.5f);
        Image r = makeImage(1, 10, 2, {});
        for (size_t i = 0; i < 10; ++i) r.data[2 * i] = values[i] * 10;
        return r;
    };
    // 2 of 10 leave [0, 1] where the old value was 0.5; a third is too many.
    const Image half = makeImage(1, 10, 1, std::vector<float>(10, 0.5f));
    EXPECT_TRUE(imgproc::isLatentUpdateValid(update({1.5f, -0.5f}), half));
    EXPECT_FALSE(imgproc::isLatentUpdateValid(update({1.5f, -0.5f, 2.0f}), half));
    // Old values near the bound do not count, but 0.9f and 0.1f lie just inside 0.9 and 0.1 and do.
    const Image pushed = update({1.2f, 1.2f, 1.2f, 1.2f, 1.2f, -0.2f, -0.2f, -0.2f, -0.2f, -0.2f});
    Image old = makeImage(1, 10, 1, {0.95f, 0.95f, 0.95f, 0.95f, 0.9f, 0.05f, 0.05f, 0.05f, 0.05f, 0.05f});
    EXPECT_TRUE(imgproc::isLatentUpdateValid(pushed, old));  // 1 of 10
    old.data[5] = old.data[6] = 0.1f;
    EXPECT_FALSE(imgproc::isLatentUpdateValid(pushed, old));  // 3 of 10
}

TEST(PrepareSpectra, FilterPowersMatchTheirClosedFormsAndThePictureIsTransformed) {
    const int rows = 12, cols = 15;
    const Image picture = randomImage(rows, cols, 1, 9);
    Level level(picture);
    const imgproc::EstimationWorkspace& w = level.workspace;
    const auto spectrum = testsupport::naiveDft(picture);
    const double pi = std::acos(-1.0);
    for (int v = 0; v < rows; ++v)
        for (int u = 0; u < cols; ++u) {
            const int i = v * cols + u;
            const double a = 2 - 2 * std::cos(2 * pi * u / cols), b = 2 - 2 * std::cos(2 * pi * v / rows);
            ASSERT_NEAR(w.gradientPower.data[2 * i], a + b, 1e-4);
            ASSERT_NEAR(w.weightedPower.data[2 * i], 1 + 0.5 * (a + b) + 0.25 * (a * a + b * b + a * b), 1e-4);
            ASSERT_EQ(w.weightedPower.data[2 * i + 1], 0.0f);
            ASSERT_NEAR(w.blurredSpectrum.data[2 * i], spectrum[i].real(), 1e-4);
            ASSERT_NEAR(w.blurredSpectrum.data[2 * i + 1], spectrum[i].imag(), 1e-4);
        }
    Image dx, dy;
    imgproc::forwardGradient(picture, dx, dy);
    EXPECT_LT(testsupport::maxAbsDiff(w.blurredDx, dx) + testsupport::maxAbsDiff(w.blurredDy, dy), 1e-6);
}

TEST(UpdateKernel, FindsTheDisplacementAndVanishesWithoutGradients) {
    // The sharp picture moved 1 row down and 2 columns right: a one-pixel kernel displaced by (+1, +2).
    Image sharp = randomImage(64, 64, 1, 17), blurred, px, py;
    imgproc::boxFilter(sharp, 3, 3, sharp);
    imgproc::circShift(sharp, 1, 2, blurred);
    Level level(blurred);
    imgproc::forwardGradient(sharp, px, py);
    Image kernel(7, 9, 1);
    level.estimator.updateKernel(level.workspace, px, py, 0.01f, kernel);
    ASSERT_EQ(std::pair(kernel.height, kernel.width), std::pair(7, 9));
    const int best = static_cast<int>(std::max_element(kernel.data, kernel.data + 63) - kernel.data);
    EXPECT_EQ(best, (3 + 1) * 9 + (4 + 2));
    EXPECT_GT(kernel.data[best], 0.5f);

    const Image zero = makeImage(64, 64, 1, {});
    level.estimator.updateKernel(level.workspace, zero, zero, 40.0f, kernel);
    ASSERT_EQ(std::pair(kernel.height, kernel.width), std::pair(7, 9));
    EXPECT_LT(testsupport::maxAbsDiff(kernel, makeImage(7, 9, 1, {})), 1e-7);
}

TEST(UpdateLatent, SolvesTheWeightedNormalEquationsAtEveryFrequency) {
    // X minimises sum D |K X - B|^2 + lambda G |X|^2 (the workspace's powers D and G and spectrum B), so
    // D conj(K) (K X - B) + lambda G X = 0 at every frequency; a lopsided kernel makes K complex.
    const int rows = 6, cols = 5;
    const float lambda = 0.05f;
    Level level(randomImage(rows, cols, 1, 19));
    const Image kernel = makeImage(3, 3, 1, {0.1f, 0.2f, 0, 0, 0.4f, 0.1f, 0, 0.1f, 0.1f});
    Image result;
    level.estimator.updateLatent(level.workspace, kernel, rows, cols, lambda, result);
    ASSERT_EQ(std::tuple(result.height, result.width, result.channels), std::tuple(rows, cols, 2));

    Image placed = makeImage(rows, cols, 1, {});  // the kernel moved so that its centre is at the origin
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x)
            placed.data[((y + rows - 1) % rows) * cols + (x + cols - 1) % cols] = kernel.data[y * 3 + x];
    const auto K = testsupport::naiveDft(placed);
    const auto X = testsupport::naiveDft(result);  // the update is not yet divided by the pixel count
    const imgproc::EstimationWorkspace& w = level.workspace;
    for (int n = 0; n < rows * cols; ++n) {
        const double D = w.weightedPower.data[2 * n], G = w.gradientPower.data[2 * n];
        const std::complex<double> B(w.blurredSpectrum.data[2 * n], w.blurredSpectrum.data[2 * n + 1]);
        const std::complex<double> x = X[n] / double(rows * cols);
        const std::complex<double> residual = D * std::conj(K[n]) * (K[n] * x - B) + double(lambda) * G * x;
        EXPECT_LT(std::abs(residual), 1e-4 * (std::abs(D * std::conj(K[n]) * B) + 1e-3)) << "frequency " << n;
    }
}
