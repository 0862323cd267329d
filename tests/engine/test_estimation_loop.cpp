// The per-level estimation loop and the kernel-estimation stage around it:
// iteration schedule, skipped levels, progress and the sizes handed back.
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
using testsupport::isCentredImpulse;
using testsupport::sumOf;

// The photograph stretched to the wanted size (values in [0, 1], real edges).
Image photograph(int rows, int cols) {
    Image picture;
    imgproc::resize(testsupport::readNetpbm(testsupport::dataPath("camera.pgm")), rows, cols, picture);
    return picture;
}

// Runs the prepared estimator and returns its log lines.
std::vector<std::string> runLogged(KernelEstimator& estimator, int32_t& progress, float share,
                                   bool automatic) {
    ::testing::internal::CaptureStdout();
    estimator.run(1.0f, 40.0f, 0.002f, 0.07f, &progress, share, automatic);
    return testsupport::splitLines(::testing::internal::GetCapturedStdout());
}

TEST(LevelIterations, FollowTheScheduleFromCoarsestToFinest) {
    const struct {
        int levels;
        unsigned quality;
        std::vector<int> iterations;  // coarsest first
    } table[] = {
        {1, 1, {5}},
        {1, 3, {9}},
        {2, 1, {9, 5}},
        {2, 2, {11, 7}},
        {2, 3, {13, 9}},
        {5, 1, {9, 9, 8, 7, 5}},
        {5, 2, {11, 10, 9, 8, 7}},
        {5, 3, {13, 12, 11, 10, 9}},
        {8, 1, {9, 9, 8, 8, 7, 7, 6, 5}},
        {8, 2, {11, 11, 10, 10, 9, 8, 8, 7}},
        {8, 3, {13, 13, 12, 11, 10, 10, 9, 9}},
        {10, 1, {9, 9, 9, 8, 8, 7, 7, 7, 6, 5}},
        {10, 2, {11, 11, 10, 10, 9, 9, 8, 8, 7, 7}},
        {10, 3, {13, 13, 12, 12, 11, 10, 10, 9, 9, 9}},
    };
    for (const auto& row : table) {
        std::vector<int> got;
        for (int l = row.levels - 1; l >= 0; --l) {
            got.push_back(imgproc::levelIterations(l, row.levels, row.quality));
        }
        EXPECT_EQ(got, row.iterations) << "L = " << row.levels << ", q = " << row.quality;
    }
}

// Stand-in steps: prediction records the block it is given and chooses both
// thresholds when asked; the kernel takes the number of its iteration; the
// latent update sets every pixel to the next of `latents` (times the pixel
// count, as the real update leaves it).
struct ScriptedLevel {
    std::vector<imgproc::PredictionParams> seen;
    std::vector<float> latents;
    int kernelUpdates = 0;
    int latentUpdates = 0;

    imgproc::LevelSteps steps() {
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
        steps.updateLatent = [this](const Image& kernel, Image& update) {
            (void)kernel;
            const float value = latents[static_cast<size_t>(latentUpdates++)] * 100.0f;
            update = Image(10, 10, 2);
            for (size_t i = 0; i < update.size(); ++i) update.data[i] = (i % 2 == 0) ? value : 0.0f;
        };
        return steps;
    }
};

TEST(LevelIterationsRun, ThresholdsDecayAndTheCutDropsToZeroFromTheSixthIteration) {
    ScriptedLevel level;
    level.latents.assign(7, 0.5f);
    Image kernel(3, 3, 1), latent = testsupport::makeImage(10, 10, 1, std::vector<float>(100, 0.5f));
    imgproc::iterateLevel(level.steps(), imgproc::PredictionParams{}, 7, false, kernel, latent);

    ASSERT_EQ(level.seen.size(), 7u);
    // Chosen in the first iteration as 0.5 and 0.04, then times 0.9 and 0.7.
    const float gradient[7] = {-1.0f, 0.45f, 0.405f, 0.3645f, 0.32805f, 0.295245f, 0.2657205f};
    const float cut[7] = {-100.0f, 0.028f, 0.0196f, 0.01372f, 0.009604f, 0.0f, 0.0f};
    float sigma = 1.8f;
    for (int i = 0; i < 7; ++i) {
        EXPECT_FLOAT_EQ(level.seen[i].gradientThreshold, gradient[i]) << i;
        EXPECT_FLOAT_EQ(level.seen[i].scaleMapCut, cut[i]) << i;
        EXPECT_FLOAT_EQ(level.seen[i].blurSigma, sigma) << i;
        sigma *= 0.9f;
    }
    EXPECT_FLOAT_EQ(level.seen[6].shockStep, 0.531441f);  // 0.9^6
}

