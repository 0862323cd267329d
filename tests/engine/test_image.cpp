#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "color.h"
#include "image.h"
#include "test_support.h"

using imgproc::Image;
using testsupport::makeImage;
using testsupport::values;

TEST(ImageBuffer, CopiesAreDeepAndMovesHandOverTheValues) {
    const std::vector<float> expected{0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f};
    Image source = makeImage(1, 2, 3, expected);
    Image copied(source), assigned, exact;
    assigned = source;
    source.copyTo(exact);
    source.data[0] = 42.0f;
    for (const Image* copy : {&copied, &assigned, &exact}) {
        EXPECT_EQ(std::pair(copy->width, copy->channels), std::pair(2, 3));
        EXPECT_EQ(values(*copy), expected);
    }
    Image moved(std::move(copied));
    assigned = std::move(moved);
    EXPECT_EQ(values(assigned), expected);
    // Copying an empty image leaves an empty image, not the old contents.
    Image().copyTo(exact);
    EXPECT_EQ(exact.size(), 0u);
}

TEST(ImageChannels, ExtractSplitAndMergePickInterleavedValues) {
    const Image rgb = makeImage(1, 2, 3, {1, 2, 3, 4, 5, 6});
    Image green, merged;
    rgb.extractChannel(1, green);
    ASSERT_EQ(green.channels, 1);
    EXPECT_EQ(values(green), (std::vector<float>{2, 5}));
    Image *planes = nullptr, *others = nullptr;
    rgb.splitChannels(planes);
    imgproc::splitPlanes(rgb, others);
    EXPECT_EQ(values(planes[2]), (std::vector<float>{3, 6}));
    EXPECT_EQ(values(others[2]), (std::vector<float>{3, 6}));
    imgproc::mergePlanes(planes, 3, merged);
    EXPECT_EQ(values(merged), values(rgb));
    delete[] planes;
    delete[] others;
}

TEST(ImageArithmetic, ElementwiseOperators) {
    const Image a = makeImage(1, 3, 1, {4.0f, -1.0f, 0.25f});
    const Image b = makeImage(1, 3, 1, {2.0f, 0.5f, -4.0f});
    const std::pair<Image, std::vector<float>> cases[] = {
        {a + b, {6.0f, -0.5f, -3.75f}},   {a - b, {2.0f, -1.5f, 4.25f}},
        {a.mul(b), {8.0f, -0.5f, -1.0f}}, {a.div(b), {2.0f, -2.0f, -0.0625f}},
        {a.abs(), {4.0f, 1.0f, 0.25f}},   {a + 1.0f, {5.0f, 0.0f, 1.25f}},
        {a - 1.0f, {3.0f, -2.0f, -0.75f}}, {a * 2.0f, {8.0f, -2.0f, 0.5f}},
        {a / 2.0f, {2.0f, -0.5f, 0.125f}}, {b.abs().sqrt(), {1.41421356f, 0.70710678f, 2.0f}},
    };
    for (size_t k = 0; k < std::size(cases); ++k)
        for (int i = 0; i < 3; ++i) EXPECT_NEAR(cases[k].first.data[i], cases[k].second[i], 1e-6) << k << "," << i;
    // Division by zero stays finite: 0 / 0 gives 0, not NaN.
    const Image q = makeImage(1, 2, 1, {1.0f, 0.0f}).div(makeImage(1, 2, 1, {0.0f, 0.0f}));
    EXPECT_GT(q.data[0], 1e6f);
    EXPECT_EQ(q.data[1], 0.0f);
}
