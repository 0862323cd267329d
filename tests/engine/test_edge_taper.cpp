#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>
#include <vector>

#include "edge_taper.h"
#include "fft_convolve.h"
#include "test_support.h"

using imgproc::Image;
using testsupport::makeImage;

namespace {

Image patterned(int rows, int cols, int channels) {
    Image im(rows, cols, channels);
    for (int i = 0; i < rows * cols * channels; ++i)
        im.data[i] = 0.5f + 0.4f * std::sin(0.37f * i) * std::cos(0.11f * i);
    return im;
}

Image delta(int rows, int cols) {
    Image k = makeImage(rows, cols, 1, {});
    k.data[(rows / 2) * cols + cols / 2] = 1.0f;
    return k;
}

}  // namespace

// The edge taper and the convolution both leave a picture alone under a centred delta.
TEST(EdgeTaperAndFftConvolve, CentredDeltaIsIdentity) {
    Image im = patterned(23, 31, 3);
    Image out;
    imgproc::edgeTaper(im, delta(5, 7), out);
    ASSERT_EQ(std::tuple(out.height, out.width, out.channels, out.extra), std::tuple(23, 31, 3, 0));
    EXPECT_LT(testsupport::maxAbsDiff(out, im), 1e-6);
    for (int channels : {1, 3}) {
        im = patterned(17, 12, channels);
        imgproc::fftConvolve(out, im, delta(4, 5));
        ASSERT_EQ(std::tuple(out.height, out.width, out.channels), std::tuple(17, 12, channels));
        EXPECT_LT(testsupport::maxAbsDiff(out, im), 1e-6);
    }
}

TEST(EdgeTaper, MatchesReferenceOnCameraWithShake00) {
    Image im = testsupport::readNetpbm(testsupport::dataPath("golden/camera_100.pgm"));
    Image k = testsupport::readF32(testsupport::dataPath("golden/shake_00.f32"));
    Image expected = testsupport::readF32(testsupport::dataPath("golden/edgetaper_camera_100_shake_00.f32"));
    Image out;
    imgproc::edgeTaper(im, k, out);
    ASSERT_EQ(std::tuple(out.height, out.width, out.channels),
              std::tuple(expected.height, expected.width, expected.channels));
    EXPECT_LT(testsupport::maxAbsDiff(out, expected), 1e-5);
    // The picture itself is left alone.
    EXPECT_EQ(testsupport::maxAbsDiff(im, testsupport::readNetpbm(testsupport::dataPath("golden/camera_100.pgm"))), 0.0);
}

TEST(EdgeTaper, BordersHoldTheClampedBlurAndTwoColumnsAreFullyBlurred) {
    Image k = makeImage(1, 2, 1, {0.5f, 0.5f});
    // Width 2: the horizontal profile is 1, 1, so every weight is 0 and the
    // result is the cyclic blur, the mean of the two columns of each row.
    Image narrow = makeImage(3, 2, 1, {0.2f, 0.8f, 0.4f, 0.6f, 1.0f, 0.0f});
    Image out;
    imgproc::edgeTaper(narrow, k, out);
    for (int i = 0; i < 6; ++i) EXPECT_NEAR(out.data[i], 0.5f, 1e-6) << i;

    // All values negative: the upper clamp bound is 0, the lower the minimum.
    Image negative = patterned(12, 12, 1) - 2.0f;
    imgproc::edgeTaper(negative, makeImage(3, 3, 1, std::vector<float>(9, 1.0f / 9)), out);
    float lo = 0.0f;
    for (size_t i = 0; i < negative.size(); ++i) lo = std::min(lo, negative.data[i]);
    for (size_t i = 0; i < out.size(); ++i) {
        EXPECT_LE(out.data[i], 0.0f);
        EXPECT_GE(out.data[i], lo);
    }
    // Values above 100000: an overshooting kernel drives the blurred border
    // far below the picture's minimum (200000); it stops at 100000.
    Image high = makeImage(8, 8, 1, std::vector<float>(64, 200000.0f));
    high.data[3] = 400000.0f;
    imgproc::edgeTaper(high, makeImage(1, 3, 1, {-1.0f, 3.0f, -1.0f}), out);
    EXPECT_EQ(out.data[2], 100000.0f);
    EXPECT_EQ(out.data[4], 100000.0f);
}

TEST(EdgeTaper, KernelWiderThanTheProfileUsesItsFirstColumnSums) {
    // Five columns give a horizontal profile over four points: of the column
    // sums 0.25, 0.25, 0, 0, 0.5 only the first four count. Their cyclic
    // autocorrelation 0.125, 0.0625, 0, 0.0625 closes to 1, 0.5, 0, 0.5, 1,
    // so the weights run 0, 0.5, 1, 0.5, 0 along the middle row (one kernel
    // row: the vertical profile is 1, 0, 1). The blur is cyclic around the
    // middle element: B(x) = 0.25 I(x + 2) + 0.25 I(x + 1) + 0.5 I(x - 2).
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
    Image row = makeImage(1, 4, 1, {0.1f, 0.2f, 0.3f, 0.4f});
    Image out;
    imgproc::edgeTaper(row, makeImage(1, 1, 1, {1.0f}), out);
    EXPECT_EQ(out.height, 1);
    EXPECT_EQ(testsupport::maxAbsDiff(out, row), 0.0);

    Image im = patterned(10, 10, 1);
    imgproc::edgeTaper(im, makeImage(2, 2, 1, {0.0f, 0.0f, 0.0f, 0.0f}), out);
    EXPECT_EQ(testsupport::maxAbsDiff(out, im), 0.0);
    // Row sums all zero even though the column sums are not.
    imgproc::edgeTaper(im, makeImage(1, 2, 1, {1.0f, -1.0f}), out);
    EXPECT_EQ(testsupport::maxAbsDiff(out, im), 0.0);
}

TEST(FftConvolve, ZeroBoundaryAndOrientation) {
    Image constant = makeImage(6, 7, 1, std::vector<float>(42, 0.6f));
    Image box = makeImage(3, 3, 1, std::vector<float>(9, 1.0f / 9));
    Image out;
    imgproc::fftConvolve(out, constant, box);
    EXPECT_NEAR(out.data[2 * 7 + 3], 0.6f, 1e-6);
    EXPECT_NEAR(out.data[0], 0.6f * 4 / 9, 1e-6);
    EXPECT_NEAR(out.data[3], 0.6f * 6 / 9, 1e-6);

    // A delta in the first entry of an even-sized kernel fixes the direction and
    // the centre (kh / 2, kw / 2): out(r, c) = im(r + 1, c + 1), zero beyond.
    Image im = patterned(9, 11, 2);
    imgproc::fftConvolve(out, im, makeImage(2, 3, 1, {1.0f}));
    for (int r = 0; r < 9; ++r)
        for (int c = 0; c < 11; ++c)
            for (int ch = 0; ch < 2; ++ch) {
                const float expected = r < 8 && c < 10 ? im.data[((r + 1) * 11 + c + 1) * 2 + ch] : 0.0f;
                ASSERT_NEAR(out.data[(r * 11 + c) * 2 + ch], expected, 1e-6) << r << "," << c;
            }
}
