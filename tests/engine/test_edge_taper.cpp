#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <tuple>
#include <vector>

#include "edge_taper.h"
#include "fft_convolve.h"
#include "test_support.h"

using imgproc::Image;
using testsupport::makeImage;
using testsupport::randomImage;

TEST(EdgeTaper, MatchesReferenceOnCameraWithShake00) {
    const Image im = testsupport::readNetpbm(testsupport::dataPath("golden/camera_100.pgm"));
    const Image before = im;
    const Image k = testsupport::readF32(testsupport::dataPath("golden/shake_00.f32"));
    const Image expected = testsupport::readF32(testsupport::dataPath("golden/edgetaper_camera_100_shake_00.f32"));
    Image out;
    imgproc::edgeTaper(im, k, out);
    ASSERT_EQ(std::tuple(out.height, out.width, out.channels),
              std::tuple(expected.height, expected.width, expected.channels));
    EXPECT_LT(testsupport::maxAbsDiff(out, expected), 1e-5);
    EXPECT_EQ(testsupport::maxAbsDiff(im, before), 0.0);
}

TEST(EdgeTaper, BandsFollowTheirOwnKernelSideAndCornersHoldTheCyclicBlur) {
    // A 3 x 7 kernel: the taper reaches 7 columns in from the left and right and 3 rows from the top and bottom;
    // inside, the picture is kept. At the corners the weight is 0: pure cyclic blur.
    const int H = 20, W = 24;
    const Image im = randomImage(H, W, 1, 5, 0.2f, 0.8f);
    Image k = randomImage(3, 7, 1, 6);
    k = k / static_cast<float>(testsupport::sumOf(k));
    Image out;
    imgproc::edgeTaper(im, k, out);
    ASSERT_EQ(std::tuple(out.height, out.width, out.channels), std::tuple(H, W, 1));
    const Image cyclic = testsupport::convolve(im, k, testsupport::Outside::Wrap);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const bool band = y < 3 || y >= H - 3 || x < 7 || x >= W - 7;
            EXPECT_EQ(std::fabs(out.data[y * W + x] - im.data[y * W + x]) > 1e-5f, band) << y << "," << x;
        }
    for (auto [y, x] : {std::array{0, 0}, std::array{0, W - 1}, std::array{H - 1, 0}, std::array{H - 1, W - 1}})
        EXPECT_NEAR(out.data[y * W + x], cyclic.data[y * W + x], 1e-5) << y << "," << x;
    // Every channel is tapered alike, and a centred delta changes nothing.
    Image rgb(H, W, 3);
    for (size_t i = 0; i < rgb.size(); ++i) rgb.data[i] = im.data[i / 3] * (1.0f + 0.5f * (i % 3));
    imgproc::edgeTaper(rgb, k, out);
    for (size_t i = 0; i < rgb.size(); i += 3) ASSERT_NEAR(out.data[i + 2], 2.0f * out.data[i], 1e-5) << i;
    Image centred = makeImage(5, 7, 1, {});
    centred.data[2 * 7 + 3] = 1.0f;
    imgproc::edgeTaper(rgb, centred, out);
    EXPECT_LT(testsupport::maxAbsDiff(out, rgb), 1e-6);
}

TEST(EdgeTaper, TaperedValuesStayWithinThePicturesRange) {
    // All values negative: the upper bound is 0, the lower the minimum.
    const Image negative = randomImage(12, 12, 1, 8, -2.0f, -1.0f);
    Image out;
    imgproc::edgeTaper(negative, makeImage(3, 3, 1, std::vector<float>(9, 1.0f / 9)), out);
    const float lo = *std::min_element(negative.data, negative.data + negative.size());
    for (size_t i = 0; i < out.size(); ++i) ASSERT_TRUE(out.data[i] <= 0.0f && out.data[i] >= lo) << i;
    // An overshooting kernel drives the border below the minimum of 200000 and above the maximum of 400000: it stops
    // at 100000 below and at the maximum above.
    Image high = makeImage(8, 8, 1, std::vector<float>(64, 200000.0f));
    high.data[3] = 400000.0f;
    imgproc::edgeTaper(high, makeImage(1, 3, 1, {-1.0f, 3.0f, -1.0f}), out);
    EXPECT_EQ(std::tuple(out.data[2], out.data[3], out.data[4]), std::tuple(100000.0f, 400000.0f, 100000.0f));
}

TEST(EdgeTaper, KernelWiderThanTheProfileUsesItsFirstColumnSums) {
    // Five columns give a profile over four points: of the column sums 0.25, 0.25, 0, 0, 0.5 the first four count.
    // Their cyclic autocorrelation closes to 1, 0.5, 0, 0.5, 1, so the weights run 0, 0.5, 1, 0.5, 0 along the
    // middle row (the vertical profile is 1, 0, 1). B(x) = 0.25 I(x + 2) + 0.25 I(x + 1) + 0.5 I(x - 2), cyclic.
    std::vector<float> values(15);
    for (int i = 0; i < 15; ++i) values[i] = 0.1f * static_cast<float>(i);
    Image out;
    imgproc::edgeTaper(makeImage(3, 5, 1, values), makeImage(1, 5, 1, {0.25f, 0.25f, 0.0f, 0.0f, 0.5f}), out);
    const float expected[15] = {0.225f, 0.325f, 0.175f, 0.15f,  0.125f,   // B
                                0.725f, 0.7125f, 0.7f,  0.725f, 0.625f,   // blend
                                1.225f, 1.325f, 1.175f, 1.15f,  1.125f};  // B
    for (int i = 0; i < 15; ++i) EXPECT_NEAR(out.data[i], expected[i], 1e-6) << i;
}

TEST(EdgeTaper, UntaperableInputComesBackUnchanged) {
    const Image row = makeImage(1, 4, 1, {0.1f, 0.2f, 0.3f, 0.4f});
    const Image im = randomImage(10, 10, 1, 9);
    // Too small to taper; a kernel of zeros; row sums all zero though the column sums are not.
    for (const auto& [picture, kernel] : {std::pair(row, makeImage(1, 1, 1, {1.0f})),
                                          std::pair(im, makeImage(2, 2, 1, {0, 0, 0, 0})),
                                          std::pair(im, makeImage(1, 2, 1, {1.0f, -1.0f}))}) {
        Image out;
        imgproc::edgeTaper(picture, kernel, out);
        ASSERT_EQ(std::pair(out.height, out.width), std::pair(picture.height, picture.width));
        EXPECT_EQ(testsupport::maxAbsDiff(out, picture), 0.0);
    }
}

// Same-size convolution with zero outside, every channel alike: unequal kernel sides fix orientation and padding.
class FftConvolve : public ::testing::TestWithParam<std::tuple<int, int, int>> {};

TEST_P(FftConvolve, EachChannelIsTheZeroBoundaryConvolution) {
    const auto [channels, kh, kw] = GetParam();
    const Image im = randomImage(9, 11, channels, 4);
    const Image kernel = randomImage(kh, kw, 1, 5, -0.5f, 1.0f);
    Image out;
    imgproc::fftConvolve(out, im, kernel);
    ASSERT_EQ(std::tuple(out.height, out.width, out.channels), std::tuple(9, 11, channels));
    EXPECT_LT(testsupport::maxAbsDiff(out, testsupport::convolve(im, kernel, testsupport::Outside::Zero)), 1e-5);
}

INSTANTIATE_TEST_SUITE_P(ChannelsAndKernelSides, FftConvolve,
                         ::testing::Combine(::testing::Values(1, 3), ::testing::Values(1, 2, 5),
                                            ::testing::Values(1, 3, 5)));
