#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <tuple>
#include <vector>

#include "deconvolution_stage.h"
#include "geometry.h"
#include "test_support.h"
#include "tiling.h"

using imgproc::Image;

namespace {

struct StageRun {
    Image output;
    int32_t progress = 0;
    testsupport::Lines log;
};

StageRun runStage(const Image& input, const Image& kernel, unsigned quality, bool dering, bool denoise,
                  int32_t progressBefore = 0) {
    StageRun run;
    run.progress = progressBefore;
    run.log = testsupport::logOf([&] {
        imgproc::deconvolveImage(input, kernel, quality, dering, denoise, imgproc::Processor::Cpu, 0.0004f, run.output,
                                 &run.progress);
    });
    return run;
}

Image smoothPicture(int rows, int cols) {
    Image image(rows, cols, 1);
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < cols; ++x)
            image.data[static_cast<size_t>(y) * cols + x] = 0.5f + 0.3f * std::sin(0.05f * x) * std::cos(0.07f * y);
    return image;
}

Image boxKernel() { return testsupport::makeImage(3, 3, 1, std::vector<float>(9, 1.0f / 9.0f)); }

struct GoldenCase {
    const char *input, *kernel, *output;
    unsigned quality;
    bool dering, denoise;
};

void PrintTo(const GoldenCase& c, std::ostream* os) { *os << c.output; }

}  // namespace

class GoldenDeconvolution : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(GoldenDeconvolution, MatchesReference) {
    const GoldenCase& c = GetParam();
    const auto golden = [](const char* file) { return testsupport::dataPath(std::string("golden/") + file); };
    const Image expected = testsupport::readF32(golden(c.output));
    const StageRun run = runStage(testsupport::readNetpbm(golden(c.input)), testsupport::readF32(golden(c.kernel)),
                                  c.quality, c.dering, c.denoise);
    const auto flag = [](bool on) { return std::string(on ? "true" : "false"); };
    const testsupport::Lines log{"Start deconvolution...",
                                 "------------------------Deconvolution parameters---------------------------",
                                 "--- Denoise: " + flag(c.denoise), "--- Dering: " + flag(c.dering),
                                 std::string("--- Smooth term coefficient: ") + (c.denoise ? "0.04" : "0.0004"),
                                 "--- Quality: " + std::to_string(c.quality), std::string(75, '-'),
                                 "End of deconvolution.", ""};
    EXPECT_EQ(run.log, log);
    EXPECT_EQ(run.progress, 30);  // a small picture gets the smallest share, 0.3
    ASSERT_EQ(std::tuple(run.output.height, run.output.width, run.output.channels),
              std::tuple(expected.height, expected.width, expected.channels));
    EXPECT_LT(testsupport::meanAbsDiff(run.output, expected), 1e-4);
    // The median works on 256 levels: with ringing suppression a value near a
    // level boundary may land one level (2/255 after the mapping back) away.
    const double perValue = 1e-3, allowed = c.dering ? 2.0 / 255.0 + perValue : perValue;
    size_t off = 0;
    for (size_t i = 0; i < run.output.size(); ++i) off += std::fabs(run.output.data[i] - expected.data[i]) > perValue;
    EXPECT_LE(off, c.dering ? run.output.size() / 200 : 0);
    EXPECT_LT(testsupport::maxAbsDiff(run.output, expected), allowed);
}

INSTANTIATE_TEST_SUITE_P(
    Stage, GoldenDeconvolution,
    ::testing::Values(
        GoldenCase{"camera_128_shake_01.pgm", "shake_01.f32", "deconvolve_camera_128_q1.f32", 1, false, false},
        GoldenCase{"camera_128_shake_01.pgm", "shake_01.f32", "deconvolve_camera_128_q1_dering.f32", 1, true, false},
        GoldenCase{"camera_128_shake_01.pgm", "shake_01.f32", "deconvolve_camera_128_q3.f32", 3, false, false},
        GoldenCase{"camera_128_shake_01.pgm", "shake_01.f32", "deconvolve_camera_128_q1_dering_denoise.f32", 1, true,
                   true},
        GoldenCase{"astronaut_96_shake_00.ppm", "shake_00.f32", "deconvolve_astronaut_96_q2_dering.f32", 2, true,
                   false}));

TEST(DeconvolutionStage, WholePicturesAndTheirShare) {
    // 1000 x 800 after estimation's 62: share 1 - 1,000,000 / 1,600,000 = 0.375, so trunc(37.5 + 62).
    const StageRun larger = runStage(smoothPicture(800, 1000), boxKernel(), 1, false, false, 62);
    EXPECT_EQ(larger.progress, 99);
    EXPECT_EQ(std::pair(larger.output.height, larger.output.width), std::pair(800, 1000));
    // Shorter side 200 or less: the tile grid would be empty, so the picture goes whole.
    Image sharp;
    imgproc::resize(testsupport::readNetpbm(testsupport::dataPath("camera.pgm")), 120, 1600, sharp);
    const Image thin = testsupport::convolve(sharp, boxKernel());
    const StageRun run = runStage(thin, boxKernel(), 1, false, false);
    EXPECT_EQ(run.progress, 30);
    ASSERT_EQ(std::pair(run.output.height, run.output.width), std::pair(120, 1600));
    const double blurred = testsupport::psnr(thin, sharp);
    EXPECT_GT(testsupport::psnr(run.output, sharp), blurred + 6.0) << "blurred " << blurred;
}

