#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

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
    Image k(rows, cols, 1);
    std::fill(k.data, k.data + rows * cols, 0.0f);
    k.data[(rows / 2) * cols + cols / 2] = 1.0f;
    return k;
}

// Same-size convolution with zeros outside, centred on (kh / 2, kw / 2).
Image zeroBoundaryConvolution(const Image& im, const Image& k) {
    Image out(im.height, im.width, im.channels);
    for (int r = 0; r < im.height; ++r)
        for (int c = 0; c < im.width; ++c)
            for (int ch = 0; ch < im.channels; ++ch) {
                double sum = 0.0;
                for (int i = 0; i < k.height; ++i)
                    for (int j = 0; j < k.width; ++j) {
                        const int rr = r + k.height / 2 - i, cc = c + k.width / 2 - j;
                        if (rr < 0 || rr >= im.height || cc < 0 || cc >= im.width) continue;
                        sum += double(k.data[i * k.width + j]) *
                               im.data[(rr * im.width + cc) * im.channels + ch];
                    }
                out.data[(r * im.width + c) * im.channels + ch] = float(sum);
            }
    return out;
}

}  // namespace

TEST(EdgeTaper, DeltaKernelIsIdentityForEveryChannel) {
    Image im = patterned(23, 31, 3);
    Image out;
    imgproc::edgeTaper(im, delta(5, 7), out);
    ASSERT_EQ(out.width, 31);
    ASSERT_EQ(out.height, 23);
    ASSERT_EQ(out.channels, 3);
    EXPECT_EQ(out.extra, 0);
    EXPECT_LT(testsupport::maxAbsDiff(out, im), 1e-6);
}

TEST(EdgeTaper, MatchesReferenceOnCameraWithShake00) {
    Image im = testsupport::readNetpbm(testsupport::dataPath("golden/camera_100.pgm"));
    Image k = testsupport::readF32(testsupport::dataPath("golden/shake_00.f32"));
    Image expected = testsupport::readF32(testsupport::dataPath("golden/edgetaper_camera_100_shake_00.f32"));
    Image out;
    imgproc::edgeTaper(im, k, out);
    ASSERT_EQ(out.width, expected.width);
    ASSERT_EQ(out.height, expected.height);
    ASSERT_EQ(out.channels, expected.channels);
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
    const float expected[6] = {0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f};
    for (int i = 0; i < 6; ++i) EXPECT_NEAR(out.data[i], expected[i], 1e-6) << i;

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

TEST(FftConvolve, CentredDeltaIsIdentity) {
    for (int channels : {1, 3}) {
        Image im = patterned(17, 12, channels);
        Image out;
        imgproc::fftConvolve(out, im, delta(4, 5));
        ASSERT_EQ(out.width, 12);
        ASSERT_EQ(out.height, 17);
        ASSERT_EQ(out.channels, channels);
        EXPECT_LT(testsupport::maxAbsDiff(out, im), 1e-6);
    }
}

TEST(FftConvolve, ZeroBoundaryAndOrientation) {
    Image constant = makeImage(6, 7, 1, std::vector<float>(42, 0.6f));
    Image box = makeImage(3, 3, 1, std::vector<float>(9, 1.0f / 9));
    Image out;
    imgproc::fftConvolve(out, constant, box);
    EXPECT_NEAR(out.data[2 * 7 + 3], 0.6f, 1e-6);
    EXPECT_NEAR(out.data[0], 0.6f * 4 / 9, 1e-6);
    EXPECT_NEAR(out.data[3], 0.6f * 6 / 9, 1e-6);

    // An asymmetric, even-sized kernel fixes which way the kernel is applied.
    Image im = patterned(9, 11, 2);
    Image k = makeImage(2, 3, 1, {0.1f, 0.5f, 0.0f, 0.3f, 0.0f, 0.1f});
    imgproc::fftConvolve(out, im, k);
    EXPECT_LT(testsupport::maxAbsDiff(out, zeroBoundaryConvolution(im, k)), 1e-6);
}
