#include <gtest/gtest.h>

#include <cmath>
#include <tuple>
#include <vector>

#include "color.h"
#include "test_support.h"

using imgproc::Image;
using testsupport::makeImage;

TEST(GreyConversion, WeightSumAndCapsAboveOneOnly) {
    Image white = makeImage(1, 1, 3, {1, 1, 1});
    Image grey;
    imgproc::rgbToGray(white, grey, 1.0f);
    ASSERT_EQ(grey.channels, 1);
    EXPECT_FLOAT_EQ(grey.data[0], 0.9999f);
    imgproc::rgbToGray(white, grey, 2.2f);
    EXPECT_FLOAT_EQ(grey.data[0], 0.9999f);
    imgproc::rgbToGray(makeImage(1, 1, 3, {2, 2, 2}), grey, 1.0f);
    EXPECT_EQ(grey.data[0], 1.0f);

    Image values = makeImage(1, 3, 1, {1.5f, -0.25f, 0.25f});
    imgproc::applyGamma(values, grey, 1.0f);
    EXPECT_EQ(std::pair(grey.data[0], grey.data[1]), std::pair(1.0f, -0.25f));
    imgproc::applyGamma(values, grey, 2.0f);
    EXPECT_EQ(grey.data[2], 0.0625f);
}

TEST(YCbCr, BlackAndGreyRoundTrip) {
    Image pixels = makeImage(1, 2, 3, {0, 0, 0, 0.5f, 0.5f, 0.5f});
    Image ycc, rgb;
    imgproc::rgbToYCbCr(pixels, ycc);
    EXPECT_EQ(ycc.extra, 1);
    EXPECT_FLOAT_EQ(ycc.data[0], 0.0f);
    EXPECT_FLOAT_EQ(ycc.data[1], 0.502f);
    EXPECT_FLOAT_EQ(ycc.data[2], 0.502f);
    for (int i = 3; i < 6; ++i) EXPECT_NEAR(ycc.data[i], i == 3 ? 0.5f : 0.502f, 1e-6);
    imgproc::yCbCrToRgb(ycc, rgb);
    EXPECT_EQ(rgb.extra, 0);
    for (int i = 0; i < 6; ++i) EXPECT_NEAR(rgb.data[i], pixels.data[i], 1e-6);
}

TEST(ValueOperations, ClampHandlesInvertedBoundsAndNaN) {
    Image values = makeImage(1, 4, 1, {-0.1f, 0.4f, 1.2f, NAN});
    Image out;
    imgproc::clamp(values, out, 0.0f, 1.0f);
    EXPECT_EQ(std::tuple(out.data[0], out.data[1], out.data[2]), std::tuple(0.0f, 0.4f, 1.0f));
    EXPECT_TRUE(std::isnan(out.data[3]));
    imgproc::clamp(values, out, 2.0f, 1.0f);
    EXPECT_EQ(out.data[1], 1.0f);
}

TEST(ValueOperations, NormalizeSumEpsilonCases) {
    Image unit = makeImage(1, 2, 1, {0.25f, 0.75f});
    Image out;
    imgproc::normalizeSum(unit, out);
    EXPECT_EQ(out.data[1], 0.75f / 1.0000001f);
    EXPECT_LT(out.data[1], 0.75f);

    imgproc::normalizeSum(makeImage(2, 2, 1, {1, 1, 1, 1}), out);
    EXPECT_EQ(out.data[0], 0.25f);
    imgproc::normalizeSum(makeImage(1, 3, 1, {0, 0, 0}), out);
    EXPECT_EQ(out.data[2], 0.0f);
}

TEST(ValueOperations, IntegralImageOfOnes) {
    Image ones = makeImage(2, 2, 1, {1, 1, 1, 1});
    Image sums;
    imgproc::integralImage(ones, sums);
    EXPECT_EQ(std::vector<float>(sums.data, sums.data + 4), (std::vector<float>{1, 2, 2, 4}));

    Image twoChannels = makeImage(1, 2, 2, {1, 10, 2, 20});
    imgproc::integralImage(twoChannels, sums);
    EXPECT_EQ(std::pair(sums.data[2], sums.data[3]), std::pair(3.0f, 30.0f));
}

TEST(ValueOperations, SplitThenMergeRestoresTheSource) {
    Image rgb = makeImage(2, 3, 3, {});
    for (size_t i = 0; i < rgb.size(); ++i) rgb.data[i] = static_cast<float>(i) * 0.5f;
    Image* planes = nullptr;
    imgproc::splitPlanes(rgb, planes);
    Image merged;
    imgproc::mergePlanes(planes, 3, merged);
    delete[] planes;
    ASSERT_EQ(merged.channels, 3);
    for (size_t i = 0; i < rgb.size(); ++i) EXPECT_EQ(merged.data[i], rgb.data[i]);
}
