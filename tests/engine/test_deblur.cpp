#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>

#include "deblur.h"
#include "kernel_cleanup.h"
#include "kernel_estimation_stage.h"
#include "progress.h"
#include "test_support.h"

namespace {

using imgproc::Image;
using testsupport::contains;

struct DeblurRun {
    Image output;
    Image kernel;
    int32_t progress = -7;
    testsupport::Lines log;
};

DeblurRun deblur(const Image& input, int side, bool automatic, imgproc::Processor processor = imgproc::Processor::Cpu) {
    DeblurRun run;
    run.log = testsupport::logOf([&] {
        imgproc::deblurImage(input, side, side, &run.progress, run.output, run.kernel, 1, false, false, automatic,
                             processor, 1.0f, 0.0004f, 1.0f);
    });
    return run;
}

bool allInUnitRange(const Image& image) {
    return std::all_of(image.data, image.data + image.size(), [](float v) { return v >= 0.0f && v <= 1.0f; });
}

using Photo = std::tuple<const char*, const char*, bool>;  // picture, true kernel, automatic size

class DeblurPhotograph : public ::testing::TestWithParam<Photo> {};

TEST_P(DeblurPhotograph, EstimatesASignificantKernelAndImprovesPsnr) {
    const auto [picture, kernelFile, automatic] = GetParam();
    const Image full = testsupport::readNetpbm(testsupport::dataPath(picture));
    const Image sharp = testsupport::cropTopLeft(full, 256, 256, (full.height - 256) / 2, (full.width - 256) / 2);
    const Image trueKernel = testsupport::readKernelText(testsupport::dataPath(kernelFile));
    const Image blurred = testsupport::convolve(sharp, trueKernel);

    const DeblurRun run = deblur(blurred, trueKernel.height, automatic);
    EXPECT_TRUE(imgproc::isSignificantKernel(run.kernel));
    EXPECT_NEAR(testsupport::sumOf(run.kernel), 1.0, 1e-4);
    EXPECT_EQ(std::pair(run.kernel.height % 2, run.kernel.width % 2), std::pair(1, 1));
    if (!automatic) {
        EXPECT_EQ(std::pair(run.kernel.height, run.kernel.width), std::pair(trueKernel.height, trueKernel.width));
    }
    ASSERT_EQ(std::tuple(run.output.height, run.output.width, run.output.channels),
              std::tuple(sharp.height, sharp.width, sharp.channels));
    EXPECT_TRUE(allInUnitRange(run.output));
    const double before = testsupport::psnr(blurred, sharp);
    EXPECT_GT(testsupport::psnr(run.output, sharp), before) << "blurred " << before << " dB";
    // A run that deconvolves fills the whole bar, less what truncation drops.
    EXPECT_GE(imgproc::loadProgress(&run.progress), 98);
    EXPECT_LE(imgproc::loadProgress(&run.progress), 100);
    EXPECT_TRUE(contains(run.log, "End of deconvolution."));
}

INSTANTIATE_TEST_SUITE_P(RealPhotographs, DeblurPhotograph,
                         ::testing::Values(Photo{"camera.pgm", "shake_01.txt", false},
                                           Photo{"camera.pgm", "shake_01.txt", true},
                                           Photo{"coffee.ppm", "shake_03.txt", false},
                                           Photo{"coffee.ppm", "shake_03.txt", true}),
                         [](const auto& info) {
                             const std::string picture = std::get<0>(info.param);
                             return picture.substr(0, picture.find('.')) + (std::get<2>(info.param) ? "Auto" : "Given");
                         });

TEST(DeblurEntry, EmptyPictureGivesEmptyResultsAtOnce) {
    const DeblurRun run = deblur(Image(), 19, true);
    EXPECT_EQ(std::tuple(run.output.size(), run.kernel.size(), run.progress), std::tuple(0u, 0u, 0));
    EXPECT_TRUE(run.log.empty());
}

TEST(DeblurEntry, PictureTooSmallToEstimateIsReturnedUnchanged) {
    const Image full = testsupport::readNetpbm(testsupport::dataPath("coffee.ppm"));
    for (bool automatic : {true, false}) {
        const Image input = testsupport::cropTopLeft(full, automatic ? 12 : 4, automatic ? 12 : 9, 200, 300);
        const DeblurRun run = deblur(input, 5, automatic);
        ASSERT_EQ(std::tuple(run.output.height, run.output.width, run.output.channels),
                  std::tuple(input.height, input.width, 3));
        EXPECT_EQ(testsupport::maxAbsDiff(run.output, input), 0.0);
        EXPECT_TRUE(testsupport::isCentredImpulse(run.kernel));  // nothing was estimated
        EXPECT_EQ(run.progress, 0);
        EXPECT_TRUE(contains(run.log, "\tskip"));
        EXPECT_FALSE(contains(run.log, "Start deconvolution..."));
    }
}

TEST(DeblurEntry, LogNamesOnlyAProcessorThatRuns) {
    const Image picture =
        testsupport::cropTopLeft(testsupport::readNetpbm(testsupport::dataPath("camera.pgm")), 40, 40, 200, 200);
    const bool gpuUsable = imgproc::usableProcessor(imgproc::Processor::Gpu) != imgproc::Processor::Cpu;
    for (auto processor : {imgproc::Processor::Cpu, imgproc::Processor::Gpu, imgproc::Processor::Auto}) {
        const DeblurRun run = deblur(picture, 5, false, processor);
        ASSERT_FALSE(run.log.empty());
        EXPECT_EQ(run.log[0], processor != imgproc::Processor::Cpu && gpuUsable ? "Using GPU..." : "Using CPU...");
        EXPECT_EQ(run.output.height, 40);
        EXPECT_TRUE(allInUnitRange(run.output));
    }
}

}  // namespace
