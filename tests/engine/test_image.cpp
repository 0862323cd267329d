#include <gtest/gtest.h>

#include <tuple>
#include <utility>

#include "color.h"
#include "image.h"
#include "test_support.h"

using imgproc::Image;
using testsupport::makeImage;

TEST(ImageBuffer, SizedAndCopiedImagesFollowTheRoundingRule) {
    Image a(4, 4, 1), b(3, 3, 3);
    Image copy(b), exactA, exactB;
    a.copyTo(exactA);
    b.copyTo(exactB);
    EXPECT_EQ(std::tuple(a.capacity(), b.capacity(), copy.capacity()), std::tuple(size_t{20}, size_t{36}, size_t{36}));
    EXPECT_EQ(std::pair(exactA.capacity(), exactB.capacity()), std::pair(size_t{16}, size_t{27}));

    Image planar;
    b.extractChannel(0, planar);
    EXPECT_EQ(planar.capacity(), 12u);

    // Copying an empty image leaves no data behind.
    Image().copyTo(exactA);
    EXPECT_EQ(exactA.data, nullptr);
    EXPECT_EQ(std::pair(exactA.width, exactA.channels), std::pair(0, 0));
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
    // Arithmetic results are plain values again.
    EXPECT_EQ((ycc + ycc).extra + (ycc * 2.0f).extra + ycc.sqrt().extra, 0);
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

TEST(ImageChannels, ExtractAndSplitPickInterleavedValues) {
    Image rgb = makeImage(1, 2, 3, {1, 2, 3, 4, 5, 6});
    Image green;
    rgb.extractChannel(1, green);
    ASSERT_EQ(green.channels, 1);
    EXPECT_EQ(std::pair(green.data[0], green.data[1]), std::pair(2.0f, 5.0f));

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


TEST(ImageBuffer, LargeBuffersAreReusedWithTheirOwnSize) {
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "blocks are not cached under AddressSanitizer";
#endif
    float* first = nullptr;
    {
        Image big(512, 512, 2);
        first = big.data;
    }
    {
        // A slightly smaller image takes the released block but reports the size it asked for.
        Image again(511, 512, 2);
        EXPECT_EQ(again.data, first);
        EXPECT_EQ(again.capacity(), Image::roundedBufferSize(511, 512, 2));
        Image exact;
        again.copyTo(exact);
        EXPECT_EQ(exact.capacity(), again.size());
    }
    // A much smaller image does not hold on to a block four times its size.
    Image quarter(256, 256, 2);
    EXPECT_NE(quarter.data, first);
    EXPECT_EQ(quarter.capacity(), Image::roundedBufferSize(256, 256, 2));
}
