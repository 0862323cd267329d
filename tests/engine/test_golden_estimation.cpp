// Regression against reference outputs of kernel estimation and of the whole
// entry on small blurred photographs (tests/data/golden/cases.json).
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "deblur.h"
#include "kernel_estimation_stage.h"
#include "progress.h"
#include "test_support.h"

namespace {

using imgproc::Image;
using testsupport::dataPath;
using testsupport::readF32;
using testsupport::readNetpbm;

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    std::string line;
    while (std::getline(stream, line)) lines.push_back(line);
    return lines;
}

double kernelSum(const Image& kernel) {
    double sum = 0.0;
    for (size_t i = 0; i < kernel.size(); ++i) sum += kernel.data[i];
    return sum;
}

const std::vector<std::string> kGivenLog = {
    "Using CPU...",
    "Start kernel estimation...",
    "------------------------Kernel estimation parameters------------------------",
    "--- Blur image size: 160*160",
    "--- Estimate kernel size: false",
    "--- Kernel size: 19*19",
    "--- Scale factor for pyramid construction: 0.618",
    "--- Quality: 1",
    "--- Input image gamma correction: 1",
    "--- Scale map threshold: 1",
    "--- Kernel smooth term coefficient: 40",
    "--- Deconvolution smooth term coefficient: 0.002",
    "--- Kernel cut threshold: 0.07",
    "----------------------------------------------------------------------------",
    "Level: 4", "\tKernel size: 3*3", "\tImage size: 23*23", "\tNumber of iterations: 9",
    "Level: 3", "\tKernel size: 5*5", "\tImage size: 37*37", "\tNumber of iterations: 9",
    "Level: 2", "\tKernel size: 9*9", "\tImage size: 61*61", "\tNumber of iterations: 8",
    "Level: 1", "\tKernel size: 13*13", "\tImage size: 98*98", "\tNumber of iterations: 7",
    "Level: 0", "\tKernel size: 19*19", "\tImage size: 160*160", "\tNumber of iterations: 5",
    "End of kernel estimation.",
    "",
};

const std::vector<std::string> kAutoLog = {
    "Using CPU...",
    "Start kernel estimation...",
    "------------------------Kernel estimation parameters------------------------",
    "--- Blur image size: 160*160",
    "--- Estimate kernel size: true",
    "--- Scale factor for pyramid construction: 0.618",
    "--- Quality: 1",
    "--- Input image gamma correction: 1",
    "--- Scale map threshold: 1",
    "--- Kernel smooth term coefficient: 40",
    "--- Deconvolution smooth term coefficient: 0.002",
    "--- Kernel cut threshold: 0.07",
    "----------------------------------------------------------------------------",
    "Level: 5", "\tskip",
    "Level: 4", "\tKernel size: 5*5", "\tImage size: 23*23", "\tNumber of iterations: 9",
    "Level: 3", "\tKernel size: 9*7", "\tImage size: 37*37", "\tNumber of iterations: 9",
    "Level: 2", "\tKernel size: 11*9", "\tImage size: 61*61", "\tNumber of iterations: 8",
    "Level: 1", "\tKernel size: 17*11", "\tImage size: 98*98", "\tNumber of iterations: 7",
    "Level: 0", "\tKernel size: 17*11", "\tImage size: 160*160", "\tNumber of iterations: 5",
    "End of kernel estimation.",
    "",
};

struct EstimationCase {
    bool automatic;
    const char* reference;
    const std::vector<std::string>* log;
};

class GoldenEstimation : public ::testing::TestWithParam<EstimationCase> {};

TEST_P(GoldenEstimation, KernelLogAndProgressMatchReference) {
    const EstimationCase& c = GetParam();
    const Image input = readNetpbm(dataPath("golden/camera_160_shake_01.pgm"));
    const Image expected = readF32(dataPath(std::string("golden/") + c.reference));

    Image kernel;
    int32_t progress = 55;
    ::testing::internal::CaptureStdout();
    imgproc::estimateKernel(input, 19, 19, kernel, 1, c.automatic, imgproc::Processor::Cpu, 1.0f,
                            1.0f, &progress);
    const std::string log = ::testing::internal::GetCapturedStdout();

    EXPECT_EQ(splitLines(log), *c.log);
    EXPECT_EQ(imgproc::loadProgress(&progress), 70);
    ASSERT_EQ(kernel.channels, 1);
    ASSERT_EQ(kernel.height, expected.height);
    ASSERT_EQ(kernel.width, expected.width);
    EXPECT_NEAR(kernelSum(kernel), 1.0, 1e-5);
    EXPECT_GT(testsupport::normalizedCrossCorrelation(kernel, expected), 0.95);
}

