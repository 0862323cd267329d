#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "geometry.h"
#include "kernel_estimation_stage.h"
#include "kernel_estimator.h"
#include "level_iterations.h"
#include "progress.h"
#include "test_support.h"

namespace {

using imgproc::Image;
using imgproc::KernelEstimator;
using testsupport::Lines;
using testsupport::sumOf;

// The photograph stretched to the wanted size: values in [0, 1] and real edges.
Image photograph(int rows, int cols) {
    Image picture;
    imgproc::resize(testsupport::readNetpbm(testsupport::dataPath("camera.pgm")), rows, cols, picture);
    return picture;
}

Lines runLogged(KernelEstimator& estimator, int32_t& progress, float share, bool automatic) {
    return testsupport::logOf([&] { estimator.run(1.0f, 40.0f, 0.002f, 0.07f, &progress, share, automatic); });
}

TEST(LevelIterations, FollowTheScheduleFromCoarsestToFinest) {
    const struct { int levels; unsigned quality; std::vector<int> iterations; } table[] = {  // coarsest first
        {1, 1, {5}}, {1, 3, {9}}, {2, 2, {11, 7}}, {5, 1, {9, 9, 8, 7, 5}}, {5, 3, {13, 12, 11, 10, 9}},
        {8, 2, {11, 11, 10, 10, 9, 8, 8, 7}}, {10, 1, {9, 9, 9, 8, 8, 7, 7, 7, 6, 5}},
    };
    for (const auto& row : table) {
        std::vector<int> got;
        for (int l = row.levels - 1; l >= 0; --l) got.push_back(imgproc::levelIterations(l, row.levels, row.quality));
        EXPECT_EQ(got, row.iterations) << "L = " << row.levels << ", q = " << row.quality;
    }
}

// Stand-in steps: prediction records its block and chooses both thresholds when asked; the kernel takes the number
// of its iteration; the latent update sets every pixel to the next of `latents` (times the pixel count).
struct ScriptedLevel {
    std::vector<imgproc::PredictionParams> seen;
    std::vector<float> latents;
    int kernelUpdates = 0;
    int latentUpdates = 0;

