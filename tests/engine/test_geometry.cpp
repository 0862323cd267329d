#include <gtest/gtest.h>

#include <tuple>
#include <utility>
#include <vector>

#include "geometry.h"
#include "test_support.h"

using imgproc::Image;
using testsupport::makeImage;
using testsupport::values;

namespace {

// Values depending only on the row (or the column): one pass of the separable resampler is seen on its own.
Image ramp(int rows, int cols, bool alongRows) {
    Image image(rows, cols, 1);
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < cols; ++x) {
            const int k = alongRows ? y : x;
            image.data[y * cols + x] = static_cast<float>((k * 37) % 11) + 0.1f * k;
        }
    return image;
}

float at(const Image& image, int y, int x) { return image.data[y * image.width + x]; }

}  // namespace

TEST(Resampling, TriangleWeightsWorkedByHand) {
    // One target sample: its weights over the first source rows (or columns).
    const struct { int rows, cols, height, width; bool alongRows; int y, x; std::vector<float> weights; } cases[] = {
        {100, 100, 50, 50, true, 0, 7, {0.5f, 0.375f, 0.125f}},                  // halving: edge clamped
        {100, 100, 50, 50, true, 1, 3, {0, 0.125f, 0.375f, 0.375f, 0.125f}},     // centre 2.5
        {50, 50, 100, 100, false, 9, 1, {0.75f, 0.25f}},                         // doubling
        {100, 8, 25, 8, true, 0, 4, {5 / 24.0f, 7 / 24.0f, 7 / 24.0f, 5 / 24.0f}},  // one side only: four taps
        {7, 5, 7, 5, true, 3, 2, {0, 0, 0, 1}},                                  // same size: a copy
    };
    for (const auto& c : cases) {
        const Image source = ramp(c.rows, c.cols, c.alongRows);
        Image out;
        imgproc::resize(source, c.height, c.width, out);
        ASSERT_EQ(std::pair(out.height, out.width), std::pair(c.height, c.width));
        double expected = 0;
        for (size_t k = 0; k < c.weights.size(); ++k)
            expected += c.weights[k] * (c.alongRows ? at(source, k, 0) : at(source, 0, k));
        EXPECT_NEAR(at(out, c.y, c.x), expected, 1e-5) << c.rows << "x" << c.cols << " to " << c.height;
    }
}

TEST(Resampling, DegenerateTargetsAndSources) {
    const Image source = ramp(10, 10, true);
    Image out;
    imgproc::resize(source, 0, 5, out);
    EXPECT_EQ(std::pair(out.height, out.width), std::pair(0, 5));
    imgproc::resize(source, -3, 5, out);
    EXPECT_EQ(out.size(), 0u);
    for (int channels : {1, 3}) {
        out = source;
        imgproc::resize(Image(0, 7, channels), 4, 5, out);
        EXPECT_EQ(std::tuple(out.height, out.width, out.size()), std::tuple(0, 0, 0u)) << channels;
    }
    imgproc::resize(makeImage(1, 4, 1, {1, 2, 3, 4}), 3, 4, out);
    for (int y = 0; y < 3; ++y) EXPECT_FLOAT_EQ(at(out, y, 2), 3.0f);
}

TEST(Resampling, MatchesTheReferenceOutputsInEveryChannel) {
    const Image source = testsupport::readNetpbm(testsupport::dataPath("golden/camera_100.pgm"));
    Image rgb(source.height, source.width, 3);  // the picture in each channel, scaled exactly by 1, 2 and 4
    for (size_t i = 0; i < rgb.size(); ++i) rgb.data[i] = source.data[i / 3] * static_cast<float>(1 << (i % 3));
    for (auto [height, width, file] : {std::tuple(61, 61, "golden/resize_camera_100_to_61x61.f32"),
                                       std::tuple(173, 150, "golden/resize_camera_100_to_173x150.f32"),
                                       std::tuple(100, 37, "golden/resize_camera_100_to_100x37.f32")}) {
        const Image expected = testsupport::readF32(testsupport::dataPath(file));
        Image out, colour;
        imgproc::resize(source, height, width, out);
        ASSERT_EQ(std::pair(out.height, out.width), std::pair(expected.height, expected.width)) << file;
        EXPECT_LT(testsupport::maxAbsDiff(out, expected), 1e-5) << file;
        imgproc::resize(rgb, height, width, colour);
        ASSERT_EQ(colour.size(), 3 * out.size());
        for (size_t i = 0; i < colour.size(); ++i) ASSERT_EQ(colour.data[i], out.data[i / 3] * (1 << (i % 3))) << i;
    }
}

TEST(Geometry, PaddingCroppingReflectionAndInvalidMargins) {
    const Image grid = makeImage(2, 3, 1, {1, 2, 3, 4, 5, 6});
    Image out;
    imgproc::padZero(grid, 1, 0, 0, 2, out);
    ASSERT_EQ(std::pair(out.height, out.width), std::pair(3, 5));
    EXPECT_EQ(values(out), (std::vector<float>{0, 0, 0, 0, 0, 1, 2, 3, 0, 0, 4, 5, 6, 0, 0}));
    imgproc::padReplicate(grid, 0, 1, 2, 0, out);
    EXPECT_EQ(values(out), (std::vector<float>{1, 1, 1, 2, 3, 4, 4, 4, 5, 6, 4, 4, 4, 5, 6}));
    imgproc::crop(grid, 1, 0, 1, 1, out);
    EXPECT_EQ(values(out), std::vector<float>{5});
    imgproc::rotate180(grid, out);
    EXPECT_EQ(values(out), (std::vector<float>{6, 5, 4, 3, 2, 1}));
    // Negative margins, a crop beyond the picture and an empty source give an empty image.
    Image a = grid, b = grid, c = grid, d = grid;
    imgproc::padZero(grid, -1, 0, 0, 0, a);
    imgproc::crop(grid, 2, 1, 0, 0, b);
    imgproc::crop(grid, 0, 0, -1, 0, c);
    imgproc::padReplicate(Image(), 1, 1, 1, 1, d);
    EXPECT_EQ(std::tuple(a.size(), b.size(), c.size(), d.size()), std::tuple(0u, 0u, 0u, 0u));
}

TEST(Geometry, CircularShiftMovesDownAndRightAndWraps) {
    const Image grid = makeImage(3, 2, 1, {1, 2, 3, 4, 5, 6});
    Image shifted;
    imgproc::circShift(grid, 1, 0, shifted);
    EXPECT_EQ(values(shifted), (std::vector<float>{5, 6, 1, 2, 3, 4}));
    imgproc::circShift(grid, -1, 1, shifted);
    EXPECT_EQ(values(shifted), (std::vector<float>{4, 3, 6, 5, 2, 1}));
    imgproc::circShift(grid, 6, -4, shifted);
    EXPECT_EQ(values(shifted), values(grid));
    imgproc::circShift(makeImage(1, 2, 2, {1, 2, 3, 4}), 0, 1, shifted);
    EXPECT_EQ(values(shifted), (std::vector<float>{3, 4, 1, 2}));
}
