#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <random>
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

namespace {

Image randomImage(int rows, int cols, unsigned seed, float low = 0.0f, float high = 1.0f) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> dist(low, high);
    std::vector<float> values(static_cast<size_t>(rows) * cols);
    for (float& v : values) v = dist(rng);
    return makeImage(rows, cols, 1, values);
}

Image unitKernel(int rows, int cols) {
    std::vector<float> values(static_cast<size_t>(rows) * cols, 0.0f);
    values[values.size() / 2] = 1.0f;
    return makeImage(rows, cols, 1, values);
}

// An estimator whose engine has the level picture's size, as the level loop
// sets it up before the updates run.
struct Level {
    imgproc::KernelEstimator estimator;
    Level(const Image& picture)
        : estimator(picture, 5, 5, 0.618f, 1, true) {
        estimator.engine = imgproc::createFFTEngine("FFTW", picture.height, picture.width);
    }
};

}  // namespace

TEST(ComputeScaleMap, WindowFollowsSixTenthsOfTheKernelSideMadeOdd) {
    imgproc::EstimationWorkspace workspace;
    workspace.blurredDx = randomImage(40, 45, 1, -0.5f, 0.5f);
    workspace.blurredDy = randomImage(40, 45, 2, -0.5f, 0.5f);
    // Kernel sides 3, 5, 7, 9, 11, 31 give windows 1, 3, 5, 5, 7, 19; rows
    // and columns are chosen independently.
    const int sides[][2] = {{3, 31}, {5, 11}, {7, 9}, {9, 7}, {11, 5}, {31, 3}};
    const int windows[][2] = {{1, 19}, {3, 7}, {5, 5}, {5, 5}, {7, 3}, {19, 1}};
    for (int t = 0; t < 6; ++t) {
        Image map;
        imgproc::computeScaleMap(workspace, sides[t][0], sides[t][1], map);
        const int wy = windows[t][0], wx = windows[t][1];
        Image a1, a2, a3, a4;
        imgproc::boxFilter(workspace.blurredDx, wy, wx, a1);
        imgproc::boxFilter(workspace.blurredDy, wy, wx, a2);
        imgproc::boxFilter(workspace.blurredDx.abs(), wy, wx, a3);
        imgproc::boxFilter(workspace.blurredDy.abs(), wy, wx, a4);
        const Image expected =
            (a1.mul(a1) + a2.mul(a2)).sqrt().div((a3.mul(a3) + a4.mul(a4)).sqrt() + 1.0f);
        ASSERT_EQ(map.width, 45);
        ASSERT_EQ(map.height, 40);
        for (int i = 0; i < 40 * 45; ++i) {
            ASSERT_EQ(map.data[i], expected.data[i]) << "sides " << sides[t][0] << "x"
                                                     << sides[t][1] << " pixel " << i;
            ASSERT_GE(map.data[i], 0.0f);
            ASSERT_LT(map.data[i], 1.0f);
        }
    }
}

TEST(ComputeScaleMap, ThreeByThreeKernelIsPerPixel) {
    imgproc::EstimationWorkspace workspace;
    workspace.blurredDx = randomImage(20, 30, 3, -1.0f, 1.0f);
    workspace.blurredDy = randomImage(20, 30, 4, -1.0f, 1.0f);
    Image map;
    imgproc::computeScaleMap(workspace, 3, 3, map);
    for (int i = 0; i < 600; ++i) {
        const double gx = workspace.blurredDx.data[i], gy = workspace.blurredDy.data[i];
        const double g = std::sqrt(gx * gx + gy * gy);
        EXPECT_NEAR(map.data[i], g / (g + 1.0), 2e-4);  // summed-area rounding
    }
}

