// Reference outputs of kernel estimation and of the whole entry on small blurred photographs, log lines included.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
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
using testsupport::Lines;

struct Level {
    const char* kernel;  // null for a skipped level
    const char* image;
    int iterations;
};

// The stage log: parameters (`kernel` empty for the automatic size), levels from the coarsest, closing lines.
Lines estimationLog(const std::string& size, const std::string& kernel, const std::vector<Level>& levels) {
    Lines lines = {"Using CPU...", "Start kernel estimation...",
                   "------------------------Kernel estimation parameters------------------------",
                   "--- Blur image size: " + size,
                   std::string("--- Estimate kernel size: ") + (kernel.empty() ? "true" : "false")};
    if (!kernel.empty()) lines.push_back("--- Kernel size: " + kernel);
    lines.insert(lines.end(), {"--- Scale factor for pyramid construction: 0.618", "--- Quality: 1",
                               "--- Input image gamma correction: 1", "--- Scale map threshold: 1",
                               "--- Kernel smooth term coefficient: 40",
                               "--- Deconvolution smooth term coefficient: 0.002",
                               "--- Kernel cut threshold: 0.07", std::string(76, '-')});
    int level = static_cast<int>(levels.size());
    for (const Level& l : levels) {
        lines.push_back("Level: " + std::to_string(--level));
        if (!l.kernel) {
            lines.push_back("\tskip");
            continue;
        }
        lines.insert(lines.end(), {std::string("\tKernel size: ") + l.kernel, std::string("\tImage size: ") + l.image,
                                   "\tNumber of iterations: " + std::to_string(l.iterations)});
    }
    lines.insert(lines.end(), {"End of kernel estimation.", ""});
    return lines;
}

// `ncc` sits just below what this engine reaches: rounding differences move a few entries where a threshold flips.
void expectKernelMatches(const Image& kernel, const std::string& file, double ncc) {
    const Image expected = readF32(dataPath(file));
    ASSERT_EQ(std::tuple(kernel.height, kernel.width, kernel.channels), std::tuple(expected.height, expected.width, 1));
    EXPECT_NEAR(testsupport::sumOf(kernel), 1.0, 1e-5);
    EXPECT_GT(testsupport::normalizedCrossCorrelation(kernel, expected), ncc);
}

struct Estimation {
    Image kernel;
    int32_t progress = 55;
    Lines log;
};

Estimation estimate(const std::string& input, int size, bool automatic) {
    Estimation run;
    run.log = testsupport::logOf([&] {
        imgproc::estimateKernel(readNetpbm(dataPath(input)), size, size, run.kernel, 1, automatic,
                                imgproc::Processor::Cpu, 1.0f, 1.0f, &run.progress);
    });
    return run;
}

TEST(GoldenEstimation, Camera160WithGivenAndAutomaticSize) {
    for (bool automatic : {false, true}) {
        const Estimation run = estimate("golden/camera_160_shake_01.pgm", 19, automatic);
        if (automatic)
            EXPECT_EQ(run.log, estimationLog("160*160", "",
                                             {{nullptr, nullptr, 0}, {"5*5", "23*23", 9}, {"9*7", "37*37", 9},
                                              {"11*9", "61*61", 8}, {"17*11", "98*98", 7}, {"17*11", "160*160", 5}}));
        else
            EXPECT_EQ(run.log, estimationLog("160*160", "19*19",
                                             {{"3*3", "23*23", 9}, {"5*5", "37*37", 9}, {"9*9", "61*61", 8},
                                              {"13*13", "98*98", 7}, {"19*19", "160*160", 5}}));
        EXPECT_EQ(imgproc::loadProgress(&run.progress), 70);
        expectKernelMatches(run.kernel, automatic ? "golden/estimate_camera_160_auto.f32"
                                                  : "golden/estimate_camera_160_given19.f32",
                            automatic ? 0.9999 : 0.999);
    }
}

TEST(GoldenEstimation, ElongatedPictureSizesEachKernelSideFromItsOwnAxis) {
    const Estimation run = estimate("golden/camera_120x400_shake_01.pgm", 19, true);
    EXPECT_EQ(run.log, estimationLog("120*400", "",
                                     {{nullptr, nullptr, 0}, {nullptr, nullptr, 0}, {nullptr, nullptr, 0},
                                      {"5*13", "17*58", 9}, {"9*21", "28*94", 9}, {"13*33", "45*152", 8},
                                      {"13*11", "74*247", 7}, {"17*13", "120*400", 5}}));
    EXPECT_EQ(imgproc::loadProgress(&run.progress), 70);
    expectKernelMatches(run.kernel, "golden/estimate_camera_120x400_auto.f32", 0.999);
}

TEST(GoldenDeblur, ColourPictureWithGivenSize) {
    const Image input = readNetpbm(dataPath("golden/coffee_128_shake_00.ppm"));
    Image output, kernel;
    int32_t progress = 12;
    const Lines log = testsupport::logOf([&] {
        imgproc::deblurImage(input, 15, 15, &progress, output, kernel, 1, true, false, false, imgproc::Processor::Cpu,
                             1.0f, 0.0004f, 1.0f);
    });
    Lines expected = estimationLog("128*128", "15*15",
                                   {{"3*3", "18*18", 9}, {"5*5", "30*30", 9}, {"7*7", "48*48", 8},
                                    {"11*11", "79*79", 7}, {"15*15", "128*128", 5}});
    expected.insert(expected.end(), {"Start deconvolution...",
                                     "------------------------Deconvolution parameters---------------------------",
                                     "--- Denoise: false", "--- Dering: true", "--- Smooth term coefficient: 0.0004",
                                     "--- Quality: 1", std::string(75, '-'), "End of deconvolution.", ""});
    EXPECT_EQ(log, expected);
    EXPECT_EQ(imgproc::loadProgress(&progress), 100);
    expectKernelMatches(kernel, "golden/deblur_coffee_128_given15_kernel.f32", 0.998);

    const Image reference = readF32(dataPath("golden/deblur_coffee_128_given15.f32"));
    ASSERT_EQ(std::tuple(output.height, output.width, output.channels),
              std::tuple(reference.height, reference.width, reference.channels));
    // A few kernel entries fall on the other side of the clean-up cut: about 4.6e-3 on average after deconvolution.
    EXPECT_LT(testsupport::meanAbsDiff(output, reference), 5.5e-3);
}

}  // namespace
