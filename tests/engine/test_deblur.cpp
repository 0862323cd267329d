// The engine entry end to end: real blurred photographs, pictures too small
// to estimate on, kernels too large for the picture, and the processor choice.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "deblur.h"
#include "kernel_cleanup.h"
#include "kernel_estimation_stage.h"
#include "progress.h"
#include "test_support.h"

namespace {

using imgproc::Image;

using testsupport::contains;
using testsupport::sumOf;

struct DeblurRun {
    Image output;
    Image kernel;
    int32_t progress = -7;
    std::vector<std::string> log;
};

DeblurRun deblur(const Image& input, int kernelHeight, int kernelWidth, bool automatic,
           imgproc::Processor processor = imgproc::Processor::Cpu, bool dering = false) {
    DeblurRun run;
    ::testing::internal::CaptureStdout();
    imgproc::deblurImage(input, kernelHeight, kernelWidth, &run.progress, run.output, run.kernel, 1,
                         dering, false, automatic, processor, 1.0f, 0.0004f, 1.0f);
    run.log = testsupport::splitLines(::testing::internal::GetCapturedStdout());
    return run;
}

bool allInUnitRange(const Image& image) {
    return std::all_of(image.data, image.data + image.size(), [](float v) { return v >= 0.0f && v <= 1.0f; });
}

struct PhotoCase {
    const char* picture;
    const char* kernel;
    bool automatic;
};

class DeblurPhotograph : public ::testing::TestWithParam<PhotoCase> {};

TEST_P(DeblurPhotograph, EstimatesASignificantKernelAndImprovesPsnr) {
    const PhotoCase& c = GetParam();
    const Image full = testsupport::readNetpbm(testsupport::dataPath(c.picture));
    const Image sharp = testsupport::cropTopLeft(full, 256, 256, (full.height - 256) / 2,
                                                 (full.width - 256) / 2);
    const Image trueKernel = testsupport::readKernelText(testsupport::dataPath(c.kernel));
    const Image blurred = testsupport::convolveReplicate(sharp, trueKernel);

    const DeblurRun run = deblur(blurred, trueKernel.height, trueKernel.width, c.automatic);

    EXPECT_TRUE(imgproc::isSignificantKernel(run.kernel));
    EXPECT_NEAR(sumOf(run.kernel), 1.0, 1e-4);
    EXPECT_EQ(std::pair(run.kernel.height % 2, run.kernel.width % 2), std::pair(1, 1));
    if (!c.automatic) {
        EXPECT_EQ(std::pair(run.kernel.height, run.kernel.width), std::pair(trueKernel.height, trueKernel.width));
    }
    ASSERT_EQ(std::tuple(run.output.height, run.output.width, run.output.channels),
              std::tuple(sharp.height, sharp.width, sharp.channels));
    EXPECT_TRUE(allInUnitRange(run.output));

    const double before = testsupport::psnr(blurred, sharp);
    const double after = testsupport::psnr(run.output, sharp);
    EXPECT_GT(after, before) << "blurred " << before << " dB, deblurred " << after << " dB";
    // A run that deconvolves fills the whole bar, less what truncation drops.
    EXPECT_GE(imgproc::loadProgress(&run.progress), 98);
    EXPECT_LE(imgproc::loadProgress(&run.progress), 100);
    EXPECT_TRUE(contains(run.log, "End of deconvolution."));
}

INSTANTIATE_TEST_SUITE_P(
    RealPhotographs, DeblurPhotograph,
    ::testing::Values(PhotoCase{"camera.pgm", "shake_01.txt", false},
                      PhotoCase{"camera.pgm", "shake_01.txt", true},
                      PhotoCase{"coffee.ppm", "shake_03.txt", false},
                      PhotoCase{"coffee.ppm", "shake_03.txt", true}),
    [](const auto& info) {
        std::string name = info.param.picture;
        name = name.substr(0, name.find('.'));
        return name + (info.param.automatic ? "Auto" : "Given");
    });

TEST(DeblurEntry, EmptyPictureGivesEmptyResultsAtOnce) {
    const DeblurRun run = deblur(Image(), 19, 19, true);
    EXPECT_EQ(run.output.size(), 0u);
    EXPECT_EQ(run.kernel.size(), 0u);
    EXPECT_EQ(run.progress, 0);
    EXPECT_TRUE(run.log.empty());
}

TEST(DeblurEntry, PictureTooSmallToEstimateIsReturnedUnchanged) {
    const Image full = testsupport::readNetpbm(testsupport::dataPath("coffee.ppm"));
    const Image tiny = testsupport::cropTopLeft(full, 12, 12, 200, 300);
    for (bool automatic : {true, false}) {
        const Image& input = automatic ? tiny : testsupport::cropTopLeft(full, 4, 9, 200, 300);
        const DeblurRun run = deblur(input, 5, 5, automatic);
        ASSERT_EQ(std::tuple(run.output.height, run.output.width, run.output.channels),
                  std::tuple(input.height, input.width, 3));
        EXPECT_EQ(testsupport::maxAbsDiff(run.output, input), 0.0);
        // The centred one-pixel kernel: nothing was estimated.
        ASSERT_EQ(run.kernel.channels, 1);
        EXPECT_TRUE(testsupport::isCentredImpulse(run.kernel));
        EXPECT_EQ(run.progress, 0);
        EXPECT_TRUE(contains(run.log, "\tskip"));
        EXPECT_TRUE(contains(run.log, "End of kernel estimation."));
        EXPECT_FALSE(contains(run.log, "Start deconvolution..."));
    }
}

TEST(DeblurEntry, KernelsLargerThanThePictureGiveASaneResult) {
    const Image full = testsupport::readNetpbm(testsupport::dataPath("astronaut.ppm"));
    const Image picture = testsupport::cropTopLeft(full, 100, 100, 100, 200);
    // 55 fits the picture and is estimated as it is; 351 is estimated at the
    // largest odd size the picture holds. Both come back at the given size.
    for (auto [side, estimated] : {std::pair(55, "55*55"), std::pair(351, "99*99")}) {
        const DeblurRun run = deblur(picture, side, side, false, imgproc::Processor::Cpu, true);
        ASSERT_EQ(std::pair(run.output.height, run.output.width), std::pair(100, 100));
        EXPECT_TRUE(allInUnitRange(run.output)) << "side " << side;
        EXPECT_EQ(std::pair(run.kernel.height, run.kernel.width), std::pair(side, side));
        EXPECT_NEAR(sumOf(run.kernel), 1.0, 1e-4);
        const std::string given = std::to_string(side);
        EXPECT_TRUE(contains(run.log, "--- Kernel size: " + given + "*" + given));
        EXPECT_TRUE(contains(run.log, std::string("\tKernel size: ") + estimated));
    }
}

TEST(DeblurEntry, LogNamesOnlyAProcessorThatRuns) {
    const Image full = testsupport::readNetpbm(testsupport::dataPath("camera.pgm"));
    const Image picture = testsupport::cropTopLeft(full, 40, 40, 200, 200);
    const bool gpuUsable = imgproc::usableProcessor(imgproc::Processor::Gpu) != imgproc::Processor::Cpu;
    for (int choice : {0, 1, 2, 5}) {
        const auto processor = static_cast<imgproc::Processor>(choice);
        const DeblurRun run = deblur(picture, 5, 5, false, processor);
        ASSERT_FALSE(run.log.empty());
        const bool gpu = choice != 0 && gpuUsable;
        EXPECT_EQ(run.log[0], gpu ? "Using GPU..." : "Using CPU...") << "processor " << choice;
        EXPECT_EQ(run.output.height, 40);
        EXPECT_TRUE(allInUnitRange(run.output));
    }
}

}  // namespace