TEST(IsLatentUpdateValid, TwentyPercentIsTheLimit) {
    const int n = 100;
    const Image latent = makeImage(10, 10, 1, std::vector<float>(n, 0.5f));
    // Two channels, not divided by the pixel count.
    auto update = [&](int crossing) {
        Image r(10, 10, 2);
        for (int i = 0; i < n; ++i) {
            r.data[2 * i] = (i < crossing ? (i % 2 ? 1.5f : -0.5f) : 0.5f) * n;
            r.data[2 * i + 1] = 0.0f;
        }
        return r;
    };
    EXPECT_TRUE(imgproc::isLatentUpdateValid(update(20), latent));
    EXPECT_FALSE(imgproc::isLatentUpdateValid(update(21), latent));
    EXPECT_TRUE(imgproc::isLatentUpdateValid(update(21), Image()));
}

TEST(IsLatentUpdateValid, PixelsAlreadyNearTheBoundDoNotCount) {
    const int n = 10;
    Image r(1, 10, 2);
    for (int i = 0; i < n; ++i) {
        r.data[2 * i] = (i < 5 ? 1.2f : -0.2f) * n;
        r.data[2 * i + 1] = 0.0f;
    }
    // 0.95 above 1 and 0.05 below 0 do not count; 0.9f and 0.1f do (they lie
    // just below 0.9 and just above 0.1).
    Image latent = makeImage(1, 10, 1, {0.95f, 0.95f, 0.95f, 0.95f, 0.9f,
                                        0.05f, 0.05f, 0.05f, 0.05f, 0.05f});
    EXPECT_TRUE(imgproc::isLatentUpdateValid(r, latent));  // 1 of 10
    latent.data[5] = 0.1f;
    latent.data[6] = 0.1f;
    EXPECT_FALSE(imgproc::isLatentUpdateValid(r, latent));  // 3 of 10
}

TEST(PrepareSpectra, FilterPowersAtKnownFrequencies) {
    const int rows = 24, cols = 30;
    const Image picture = randomImage(rows, cols, 9);
    Level level(picture);
    imgproc::EstimationWorkspace workspace;
    level.estimator.prepareSpectra(picture, unitKernel(5, 5), workspace);

    const double pi = std::acos(-1.0);
    for (int v = 0; v < rows; ++v)
        for (int u = 0; u < cols; ++u) {
            const int i = v * cols + u;
            const double cu = std::cos(2 * pi * u / cols), cv = std::cos(2 * pi * v / rows);
            const double g = 4 - 2 * cu - 2 * cv;
            const double second = (2 - 2 * cu) * (2 - 2 * cu) + (2 - 2 * cv) * (2 - 2 * cv) +
                                  (2 - 2 * cu) * (2 - 2 * cv);
            ASSERT_NEAR(workspace.gradientPower.data[2 * i], g, 1e-4);
            ASSERT_EQ(workspace.gradientPower.data[2 * i + 1], 0.0f);
            ASSERT_NEAR(workspace.weightedPower.data[2 * i], 1 + 0.5 * g + 0.25 * second, 1e-4);
            ASSERT_EQ(workspace.weightedPower.data[2 * i + 1], 0.0f);
        }
    EXPECT_EQ(workspace.gradientPower.data[0], 0.0f);
    EXPECT_EQ(workspace.weightedPower.data[0], 1.0f);

    // The differences are those of the tapered picture; with a one-pixel
    // kernel the taper changes nothing but rounding.
    Image gx, gy;
    imgproc::forwardGradient(picture, gx, gy);
    for (int i = 0; i < rows * cols; ++i) {
        ASSERT_NEAR(workspace.blurredDx.data[i], gx.data[i], 1e-5);
        ASSERT_NEAR(workspace.blurredDy.data[i], gy.data[i], 1e-5);
    }
    EXPECT_EQ(workspace.blurredSpectrum.channels, 2);
    EXPECT_EQ(workspace.blurredDxSpectrum.channels, 2);
    EXPECT_EQ(workspace.blurredDySpectrum.channels, 2);
}