TEST(DeconvolutionStage, TrueKernelRestoresPhotographs) {
    // Crops with texture and strong edges: the cameraman's coat and tripod, the astronaut's face and flag.
    const Image kernel = testsupport::readKernelText(testsupport::dataPath("shake_02.txt"));
    for (auto [file, top, left] : {std::tuple("camera.pgm", 96, 96), std::tuple("astronaut.ppm", 0, 160)}) {
        const Image full = testsupport::readNetpbm(testsupport::dataPath(file));
        const Image sharp = testsupport::cropTopLeft(full, 256, 256, top, left);
        const Image blurred = testsupport::convolve(sharp, kernel);
        const double before = testsupport::psnr(blurred, sharp);
        EXPECT_GE(testsupport::psnr(runStage(blurred, kernel, 2, false, false).output, sharp), before + 3.0) << file;
    }
}

TEST(DeconvolutionStage, ThinKernelRestoresANonSquarePictureToItsFarBorders) {
    // A line of 31 along the picture's short side of 235: that side's padding must make room for all 31, or its
    // far rows (or columns) wrap around onto the near ones.
    const Image full = testsupport::readNetpbm(testsupport::dataPath("camera.pgm"));
    for (bool vertical : {true, false}) {
        const int rows = vertical ? 235 : 300, cols = vertical ? 300 : 235, length = 31;
        const Image kernel = testsupport::makeImage(vertical ? length : 1, vertical ? 1 : length, 1,
                                                    std::vector<float>(length, 1.0f / length));
        const Image sharp = testsupport::cropTopLeft(full, rows, cols, 120, 100);
        const Image blurred = testsupport::convolve(sharp, kernel);
        const double before = testsupport::psnr(blurred, sharp);
        const double after = testsupport::psnr(runStage(blurred, kernel, 1, false, false).output, sharp);
        // About 5.7 dB gained; a padding that lets the far side wrap gains 2 to 4.
        EXPECT_GE(after, before + 5.0) << (vertical ? "31 x 1" : "1 x 31");
    }
}

TEST(DeconvolutionStage, NoiseReductionKeepsGreyPicturesGreyUnderAnOffCentreKernel) {
    // Grey stored as colour: the chroma planes are flat and must stay flat, with or without ringing suppression.
    const Image clock =
        testsupport::cropTopLeft(testsupport::readNetpbm(testsupport::dataPath("clock.pgm")), 90, 120, 100, 140);
    Image greyAsColour(90, 120, 3);
    for (size_t i = 0; i < greyAsColour.size(); ++i) greyAsColour.data[i] = clock.data[i / 3];
    for (bool dering : {false, true}) {
        const Image out = runStage(greyAsColour, testsupport::cornerStreak(33), 1, dering, true).output;
        float spread = 0.0f;
        for (size_t p = 0; p < clock.size(); ++p) {
            const float* v = out.data + 3 * p;
            spread = std::max({spread, std::fabs(v[0] - v[1]), std::fabs(v[1] - v[2])});
        }
        EXPECT_LT(spread, 1e-4f) << "dering " << dering;
    }
}

TEST(DeconvolutionStage, LargePictureIsDeconvolvedInBlendedTiles) {
    // 1501 wide: tiles over columns 0-1199 and 1000-1500, each with half of the 0.3 share, each deconvolved whole.
    const Image picture = smoothPicture(201, 1501);
    const StageRun tiled = runStage(picture, boxKernel(), 1, false, false);
    EXPECT_EQ(tiled.progress, 30);
    ASSERT_EQ(std::tuple(tiled.output.height, tiled.output.width, tiled.output.channels), std::tuple(201, 1501, 1));
    Image left, right;
    imgproc::cutTile(picture, 0, 201, 0, 1200, left);
    imgproc::cutTile(picture, 0, 201, 1000, 1501, right);
    left = runStage(left, boxKernel(), 1, false, false).output;
    right = runStage(right, boxKernel(), 1, false, false).output;
    for (int y = 0; y < 201; ++y) {
        const float* row = tiled.output.data + static_cast<size_t>(y) * 1501;
        for (int x = 0; x < 1000; ++x) ASSERT_EQ(row[x], left.data[y * 1200 + x]);
        for (int x = 1000; x < 1200; ++x)
            ASSERT_EQ(row[x], left.data[y * 1200 + x] * 0.5f + right.data[y * 501 + x - 1000] * 0.5f);
        for (int x = 1200; x < 1501; ++x) ASSERT_EQ(row[x], right.data[y * 501 + x - 1000]);
    }
}
