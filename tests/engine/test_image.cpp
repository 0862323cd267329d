#include <gtest/gtest.h>

#include <cmath>

#include "color.h"
#include "image.h"
#include "test_support.h"

using imgproc::Image;
using testsupport::makeImage;

TEST(ImageBuffer, SizedAndCopiedImagesFollowTheRoundingRule) {
    Image a(4, 4, 1);
    EXPECT_EQ(a.capacity(), 20u);
    Image b(3, 3, 3);
    EXPECT_EQ(b.capacity(), 36u);
    Image copy(b);
    EXPECT_EQ(copy.capacity(), 36u);

    Image exactA, exactB;
    a.copyTo(exactA);
    b.copyTo(exactB);
    EXPECT_EQ(exactA.capacity(), 16u);
    EXPECT_EQ(exactB.capacity(), 27u);

    Image planar;
    b.extractChannel(0, planar);
    EXPECT_EQ(planar.capacity(), 12u);
}

TEST(ImageBuffer, ElementOrderIsRowMajorWithRowsFirstInTheConstructor) {
    Image image(2, 3, 1);
    EXPECT_EQ(image.width, 3);
    EXPECT_EQ(image.height, 2);
    for (int i = 0; i < 6; ++i) image.data[i] = static_cast<float>(i);
    const int x = 2, y = 1;
    EXPECT_EQ(image.data[y * image.width + x], 5.0f);
}

TEST(ImageBuffer, CopiesAreDeepAndCarryTheColourTag) {
    Image rgb = makeImage(1, 2, 3, {0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f});
    Image ycc;
    imgproc::rgbToYCbCr(rgb, ycc);
    ASSERT_EQ(ycc.extra, 1);
    Image copy(ycc);
    EXPECT_EQ(copy.extra, 1);
    EXPECT_NE(copy.data, ycc.data);
    copy.data[0] = 42.0f;
    EXPECT_NE(ycc.data[0], 42.0f);
    EXPECT_EQ((ycc + ycc).extra, 0);
    EXPECT_EQ((ycc * 2.0f).extra, 0);
    EXPECT_EQ(ycc.sqrt().extra, 0);
}

TEST(ImageBuffer, MoveAssignmentSwapsAndSelfAssignmentKeeps) {
    Image a = makeImage(1, 2, 1, {1.0f, 2.0f});
    float* buffer = a.data;
    Image& alias = a;
    a = std::move(alias);
    EXPECT_EQ(a.data, buffer);
    EXPECT_EQ(a.data[1], 2.0f);

    Image b = makeImage(1, 1, 1, {7.0f});
    float* bBuffer = b.data;
    a = std::move(b);
    EXPECT_EQ(a.data, bBuffer);
    EXPECT_EQ(a.width, 1);
}

TEST(ImageBuffer, CopyToOfAnEmptyImageLeavesNoData) {
    Image empty;
    Image destination = makeImage(2, 2, 1, {1, 2, 3, 4});
    empty.copyTo(destination);
    EXPECT_EQ(destination.data, nullptr);
    EXPECT_EQ(destination.width, 0);
    EXPECT_EQ(destination.channels, 0);
}

TEST(ImageChannels, ExtractAndSplitPickInterleavedValues) {
    Image rgb = makeImage(1, 2, 3, {1, 2, 3, 4, 5, 6});
    Image green;
    rgb.extractChannel(1, green);
    ASSERT_EQ(green.channels, 1);
    EXPECT_EQ(green.data[0], 2.0f);
    EXPECT_EQ(green.data[1], 5.0f);

    Image* planes = nullptr;
    rgb.splitChannels(planes);
    EXPECT_EQ(planes[2].data[1], 6.0f);
    delete[] planes;
}

TEST(ImageArithmetic, DivisionRaisesTheDivisorByEpsilon) {
    Image one = makeImage(1, 2, 1, {1.0f, 0.0f});
    Image zero = makeImage(1, 2, 1, {0.0f, 0.0f});
    Image q = one.div(zero);
    EXPECT_FLOAT_EQ(q.data[0], 8388608.0f);
    EXPECT_EQ(q.data[1], 0.0f);
}

TEST(ImageArithmetic, ScalarAndElementWiseOperations) {
    Image a = makeImage(1, 4, 1, {-2.0f, 0.25f, 4.0f, -0.0f});
    Image minus = a - 0.5f;
    Image plus = a + (-0.5f);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(minus.data[i], plus.data[i]);

    Image absolute = a.abs();
    EXPECT_EQ(absolute.data[0], 2.0f);
    Image roots = a.sqrt();
    EXPECT_TRUE(std::isnan(roots.data[0]));
    EXPECT_EQ(roots.data[2], 2.0f);
    Image third = a / 3.0f;
    EXPECT_EQ(third.data[2], 4.0f / 3.0f);
    Image product = a.mul(a);
    EXPECT_EQ(product.data[0], 4.0f);
}