    void run(bool finest, Image& kernel, Image& latent) {
        imgproc::LevelSteps steps;
        steps.predict = [this](imgproc::PredictionParams& params, const Image& latent, Image& px, Image& py) {
            seen.push_back(params);
            if (params.gradientThreshold <= 0.0f) params.gradientThreshold = 0.5f;
            if (params.scaleMapCut < -10.0f) params.scaleMapCut = 0.04f;
            params.blurSigma = 100.0f;  // the loop keeps its own running values
            px = Image(latent.height, latent.width, 1);
            py = px;
        };
        steps.updateKernel = [this](const Image&, const Image&, Image& kernel) {
            std::fill(kernel.data, kernel.data + kernel.size(), static_cast<float>(kernelUpdates++));
        };
        steps.updateLatent = [this](const Image&, Image& update) {
            update = testsupport::makeImage(10, 10, 2, {});
            for (size_t i = 0; i < update.size(); i += 2) update.data[i] = latents[latentUpdates] * 100.0f;
            ++latentUpdates;
        };
        kernel = Image(3, 3, 1);
        latent = testsupport::makeImage(10, 10, 1, std::vector<float>(100, 0.5f));
        imgproc::iterateLevel(steps, imgproc::PredictionParams{}, static_cast<int>(latents.size()), finest, kernel,
                              latent);
    }
};

TEST(LevelIterationsRun, ThresholdsDecayAndOnlyTheFinestLevelRejectsUpdatesFromTheSecondOn) {
    // Every pixel was 0.5 and becomes latents[i]; a rejection keeps that iteration's kernel and the latent before it.
    const struct { bool finest; std::vector<float> latents; int kernelUpdates; float latent; } cases[] = {
        {true, {-1.0f, 2.0f, 0.6f, 0.7f, 0.8f}, 2, 0.0f},  // the first update is never checked
        {true, {0.2f, 0.3f, -1.0f, 0.7f, 0.8f}, 3, 0.3f},
        {true, {0.2f, 0.3f, 0.4f, 0.7f, 1.5f}, 5, 0.7f},
        {false, {-1.0f, 2.0f, 0.6f, 0.7f, 0.8f, 0.9f, 0.2f}, 7, 0.2f},  // coarser levels accept everything
    };
    for (const auto& c : cases) {
        ScriptedLevel level;
        level.latents = c.latents;
        Image kernel, latent;
        level.run(c.finest, kernel, latent);
        EXPECT_EQ(level.kernelUpdates, c.kernelUpdates) << c.latents[1];
        EXPECT_EQ(kernel.data[4], c.kernelUpdates - 1.0f) << c.latents[1];
        EXPECT_FLOAT_EQ(latent.data[37], c.latent) << c.latents[1];
        if (c.finest) continue;
        // Chosen in the first iteration as 0.5 and 0.04, then times 0.9 and 0.7; the cut is 0 from the sixth on.
        const float gradient[7] = {-1.0f, 0.45f, 0.405f, 0.3645f, 0.32805f, 0.295245f, 0.2657205f};
        const float cut[7] = {-100.0f, 0.028f, 0.0196f, 0.01372f, 0.009604f, 0.0f, 0.0f};
        float sigma = 1.8f;
        for (int i = 0; i < 7; ++i, sigma *= 0.9f) {
            EXPECT_FLOAT_EQ(level.seen[i].gradientThreshold, gradient[i]) << i;
            EXPECT_FLOAT_EQ(level.seen[i].scaleMapCut, cut[i]) << i;
            EXPECT_FLOAT_EQ(level.seen[i].blurSigma, sigma) << i;
        }
        EXPECT_FLOAT_EQ(level.seen[6].shockStep, 0.531441f);  // 0.9^6
    }
}

TEST(EstimationLoop, LevelsTooSmallAreSkippedAndTheProgressFollowsTheRest) {
    // Automatic size skips levels below 15 pixels: 750 x 1000 starts at 15 x 21; 20 x 20 skips 7 x 7 and 12 x 12 and
    // starts from the picture; 14 x 14 skips every level and keeps the centred impulse.
    const struct { int rows, cols; unsigned quality; float share; int levels, progress; Lines head; } cases[] = {
        {750, 1000, 1, 0.5f, 9, 50,
         {"Level: 9", "\tskip", "Level: 8", "\tKernel size: 5*5", "\tImage size: 15*21", "\tNumber of iterations: 9"}},
        {20, 20, 3, 0.7f, 1, 70, {"Level: 2", "\tskip", "Level: 1", "\tskip", "Level: 0", "\tKernel size: 5*5",
                                  "\tImage size: 20*20", "\tNumber of iterations: 9"}},
        {14, 14, 1, 0.7f, 0, 0, {"Level: 1", "\tskip", "Level: 0", "\tskip"}},
    };
    for (const auto& c : cases) {
        KernelEstimator estimator(photograph(c.rows, c.cols), 0.618f, c.quality, true);
        estimator.prepare(1.0f);
        int32_t progress = 42;
        const Lines log = runLogged(estimator, progress, c.share, true);
        ASSERT_GE(log.size(), c.head.size());
        EXPECT_EQ(Lines(log.begin(), log.begin() + c.head.size()), c.head) << c.rows;
        EXPECT_EQ(estimator.levels, c.levels);
        EXPECT_EQ(imgproc::loadProgress(&progress), c.progress);
        EXPECT_NEAR(sumOf(estimator.kernels[0]), 1.0, 1e-4);
        EXPECT_EQ(testsupport::isCentredImpulse(estimator.kernels[0]), c.levels == 0);
    }
}

TEST(EstimationLoop, FinerLevelTooSmallForItsKernelFollowsTheFinestEstimated) {
    // 40 x 40 with 9 x 9: levels of 40, 24, 15 and 9, the finest then replaced by a 4 x 4 picture.
    KernelEstimator estimator(photograph(40, 40), 9, 9, 0.618f, 1, true);
    estimator.prepare(1.0f);
    ASSERT_EQ(estimator.levels, 4);
    estimator.images[0] = photograph(4, 4);
    int32_t progress = 0;
    const Lines log = runLogged(estimator, progress, 0.7f, false);
    ASSERT_EQ(log.size(), 3u * 4u + 2u);
    EXPECT_EQ(Lines(log.begin(), log.begin() + 4),
              (Lines{"Level: 3", "\tKernel size: 3*3", "\tImage size: 9*9", "\tNumber of iterations: 9"}));
    EXPECT_EQ(log[12] + log[13], "Level: 0\tskip");
    EXPECT_EQ(estimator.levels, 3);
    // Level 0 is skipped after the others, so L stays 4 up to level 1: trunc((3/4)^2 * 100 * 0.7) = 39.
    EXPECT_EQ(imgproc::loadProgress(&progress), 39);
    EXPECT_EQ(estimator.kernels[0].height, 9);
    EXPECT_NEAR(sumOf(estimator.kernels[0]), 1.0, 1e-4);
}

TEST(KernelEstimationStage, ProgressShareAndKernelSidesAtFullResolution) {
    // A million pixels fill half the bar; fewer fill at most 0.7.
    EXPECT_NEAR(imgproc::kernelEstimationShare(999, 999), 0.501, 1e-3);
    EXPECT_DOUBLE_EQ(imgproc::kernelEstimationShare(1000, 1000), 0.5);
    EXPECT_DOUBLE_EQ(imgproc::kernelEstimationShare(600, 600), 0.7);
    EXPECT_DOUBLE_EQ(imgproc::kernelEstimationShare(4000, 3000), 1.0 / 24.0);
    EXPECT_DOUBLE_EQ(imgproc::kernelEstimationShare(2000, 1500), 1.0 / 6.0);
    const float third = static_cast<float>(1000.0 / 3000.0);
    EXPECT_EQ(imgproc::fullResolutionKernelSide(25, third), 75);
    EXPECT_EQ(imgproc::fullResolutionKernelSide(31, third), 93);
    EXPECT_EQ(imgproc::fullResolutionKernelSide(17, 1.0f), 17);
    EXPECT_EQ(imgproc::fullResolutionKernelSide(4, 0.5f), 9);
}

TEST(KernelEstimationStage, GivenSizeIsWorkedOnPerAxisAndHandedBack) {
    // 60 x 90 is worked on as it is. 2000 x 3000 is worked at 666 x 1000, where the given 19 x 19 becomes 6 x 6
    // (estimated as 7 x 7); its progress is trunc(100 * 1,000,000 / 12,000,000).
    const struct { int rows, cols, kernelRows, kernelCols; const char *working, *picture; int progress; } cases[] = {
        {60, 90, 9, 15, "9*15", "60*90", 70}, {2000, 3000, 19, 19, "7*7", "666*1000", 8}};
    const auto size = [](int rows, int cols) { return std::to_string(rows) + "*" + std::to_string(cols); };
    for (const auto& c : cases) {
        Image kernel;
        int32_t progress = 0;
        const Lines log = testsupport::logOf([&] {
            imgproc::estimateKernel(photograph(c.rows, c.cols), c.kernelRows, c.kernelCols, kernel, 1, false,
                                    imgproc::Processor::Cpu, 1.0f, 1.0f, &progress);
        });
        EXPECT_TRUE(testsupport::contains(log, "--- Blur image size: " + size(c.rows, c.cols)));
        EXPECT_TRUE(testsupport::contains(log, "--- Kernel size: " + size(c.kernelRows, c.kernelCols)));
        const auto finest = std::find(log.begin(), log.end(), "Level: 0");
        ASSERT_LT(finest + 2, log.end());
        EXPECT_EQ(finest[1] + finest[2], std::string("\tKernel size: ") + c.working + "\tImage size: " + c.picture);
        EXPECT_EQ(imgproc::loadProgress(&progress), c.progress) << c.rows;
        EXPECT_EQ(std::pair(kernel.height, kernel.width), std::pair(c.kernelRows, c.kernelCols));
        EXPECT_NEAR(sumOf(kernel), 1.0, 1e-5);
    }
}

}  // namespace
