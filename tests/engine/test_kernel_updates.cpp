#include <gtest/gtest.h>

#include <cmath>
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

Image unitKernel(int rows, int cols) {
    Image kernel = makeImage(rows, cols, 1, {});
    kernel.data[kernel.size() / 2] = 1.0f;
    return kernel;
}

// An estimator with an engine of the level picture's size and the level's
// workspace, as the level loop sets them up.
struct Level {
    imgproc::KernelEstimator estimator;
    imgproc::EstimationWorkspace workspace;
    Level(const Image& picture, const Image& startKernel)
        : estimator(picture, 5, 5, 0.618f, 1, true) {
        estimator.engine = imgproc::createFFTEngine("FFTW", picture.height, picture.width);
        estimator.prepareSpectra(picture, startKernel, workspace);
    }
};

}  // namespace

TEST(ComputeScaleMap, WindowIsSixTenthsOfTheKernelSideMadeOdd) {
    // One gradient pixel: the map is non-zero exactly over the window around it.
    imgproc::EstimationWorkspace workspace;
    workspace.blurredDx = makeImage(40, 45, 1, {});
    workspace.blurredDx.data[20 * 45 + 22] = 0.5f;
    workspace.blurredDy = makeImage(40, 45, 1, {});
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
        for (size_t i = 0; i < map.size(); ++i) ASSERT_TRUE(map.data[i] >= 0.0f && map.data[i] < 1.0f);
    }
}

TEST(IsLatentUpdateValid, TwentyPercentIsTheLimit) {
    // The update has two channels and is not yet divided by the pixel count.
    auto update = [](int crossing) {
        Image r(10, 10, 2);
        for (int i = 0; i < 100; ++i) {
            r.data[2 * i] = (i < crossing ? (i % 2 ? 1.5f : -0.5f) : 0.5f) * 100;
            r.data[2 * i + 1] = 0.0f;
        }
        return r;
    };
    const Image latent = makeImage(10, 10, 1, std::vector<float>(100, 0.5f));
    EXPECT_TRUE(imgproc::isLatentUpdateValid(update(20), latent));
    EXPECT_FALSE(imgproc::isLatentUpdateValid(update(21), latent));

    // Old values near the bound do not count, but 0.9f and 0.1f lie just
    // below 0.9 and just above 0.1 and do.
    Image r(1, 10, 2);
    for (int i = 0; i < 10; ++i) {
        r.data[2 * i] = (i < 5 ? 1.2f : -0.2f) * 10;
        r.data[2 * i + 1] = 0.0f;
    }
    Image old = makeImage(1, 10, 1, {0.95f, 0.95f, 0.95f, 0.95f, 0.9f, 0.05f, 0.05f, 0.05f, 0.05f, 0.05f});
    EXPECT_TRUE(imgproc::isLatentUpdateValid(r, old));  // 1 of 10
    old.data[5] = old.data[6] = 0.1f;
    EXPECT_FALSE(imgproc::isLatentUpdateValid(r, old));  // 3 of 10
}

TEST(PrepareSpectra, FilterPowersMatchTheirClosedForms) {
    const int rows = 24, cols = 30;
    const Image picture = randomImage(rows, cols, 1, 9);
    Level level(picture, unitKernel(5, 5));
    const double pi = std::acos(-1.0);
    for (int v = 0; v < rows; ++v)
        for (int u = 0; u < cols; ++u) {
            const int i = v * cols + u;
            const double a = 2 - 2 * std::cos(2 * pi * u / cols), b = 2 - 2 * std::cos(2 * pi * v / rows);
            ASSERT_NEAR(level.workspace.gradientPower.data[2 * i], a + b, 1e-4);
            ASSERT_NEAR(level.workspace.weightedPower.data[2 * i],
                        1 + 0.5 * (a + b) + 0.25 * (a * a + b * b + a * b), 1e-4);
            ASSERT_EQ(level.workspace.weightedPower.data[2 * i + 1], 0.0f);
        }
    EXPECT_EQ(level.workspace.weightedPower.data[0], 1.0f);
}

TEST(UpdateKernel, SizeZeroGradientsAndDisplacement) {
    // The blurred picture is the sharp one moved 1 row down and 2 columns
    // right: a one-pixel kernel displaced by (+1, +2) from the centre.
    Image sharp = randomImage(64, 64, 1, 17);
    imgproc::boxFilter(sharp, 3, 3, sharp);
    Image blurred;
    imgproc::circShift(sharp, 1, 2, blurred);
    Level level(blurred, unitKernel(7, 7));

    Image px, py;
    imgproc::forwardGradient(sharp, px, py);
    Image kernel(7, 9, 1);
    level.estimator.updateKernel(level.workspace, px, py, 0.01f, kernel);
    ASSERT_EQ(std::pair(kernel.height, kernel.width), std::pair(7, 9));
    int best = 0;
    for (int i = 1; i < 63; ++i)
        if (kernel.data[i] > kernel.data[best]) best = i;
    EXPECT_EQ(best, (3 + 1) * 9 + (4 + 2));
    EXPECT_GT(kernel.data[best], 0.5f);

    const Image zero = makeImage(64, 64, 1, std::vector<float>(64 * 64, 0.0f));
    level.estimator.updateKernel(level.workspace, zero, zero, 40.0f, kernel);
    ASSERT_EQ(std::pair(kernel.height, kernel.width), std::pair(7, 9));
    for (int i = 0; i < 63; ++i) EXPECT_NEAR(kernel.data[i], 0.0f, 1e-7f);
}

TEST(UpdateLatent, KeepsTheTaperedPicturesSum) {
    const int rows = 36, cols = 28;
    Level level(randomImage(rows, cols, 1, 19), makeImage(3, 3, 1, std::vector<float>(9, 1.0f / 9)));
    // At zero frequency the gradient power is 0 and the weighted power 1.
    const Image kernel = makeImage(3, 3, 1, {0.1f, 0.2f, 0, 0, 0.4f, 0.1f, 0, 0.1f, 0.1f});
    Image result;
    level.estimator.updateLatent(level.workspace, kernel, rows, cols, 0.002f, result);
    ASSERT_EQ(std::tuple(result.height, result.width, result.channels), std::tuple(rows, cols, 2));
    double sum = 0.0;
    for (int i = 0; i < rows * cols; ++i) sum += result.data[2 * i] / (rows * cols);
    EXPECT_NEAR(sum, level.workspace.blurredSpectrum.data[0], 1e-2);
}
