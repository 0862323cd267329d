#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "color.h"
#include "test_support.h"

using imgproc::Image;
using testsupport::makeImage;

namespace {

std::vector<float> values(const Image& image) { return std::vector<float>(image.data, image.data + image.size()); }

void expectNear(const Image& image, const std::vector<float>& expected, float tolerance) {
    ASSERT_EQ(image.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_NEAR(image.data[i], expected[i], tolerance) << i;
}

}  // namespace

TEST(GreyConversion, EachPrimaryCarriesItsOwnWeight) {
    // Pure red, green and blue, then orange (1, 0.5, 0) and a white above 1.
    const Image rgb = makeImage(1, 5, 3, {1, 0, 0, 0, 1, 0, 0, 0, 1, 1, 0.5f, 0, 2, 2, 2});
    Image grey;
    imgproc::rgbToGray(rgb, grey, 1.0f);
    ASSERT_EQ(grey.channels, 1);
    // 0.2989 + 0.587 / 2 for orange; the white is capped at 1.
    expectNear(grey, {0.2989f, 0.587f, 0.114f, 0.5924f, 1.0f}, 1e-6f);
    // Gamma applies to each channel before weighting: orange's green becomes 0.25.
    imgproc::rgbToGray(rgb, grey, 2.0f);
    EXPECT_NEAR(grey.data[3], 0.44565f, 1e-6f);  // 0.2989 + 0.587 / 4

    imgproc::applyGamma(makeImage(1, 3, 1, {1.5f, -0.25f, 0.5f}), grey, 2.0f);
    expectNear(grey, {1.0f, 0.0625f, 0.25f}, 0);
}

TEST(YCbCr, SaturatedColoursSeparateTheChromaPlanes) {
    // Full-range BT.601 with chroma offset 0.502, worked by hand: red has
    // Cb = 0.502 - 0.16874 and Cr = 0.502 + 0.5; blue has Cb = 0.502 + 0.5 and
    // Cr = 0.502 - 0.08131; black sits on the offset.
    const Image rgb = makeImage(1, 3, 3, {1, 0, 0, 0, 0, 1, 0, 0, 0});
    Image ycc, back;
    imgproc::rgbToYCbCr(rgb, ycc);
    expectNear(ycc, {0.299f, 0.33326f, 1.002f, 0.114f, 1.002f, 0.42069f, 0.0f, 0.502f, 0.502f}, 1e-6f);
    imgproc::yCbCrToRgb(ycc, back);
    expectNear(back, values(rgb), 2e-5f);
    // A colour away from the primaries comes back too.
    const Image teal = makeImage(1, 1, 3, {0.1f, 0.6f, 0.45f});
    imgproc::rgbToYCbCr(teal, ycc);
    imgproc::yCbCrToRgb(ycc, back);
    expectNear(back, values(teal), 2e-5f);
}

TEST(ValueOperations, ClampAndNormalizeSum) {
    Image out;
    imgproc::clamp(makeImage(1, 3, 1, {-0.1f, 0.4f, 1.2f}), out, 0.0f, 1.0f);
    expectNear(out, {0.0f, 0.4f, 1.0f}, 0);
    imgproc::normalizeSum(makeImage(1, 3, 1, {0.5f, 1.5f, 2.0f}), out);
    expectNear(out, {0.125f, 0.375f, 0.5f}, 1e-6f);
    // A kernel of zeros stays zero instead of becoming NaN.
    imgproc::normalizeSum(makeImage(1, 3, 1, {0, 0, 0}), out);
    expectNear(out, {0, 0, 0}, 0);
}

TEST(ValueOperations, IntegralImageSumsAboveAndToTheLeft) {
    Image sums;
    imgproc::integralImage(makeImage(2, 3, 1, {1, 2, 3, 4, 5, 6}), sums);
    expectNear(sums, {1, 3, 6, 5, 12, 21}, 0);
    imgproc::integralImage(makeImage(1, 2, 2, {1, 10, 2, 20}), sums);
    expectNear(sums, {1, 10, 3, 30}, 0);

    // Large enough to be filled by several threads in strips and blocks.
    const Image big = testsupport::randomImage(300, 401, 2, 5);
    imgproc::integralImage(big, sums);
    std::vector<double> column(401 * 2, 0.0);
    for (int y = 0; y < 300; ++y) {
        double row[2] = {0, 0};
        for (int x = 0; x < 401; ++x)
            for (int c = 0; c < 2; ++c) {
                const size_t i = (static_cast<size_t>(y) * 401 + x) * 2 + c;
                row[c] += big.data[i];
                column[x * 2 + c] += row[c];
                ASSERT_NEAR(sums.data[i], column[x * 2 + c], 1e-4 * column[x * 2 + c]) << y << "," << x;
            }
    }
}