TEST(LevelIterationsRun, RejectedUpdateOnTheFinestLevelKeepsThisKernelAndThePreviousLatent) {
    // Iteration 0 leaves every pixel below 0 where it was 0.5: accepted, since
    // the check starts with iteration 1. Iteration 2 puts every pixel above 1
    // where it was 0.3: rejected, and the level ends.
    for (bool finest : {true, false}) {
        ScriptedLevel level;
        level.latents = {-1.0f, 0.3f, 2.0f, 0.6f, 0.7f};
        Image kernel(3, 3, 1), latent = testsupport::makeImage(10, 10, 1, std::vector<float>(100, 0.5f));
        imgproc::iterateLevel(level.steps(), imgproc::PredictionParams{}, 5, finest, kernel, latent);
        EXPECT_EQ(level.kernelUpdates, finest ? 3 : 5);
        EXPECT_EQ(kernel.data[4], finest ? 2.0f : 4.0f);
        EXPECT_FLOAT_EQ(latent.data[37], finest ? 0.3f : 0.7f);
    }
}

TEST(EstimationLoop, AutomaticSizeSkipsTheCoarsestLevelOf750x1000) {
    KernelEstimator estimator(photograph(750, 1000), 0.618f, 1, true);
    estimator.prepare(1.0f);
    ASSERT_EQ(estimator.levels, 10);

    int32_t progress = 99;
    const std::vector<std::string> log = runLogged(estimator, progress, 0.5f, true);

    ASSERT_GE(log.size(), 6u);
    const std::vector<std::string> head(log.begin(), log.begin() + 6);
    EXPECT_EQ(head, (std::vector<std::string>{"Level: 9", "\tskip", "Level: 8",
                                              "\tKernel size: 5*5", "\tImage size: 15*21",
                                              "\tNumber of iterations: 9"}));
    EXPECT_EQ(log.size(), 2u + 9u * 4u);
    EXPECT_EQ(log[log.size() - 4], "Level: 0");
    EXPECT_EQ(log[log.size() - 2], "\tImage size: 750*1000");
    EXPECT_EQ(log.back(), "\tNumber of iterations: 5");
    EXPECT_EQ(estimator.levels, 9);
    EXPECT_EQ(imgproc::loadProgress(&progress), 50);

    const Image& kernel = estimator.kernels[0];
    EXPECT_EQ(std::pair(kernel.height % 2, kernel.width % 2), std::pair(1, 1));
    EXPECT_NEAR(sumOf(kernel), 1.0, 1e-4);
    // The estimator keeps the finest level's engine for its destructor.
    ASSERT_NE(estimator.engine, nullptr);
    EXPECT_EQ(estimator.engine->rows, 750);
    EXPECT_EQ(estimator.engine->cols, 1000);
}

TEST(EstimationLoop, LevelsTooSmallForTheFiltersAreSkipped) {
    // 20 x 20 with a 5 x 5 kernel: levels 2 (7 x 7) and 1 (12 x 12) are too
    // small and the last level starts from the picture; at 14 x 14 every level
    // is skipped and the kernel stays the centred impulse.
    const struct {
        int side;
        unsigned quality;
        int levels, progress;
        std::vector<std::string> log;
    } cases[] = {
        {20, 3, 1, 70, {"Level: 2", "\tskip", "Level: 1", "\tskip", "Level: 0", "\tKernel size: 5*5",
                        "\tImage size: 20*20", "\tNumber of iterations: 9"}},
        {14, 1, 0, 0, {"Level: 1", "\tskip", "Level: 0", "\tskip"}},
    };
    for (const auto& c : cases) {
        KernelEstimator estimator(photograph(c.side, c.side), 0.618f, c.quality, true);
        estimator.prepare(1.0f);
        int32_t progress = 42;
        EXPECT_EQ(runLogged(estimator, progress, 0.7f, true), c.log) << c.side;
        EXPECT_EQ(estimator.levels, c.levels);
        EXPECT_EQ(imgproc::loadProgress(&progress), c.progress);
        ASSERT_EQ(estimator.kernels[0].height, c.levels ? 5 : 3);
        EXPECT_EQ(isCentredImpulse(estimator.kernels[0]), c.levels == 0);
    }
}

