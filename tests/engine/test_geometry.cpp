#include <gtest/gtest.h>

#include <tuple>
#include <utility>

#include "geometry.h"
#include "test_support.h"

using imgproc::Image;
using testsupport::makeImage;

namespace {

// A plane whose value depends only on the row (or only on the column), so one
// pass of the separable resampler is observed on its own.
Image rowRamp(int rows, int cols, bool alongRows) {
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

TEST(Resampling, SameSizeIsAnExactCopy) {
    Image source = rowRamp(7, 5, true);
    for (size_t i = 0; i < source.size(); ++i) source.data[i] += 0.01f * static_cast<float>(i);
    Image out;
    imgproc::resize(source, 7, 5, out);
    ASSERT_EQ(std::pair(out.height, out.width), std::pair(7, 5));
    for (size_t i = 0; i < source.size(); ++i) EXPECT_EQ(out.data[i], source.data[i]);
}

TEST(Resampling, HalvingUsesTheStretchedKernel) {
    Image source = rowRamp(100, 100, true);
    Image out;
    imgproc::resize(source, 50, 50, out);
    const float p0 = at(source, 0, 0), p1 = at(source, 1, 0), p2 = at(source, 2, 0);
    EXPECT_NEAR(at(out, 0, 7), 0.5f * p0 + 0.375f * p1 + 0.125f * p2, 1e-5);
    // Second target row: centre 2.5, weights 1/8 3/8 3/8 1/8 on rows 1..4.
    const float p3 = at(source, 3, 0), p4 = at(source, 4, 0);
    EXPECT_NEAR(at(out, 1, 3), 0.125f * p1 + 0.375f * p2 + 0.375f * p3 + 0.125f * p4, 1e-5);
}

TEST(Resampling, DoublingInterpolatesBetweenCentres) {
    Image source = rowRamp(50, 50, false);
    Image out;
    imgproc::resize(source, 100, 100, out);
    const float p0 = at(source, 0, 0), p1 = at(source, 0, 1);
    EXPECT_NEAR(at(out, 9, 0), p0, 1e-6);
    EXPECT_NEAR(at(out, 9, 1), 0.75f * p0 + 0.25f * p1, 1e-6);
}

TEST(Resampling, ShrinkingOneDirectionKeepsFourTaps) {
    Image source = rowRamp(100, 8, true);
    Image out;
    imgproc::resize(source, 25, 8, out);
    ASSERT_EQ(out.width, 8);
    const float expected =
        (5 * at(source, 0, 0) + 7 * at(source, 1, 0) + 7 * at(source, 2, 0) + 5 * at(source, 3, 0)) / 24.0f;
    EXPECT_NEAR(at(out, 0, 4), expected, 1e-5);
}

TEST(Resampling, EachPlaneAndInPlace) {
    Image rgb(10, 10, 3);
    for (size_t i = 0; i < rgb.size(); ++i) rgb.data[i] = static_cast<float>(i % 3);
    Image out;
    imgproc::resize(rgb, 4, 6, out);
    ASSERT_EQ(out.channels, 3);
    for (int i = 0; i < 24; ++i)
        for (int c = 0; c < 3; ++c) EXPECT_NEAR(out.data[i * 3 + c], c, 1e-5);

    // In place equals out of place.
    Image source = rowRamp(31, 17, true);
    Image separate;
    imgproc::resize(source, 12, 40, separate);
    imgproc::resize(source, 12, 40, source);
    ASSERT_EQ(source.width, 40);
    for (size_t i = 0; i < separate.size(); ++i) EXPECT_EQ(source.data[i], separate.data[i]);
}

TEST(Resampling, DegenerateTargetsAndSources) {
    Image source = rowRamp(10, 10, true);
    Image out;
    imgproc::resize(source, 0, 5, out);
    EXPECT_EQ(std::pair(out.height, out.width), std::pair(0, 5));
    imgproc::resize(source, -3, 5, out);
    EXPECT_EQ(out.size(), 0u);
    // An empty source has nothing to resample from, whatever the target.
    for (int channels : {1, 3}) {
        out = source;
        imgproc::resize(Image(0, 7, channels), 4, 5, out);
        EXPECT_EQ(std::tuple(out.height, out.width, out.size()), std::tuple(0, 0, 0u)) << channels;
    }

    Image line = makeImage(1, 4, 1, {1, 2, 3, 4});
    imgproc::resize(line, 3, 4, out);
    for (int y = 0; y < 3; ++y) EXPECT_FLOAT_EQ(at(out, y, 2), 3.0f);
}

TEST(Resampling, MatchesTheReferenceOutputs) {
    const Image source = testsupport::readNetpbm(testsupport::dataPath("golden/camera_100.pgm"));
    const struct {
        int height, width;
        const char* file;
    } cases[] = {{61, 61, "golden/resize_camera_100_to_61x61.f32"},
                 {173, 150, "golden/resize_camera_100_to_173x150.f32"},
                 {100, 37, "golden/resize_camera_100_to_100x37.f32"}};
    for (const auto& c : cases) {
        const Image expected = testsupport::readF32(testsupport::dataPath(c.file));
        Image out;
        imgproc::resize(source, c.height, c.width, out);
        ASSERT_EQ(std::pair(out.height, out.width), std::pair(expected.height, expected.width)) << c.file;
        EXPECT_LT(testsupport::maxAbsDiff(out, expected), 1e-5) << c.file;
    }
}

TEST(Geometry, PaddingCroppingAndReflection) {
    Image one = makeImage(1, 1, 1, {0.3f});
    Image padded;
    imgproc::padReplicate(one, 3, 3, 3, 3, padded);
    ASSERT_EQ(std::pair(padded.height, padded.width), std::pair(7, 7));
    for (int i = 0; i < 49; ++i) EXPECT_EQ(padded.data[i], 0.3f);

    Image grid = makeImage(2, 3, 1, {1, 2, 3, 4, 5, 6});
    imgproc::padZero(grid, 1, 0, 0, 2, padded);
    ASSERT_EQ(std::pair(padded.height, padded.width), std::pair(3, 5));
    EXPECT_EQ(std::tuple(at(padded, 0, 0), at(padded, 2, 2), at(padded, 2, 4)), std::tuple(0.0f, 6.0f, 0.0f));

    imgproc::padReplicate(grid, 0, 1, 1, 0, padded);
    EXPECT_EQ(at(padded, 2, 0), 4.0f);

    Image cut;
    imgproc::crop(grid, 1, 0, 1, 1, cut);
    ASSERT_EQ(cut.size(), 1u);
    EXPECT_EQ(cut.data[0], 5.0f);

    Image turned;
    imgproc::rotate180(grid, turned);
    EXPECT_EQ(turned.data[0], 6.0f);
    imgproc::rotate180(turned, turned);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(turned.data[i], grid.data[i]);
}

TEST(Geometry, InvalidMarginsGiveAnEmptyImage) {
    Image grid = makeImage(2, 3, 1, {1, 2, 3, 4, 5, 6});
    const auto emptied = [&](auto call) {
        Image out = grid;
        call(out);
        return out.size() == 0;
    };
    EXPECT_TRUE(emptied([&](Image& out) { imgproc::padZero(grid, -1, 0, 0, 0, out); }));
    EXPECT_TRUE(emptied([&](Image& out) { imgproc::crop(grid, 2, 1, 0, 0, out); }));
    EXPECT_TRUE(emptied([&](Image& out) { imgproc::crop(grid, 0, 0, -1, 0, out); }));
    EXPECT_TRUE(emptied([&](Image& out) { imgproc::padReplicate(Image(), 1, 1, 1, 1, out); }));
}

TEST(Geometry, CircularShiftWraps) {
    Image grid = makeImage(3, 2, 1, {1, 2, 3, 4, 5, 6});
    Image shifted;
    imgproc::circShift(grid, -1, 0, shifted);
    EXPECT_EQ(std::pair(at(shifted, 2, 0), at(shifted, 0, 0)), std::pair(1.0f, 3.0f));
    imgproc::circShift(grid, 0, 1, shifted);
    EXPECT_EQ(std::pair(at(shifted, 0, 0), at(shifted, 0, 1)), std::pair(2.0f, 1.0f));
    for (auto [dy, dx] : {std::pair{3, 2}, std::pair{-3, -2}, std::pair{6, -4}}) {
        imgproc::circShift(grid, dy, dx, shifted);
        for (int i = 0; i < 6; ++i) EXPECT_EQ(shifted.data[i], grid.data[i]);
    }
    Image rgb = makeImage(1, 2, 2, {1, 2, 3, 4});
    imgproc::circShift(rgb, 0, 1, shifted);
    EXPECT_EQ(std::pair(shifted.data[0], shifted.data[1]), std::pair(3.0f, 4.0f));
}