TEST(UpdateKernel, ZeroGradientsGiveAZeroKernelOfTheKernelsSize) {
    const Image picture = randomImage(32, 40, 13);
    Level level(picture);
    imgproc::EstimationWorkspace workspace;
    level.estimator.prepareSpectra(picture, unitKernel(7, 7), workspace);
    const Image zero = makeImage(32, 40, 1, std::vector<float>(32 * 40, 0.0f));
    Image kernel(9, 7, 1);
    level.estimator.updateKernel(workspace, zero, zero, 40.0f, kernel);
    ASSERT_EQ(kernel.height, 9);
    ASSERT_EQ(kernel.width, 7);
    EXPECT_EQ(kernel.channels, 1);
    for (int i = 0; i < 63; ++i) EXPECT_NEAR(kernel.data[i], 0.0f, 1e-7f);
}

TEST(UpdateKernel, RecoversAShiftRelativeToTheCentre) {
    // The blurred picture is the sharp one moved 1 row down and 2 columns
    // right, i.e. blurred with a one-pixel kernel displaced by (+1, +2).
    const int rows = 64, cols = 64;
    Image sharp = randomImage(rows, cols, 17);
    imgproc::boxFilter(sharp, 3, 3, sharp);
    Image blurred;
    imgproc::circShift(sharp, 1, 2, blurred);
    Level level(blurred);
    imgproc::EstimationWorkspace workspace;
    level.estimator.prepareSpectra(blurred, unitKernel(7, 7), workspace);
    Image px, py;
    imgproc::forwardGradient(sharp, px, py);
    Image kernel(7, 9, 1);
    level.estimator.updateKernel(workspace, px, py, 0.01f, kernel);
    ASSERT_EQ(kernel.height, 7);
    ASSERT_EQ(kernel.width, 9);
    int best = 0;
    for (int i = 1; i < 63; ++i)
        if (kernel.data[i] > kernel.data[best]) best = i;
    EXPECT_EQ(best / 9, 7 / 2 + 1);
    EXPECT_EQ(best % 9, 9 / 2 + 2);
    EXPECT_GT(kernel.data[best], 0.5f);
}

TEST(UpdateLatent, KeepsTheTaperedPicturesSumAndInvertsAOnePixelKernel) {
    const int rows = 36, cols = 28;
    const Image picture = randomImage(rows, cols, 19);
    Level level(picture);
    imgproc::EstimationWorkspace workspace;
    std::vector<float> blur(9, 1.0f / 9.0f);
    level.estimator.prepareSpectra(picture, makeImage(3, 3, 1, blur), workspace);

    // Zero frequency: gradient power 0, weighted power 1, so a kernel that
    // sums to 1 keeps the sum of the tapered picture.
    Image kernel = makeImage(3, 3, 1, {0.1f, 0.2f, 0.0f, 0.0f, 0.4f, 0.1f, 0.0f, 0.1f, 0.1f});
    Image result;
    level.estimator.updateLatent(workspace, kernel, rows, cols, 0.002f, result);
    ASSERT_EQ(result.channels, 2);
    ASSERT_EQ(result.height, rows);
    ASSERT_EQ(result.width, cols);
    const double n = rows * cols;
    double sum = 0.0;
    for (int i = 0; i < rows * cols; ++i) sum += result.data[2 * i] / n;
    EXPECT_NEAR(sum, workspace.blurredSpectrum.data[0], 1e-2);

    // A one-pixel kernel and a tiny smoothness weight give back the tapered
    // picture, whose differences the workspace holds.
    level.estimator.updateLatent(workspace, unitKernel(5, 5), rows, cols, 1e-7f, result);
    Image latent(rows, cols, 1);
    for (int i = 0; i < rows * cols; ++i) latent.data[i] = result.data[2 * i] / static_cast<float>(n);
    Image gx, gy;
    imgproc::forwardGradient(latent, gx, gy);
    for (int i = 0; i < rows * cols; ++i) {
        ASSERT_NEAR(gx.data[i], workspace.blurredDx.data[i], 1e-3);
        ASSERT_NEAR(gy.data[i], workspace.blurredDy.data[i], 1e-3);
    }
}