TEST(EstimationLoop, GivenSizeSkipsLevelsSmallerThanTheFilters) {
    // 40 x 40 with 9 x 9: levels 0..3 of 40, 24, 15, 9 and a 4 x 4 level 4.
    KernelEstimator estimator(photograph(40, 40), 9, 9, 0.618f, 1, true);
    estimator.prepare(1.0f);
    ASSERT_EQ(estimator.levels, 4);
    // A finer level that cannot hold its kernel is skipped too, and the
    // finest kernel then follows the finest one estimated.
    estimator.images[0] = photograph(4, 4);

    int32_t progress = 0;
    const std::vector<std::string> log = runLogged(estimator, progress, 0.7f, false);

    ASSERT_EQ(log.size(), 3u * 4u + 2u);
    EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + 4),
              (std::vector<std::string>{"Level: 3", "\tKernel size: 3*3", "\tImage size: 9*9",
                                        "\tNumber of iterations: 9"}));
    EXPECT_EQ(log[12] + log[13], "Level: 0\tskip");
    EXPECT_EQ(estimator.levels, 3);
    // Level 0 is skipped after the others, so L stays 4 up to level 1:
    // trunc((3/4)^2 * 100 * 0.7) = 39.
    EXPECT_EQ(imgproc::loadProgress(&progress), 39);
    EXPECT_EQ(estimator.kernels[0].height, 9);
    EXPECT_NEAR(sumOf(estimator.kernels[0]), 1.0, 1e-4);
}

TEST(KernelEstimationStage, ProgressShares) {
    EXPECT_DOUBLE_EQ(imgproc::kernelEstimationShare(999, 999), 1000000.0 / 1996002.0);
    EXPECT_DOUBLE_EQ(imgproc::kernelEstimationShare(1000, 1000), 0.5);
    EXPECT_DOUBLE_EQ(imgproc::kernelEstimationShare(600, 600), 0.7);
    EXPECT_DOUBLE_EQ(imgproc::kernelEstimationShare(4000, 3000), 1000000.0 / 24000000.0);
    EXPECT_DOUBLE_EQ(imgproc::kernelEstimationShare(2000, 1500), 1.0 / 6.0);
}

TEST(KernelEstimationStage, KernelSidesGrowBackToThePicturesResolution) {
    const float third = static_cast<float>(1000.0 / 3000.0);
    EXPECT_EQ(imgproc::fullResolutionKernelSide(25, third), 75);
    EXPECT_EQ(imgproc::fullResolutionKernelSide(31, third), 93);
    EXPECT_EQ(imgproc::fullResolutionKernelSide(17, 1.0f), 17);
    EXPECT_EQ(imgproc::fullResolutionKernelSide(4, 0.5f), 9);
}

TEST(KernelEstimationStage, LargePictureIsEstimatedAtReducedResolution) {
    // 3000 wide, 2000 high: worked at 1000 x 666, the given 19 x 19 becomes 6 x 6
    // (estimated as 7 x 7) and comes back as 19 x 19.
    const Image picture = photograph(2000, 3000);
    Image kernel;
    int32_t progress = 0;
    ::testing::internal::CaptureStdout();
    imgproc::estimateKernel(picture, 19, 19, kernel, 1, false, imgproc::Processor::Cpu, 1.0f,
                            1.0f, &progress);
    const std::vector<std::string> log = testsupport::splitLines(::testing::internal::GetCapturedStdout());

    ASSERT_GE(log.size(), 8u);
    EXPECT_EQ(log[3], "--- Blur image size: 2000*3000");
    EXPECT_EQ(log[5], "--- Kernel size: 19*19");
    EXPECT_EQ(log[log.size() - 6], "Level: 0");
    EXPECT_EQ(log[log.size() - 5], "\tKernel size: 7*7");
    EXPECT_EQ(log[log.size() - 4], "\tImage size: 666*1000");
    EXPECT_EQ(log[log.size() - 2], "End of kernel estimation.");
    EXPECT_EQ(log.back(), "");
    // trunc(100 * 1,000,000 / 12,000,000)
    EXPECT_EQ(imgproc::loadProgress(&progress), 8);
    EXPECT_EQ(std::pair(kernel.height, kernel.width), std::pair(19, 19));
    EXPECT_NEAR(sumOf(kernel), 1.0, 1e-5);
}

}  // namespace
