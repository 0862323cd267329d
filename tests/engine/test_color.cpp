#include <gtest/gtest.h>

#include <vector>

#include "color.h"
#include "test_support.h"

using imgproc::Image;
using testsupport::makeImage;

namespace {

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
    expectNear(grey, {0.2989f, 0.587f, 0.114f, 0.5924f, 1.0f}, 1e-6f);
    // Gamma applies to each channel before weighting: orange's green becomes 0.25.
    imgproc::rgbToGray(rgb, grey, 2.0f);
    EXPECT_NEAR(grey.data[3], 0.44565f, 1e-6f);
    imgproc::applyGamma(makeImage(1, 3, 1, {1.5f, -0.25f, 0.5f}), grey, 2.0f);
    expectNear(grey, {1.0f, 0.0625f, 0.25f}, 0);
}

TEST(YCbCr, SaturatedColoursSeparateTheChromaPlanes) {
    // Full-range BT.601, chroma offset 0.502: red, blue and black worked by hand, then teal back and forth.
    const Image rgb = makeImage(1, 4, 3, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0.1f, 0.6f, 0.45f});
    Image ycc, back;
    imgproc::rgbToYCbCr(rgb, ycc);
    const std::vector<float> primaries{0.299f, 0.33326f, 1.002f, 0.114f, 1.002f, 0.42069f, 0.0f, 0.502f, 0.502f};
    expectNear(testsupport::cropTopLeft(ycc, 1, 3, 0, 0), primaries, 1e-6f);
    imgproc::yCbCrToRgb(ycc, back);
    expectNear(back, testsupport::values(rgb), 2e-5f);
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
    // Large enough to be filled by several threads in strips and blocks, two channels.
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