INSTANTIATE_TEST_SUITE_P(Camera160, GoldenEstimation,
                         ::testing::Values(EstimationCase{false, "estimate_camera_160_given19.f32",
                                                          &kGivenLog},
                                           EstimationCase{true, "estimate_camera_160_auto.f32",
                                                          &kAutoLog}),
                         [](const auto& info) {
                             return std::string(info.param.automatic ? "Auto" : "Given19");
                         });

TEST(GoldenDeblur, ColourPictureWithGivenSizeMatchesReference) {
    const Image input = readNetpbm(dataPath("golden/coffee_128_shake_00.ppm"));
    const Image expected = readF32(dataPath("golden/deblur_coffee_128_given15.f32"));
    const Image expectedKernel = readF32(dataPath("golden/deblur_coffee_128_given15_kernel.f32"));

    Image output;
    Image kernel;
    int32_t progress = 12;
    ::testing::internal::CaptureStdout();
    imgproc::deblurImage(input, 15, 15, &progress, output, kernel, 1, true, false, false,
                         imgproc::Processor::Cpu, 1.0f, 0.0004f, 1.0f);
    const std::vector<std::string> lines = splitLines(::testing::internal::GetCapturedStdout());

    const std::vector<std::string> expectedLog = {
        "Using CPU...",
        "Start kernel estimation...",
        "------------------------Kernel estimation parameters------------------------",
        "--- Blur image size: 128*128",
        "--- Estimate kernel size: false",
        "--- Kernel size: 15*15",
        "--- Scale factor for pyramid construction: 0.618",
        "--- Quality: 1",
        "--- Input image gamma correction: 1",
        "--- Scale map threshold: 1",
        "--- Kernel smooth term coefficient: 40",
        "--- Deconvolution smooth term coefficient: 0.002",
        "--- Kernel cut threshold: 0.07",
        "----------------------------------------------------------------------------",
        "Level: 4", "\tKernel size: 3*3", "\tImage size: 18*18", "\tNumber of iterations: 9",
        "Level: 3", "\tKernel size: 5*5", "\tImage size: 30*30", "\tNumber of iterations: 9",
        "Level: 2", "\tKernel size: 7*7", "\tImage size: 48*48", "\tNumber of iterations: 8",
        "Level: 1", "\tKernel size: 11*11", "\tImage size: 79*79", "\tNumber of iterations: 7",
        "Level: 0", "\tKernel size: 15*15", "\tImage size: 128*128", "\tNumber of iterations: 5",
        "End of kernel estimation.",
        "",
        "Start deconvolution...",
        "------------------------Deconvolution parameters---------------------------",
        "--- Denoise: false",
        "--- Dering: true",
        "--- Smooth term coefficient: 0.0004",
        "--- Quality: 1",
        "---------------------------------------------------------------------------",
        "End of deconvolution.",
        "",
    };
    EXPECT_EQ(lines, expectedLog);
    EXPECT_EQ(imgproc::loadProgress(&progress), 100);

    ASSERT_EQ(kernel.height, expectedKernel.height);
    ASSERT_EQ(kernel.width, expectedKernel.width);
    EXPECT_GT(testsupport::normalizedCrossCorrelation(kernel, expectedKernel), 0.95);

    ASSERT_EQ(output.height, expected.height);
    ASSERT_EQ(output.width, expected.width);
    ASSERT_EQ(output.channels, expected.channels);
    // The estimated kernel differs from the reference by a few threshold flips
    // at its cut, which the deconvolution turns into a few 1e-3 on average.
    EXPECT_LT(testsupport::meanAbsDiff(output, expected), 8e-3);
}

}  // namespace
