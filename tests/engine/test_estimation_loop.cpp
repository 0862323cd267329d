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
using testsupport::sumOf;
using Lines = std::vector<std::string>;

// The photograph stretched to the wanted size (values in [0, 1], real edges).
Image photograph(int rows, int cols) {
    Image picture;
    imgproc::resize(testsupport::readNetpbm(testsupport::dataPath("camera.pgm")), rows, cols, picture);
    return picture;
}

// Runs the prepared estimator and returns its log lines.
Lines runLogged(KernelEstimator& estimator, int32_t& progress, float share, bool automatic) {
    ::testing::internal::CaptureStdout();
    estimator.run(1.0f, 40.0f, 0.002f, 0.07f, &progress, share, automatic);
    return testsupport::splitLines(::testing::internal::GetCapturedStdout());
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
        steps.updateLatent = [this](const Image&, Image& update) {
            const float value = latents[static_cast<size_t>(latentUpdates++)] * 100.0f;
            update = Image(10, 10, 2);
            for (size_t i = 0; i < update.size(); ++i) update.data[i] = (i % 2 == 0) ? value : 0.0f;
        };
        return steps;
    }

    void run(int iterations, bool finest, Image& kernel, Image& latent) {
        kernel = Image(3, 3, 1);
        latent = testsupport::makeImage(10, 10, 1, std::vector<float>(100, 0.5f));
        imgproc::iterateLevel(steps(), imgproc::PredictionParams{}, iterations, finest, kernel, latent);
    }
};

TEST(LevelIterationsRun, ThresholdsDecayAndTheCutDropsToZeroFromTheSixthIteration) {
    ScriptedLevel level;
    level.latents.assign(7, 0.5f);
    Image kernel, latent;
    level.run(7, false, kernel, latent);

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

TEST(LevelIterationsRun, FinestLevelEndsAtTheFirstRejectedUpdateFromTheSecondIterationOn) {
    // Every pixel was 0.5 and becomes `latents[i]`: a value above 1 where the
    // old one was below 0.9 (or below 0 where it was above 0.1) is rejected.
    // A rejection keeps that iteration's kernel and the latent image before it.
    const struct { bool finest; std::vector<float> latents; int kernelUpdates; float latent; } cases[] = {
        {true, {-1.0f, 2.0f, 0.6f, 0.7f, 0.8f}, 2, 0.0f},   // the first update is never checked
        {true, {0.2f, 0.3f, -1.0f, 0.7f, 0.8f}, 3, 0.3f},
        {true, {0.2f, 0.3f, 0.4f, 0.7f, 1.5f}, 5, 0.7f},
        {false, {-1.0f, 2.0f, 0.6f, 0.7f, 0.8f}, 5, 0.8f},  // coarser levels accept everything
    };
    for (const auto& c : cases) {
        ScriptedLevel level;
        level.latents = c.latents;
        Image kernel, latent;
        level.run(5, c.finest, kernel, latent);
        EXPECT_EQ(level.kernelUpdates, c.kernelUpdates) << c.latents[1];
        EXPECT_EQ(kernel.data[4], c.kernelUpdates - 1.0f) << c.latents[1];
        EXPECT_FLOAT_EQ(latent.data[37], c.latent) << c.latents[1];
    }
}

TEST(EstimationLoop, LevelsTooSmallAreSkippedAndTheProgressFollowsTheRest) {
    // Automatic size: levels below 15 pixels are skipped (750 x 1000 has 9 x 13
    // and 15 x 21 as its coarsest levels). 20 x 20 with a 5 x 5 kernel: levels
    // 2 (7 x 7) and 1 (12 x 12) are skipped and the last level starts from the
    // picture; at 14 x 14 every level is, and the kernel stays the centred impulse.
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
    // 40 x 40 with 9 x 9: levels 0..3 of 40, 24, 15, 9 and a 4 x 4 level 4.
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
    // Level 0 is skipped after the others, so L stays 4 up to level 1:
    // trunc((3/4)^2 * 100 * 0.7) = 39.
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

struct StageCase {
    int rows, cols, kernelRows, kernelCols;
    const char *working, *picture;  // finest level's kernel and picture sizes
    int progress;
};

void PrintTo(const StageCase& c, std::ostream* os) { *os << c.rows << "x" << c.cols; }

class KernelEstimationStageSizes : public ::testing::TestWithParam<StageCase> {};

TEST_P(KernelEstimationStageSizes, GivenSizeIsWorkedOnPerAxisAndHandedBack) {
    const StageCase& c = GetParam();
    Image kernel;
    int32_t progress = 0;
    ::testing::internal::CaptureStdout();
    imgproc::estimateKernel(photograph(c.rows, c.cols), c.kernelRows, c.kernelCols, kernel, 1, false,
                            imgproc::Processor::Cpu, 1.0f, 1.0f, &progress);
    const Lines log = testsupport::splitLines(::testing::internal::GetCapturedStdout());

    const auto size = [](int rows, int cols) { return std::to_string(rows) + "*" + std::to_string(cols); };
    EXPECT_TRUE(testsupport::contains(log, "--- Blur image size: " + size(c.rows, c.cols)));
    EXPECT_TRUE(testsupport::contains(log, "--- Kernel size: " + size(c.kernelRows, c.kernelCols)));
    const auto finest = std::find(log.begin(), log.end(), "Level: 0");
    ASSERT_LT(finest + 2, log.end());
    EXPECT_EQ(finest[1] + finest[2], std::string("\tKernel size: ") + c.working + "\tImage size: " + c.picture);
    EXPECT_EQ(imgproc::loadProgress(&progress), c.progress);
    EXPECT_EQ(std::pair(kernel.height, kernel.width), std::pair(c.kernelRows, c.kernelCols));
    EXPECT_NEAR(sumOf(kernel), 1.0, 1e-5);
}

INSTANTIATE_TEST_SUITE_P(
    Stage, KernelEstimationStageSizes,
    ::testing::Values(
        // Small enough to work on as it is: 9 high, 15 wide throughout.
        StageCase{60, 90, 9, 15, "9*15", "60*90", 70},
        // 3000 wide, 2000 high: worked at 1000 x 666, the given 19 x 19 becomes
        // 6 x 6 (estimated as 7 x 7); progress trunc(100 * 1,000,000 / 12,000,000).
        StageCase{2000, 3000, 19, 19, "7*7", "666*1000", 8}));

}  // namespace
