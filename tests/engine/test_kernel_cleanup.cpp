#include <gtest/gtest.h>

#include <limits>
#include <utility>
#include <vector>

#include "kernel_cleanup.h"
#include "test_support.h"

using imgproc::Image;
using testsupport::makeImage;

namespace {

Image zeros(int rows, int cols) { return makeImage(rows, cols, 1, {}); }

}  // namespace

TEST(CleanUpKernel, DegenerateKernelsBecomeTheCentredOnePixelKernel) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    Image unit = zeros(7, 5);
    unit.data[17] = 1.0f;  // passes unchanged: nothing to cut, nothing to move
    // All zero; nothing positive (cutting would empty it, normalising give NaN); a NaN first entry.
    for (Image k : {zeros(5, 5), makeImage(3, 5, 1, std::vector<float>(15, -0.2f)),
                    makeImage(3, 3, 1, {nan, 0.5f, 0.1f, 0.2f, 0.9f, 0, 0, 0.3f, 0}), unit}) {
        const std::pair size(k.height, k.width);
        imgproc::cleanUpKernel(k, k, 0.07f);
        ASSERT_EQ(std::pair(k.height, k.width), size);
        EXPECT_TRUE(testsupport::isCentredImpulse(k)) << size.first << "x" << size.second;
    }
}

TEST(CleanUpKernel, EntryEqualToTheCutIsRemovedAndOneAboveKept) {
    // A one-row kernel is never re-centred (its vertical shift leaves the row): the result is cut and normalised.
    Image k = makeImage(1, 5, 1, {0.07f, 1.0f, 0.0700001f, 0.0f, 0.5f});
    imgproc::cleanUpKernel(k, k, 0.07f);
    const float s = 1.0f + 0.0700001f + 0.5f;
    EXPECT_EQ(k.data[0], 0.0f);
    EXPECT_FLOAT_EQ(k.data[1], 1.0f / s);
    EXPECT_FLOAT_EQ(k.data[2], 0.0700001f / s);
    EXPECT_FLOAT_EQ(k.data[4], 0.5f / s);
}

TEST(CleanUpKernel, MovesTheCentreOfMassOntoTheCentralPixel) {
    // 5 high, 7 wide, mass right of and below the centre by different amounts: (4.8, 3.4) must come to (4, 3).
    Image k = zeros(5, 7);
    k.data[2 * 7 + 3] = 0.6f;
    k.data[3 * 7 + 5] = 0.4f;
    k.data[0] = 0.01f;  // below the cut
    imgproc::cleanUpKernel(k, k, 0.07f);
    EXPECT_EQ(k.data[0], 0.0f);
    EXPECT_NEAR(testsupport::sumOf(k), 1.0, 1e-5);
    double cx = 0, cy = 0;  // counted from 1
    for (int i = 0; i < 35; ++i) {
        cx += (i % 7 + 1) * k.data[i];
        cy += (i / 7 + 1) * k.data[i];
    }
    EXPECT_NEAR(cx, 4.0, 1e-5);
    EXPECT_NEAR(cy, 3.0, 1e-5);

    // Mass at opposite borders: re-centring keeps only 48 % of it, so the un-centred kernel is returned.
    Image border = zeros(5, 5);
    border.data[1 * 5 + 0] = 0.6f;
    border.data[2 * 5 + 4] = 0.4f;
    Image centred, out;
    imgproc::centerKernel(border, centred);
    EXPECT_NEAR(testsupport::sumOf(centred), 0.48, 1e-5);
    imgproc::cleanUpKernel(border, out, 0.07f);
    EXPECT_EQ(testsupport::maxAbsDiff(out, border), 0.0);
}

TEST(TrimKernel, CropsToTheSupport) {
    Image k = zeros(9, 9);
    for (int y = 3; y <= 5; ++y)
        for (int x = 2; x <= 6; ++x) k.data[y * 9 + x] = 0.1f;
    k.data[0] = k.data[80] = 0.5f;  // a lone entry in a row or column is no support
    imgproc::trimKernel(k, k);
    ASSERT_EQ(std::pair(k.height, k.width), std::pair(3, 5));
    EXPECT_EQ(testsupport::maxAbsDiff(k, makeImage(3, 5, 1, std::vector<float>(15, 0.1f))), 0.0);

    Image out;
    imgproc::trimKernel(zeros(9, 7), out);  // no support: size kept
    EXPECT_EQ(std::pair(out.height, out.width), std::pair(9, 7));
    Image column = zeros(5, 5);  // support in one column only: height kept
    column.data[1 * 5 + 2] = column.data[3 * 5 + 2] = 0.5f;
    imgproc::trimKernel(column, out);
    EXPECT_EQ(std::pair(out.height, out.width), std::pair(5, 1));
}

TEST(IsSignificantKernel, CountsOfSmallAndLargeEntries) {
    // Compared in double precision: 1e-5f lies below 1e-5, 0.2f above 0.2.
    const auto kernel = [](int rows, int count, float small, std::vector<std::pair<int, float>> large) {
        Image k = zeros(rows, rows);
        for (int i = 0; i < count; ++i) k.data[i] = small;
        for (auto [i, v] : large) k.data[i] = v;
        return k;
    };
    EXPECT_TRUE(imgproc::isSignificantKernel(kernel(7, 25, 0.3f, {})));  // 25 entries above 1e-5
    EXPECT_FALSE(imgproc::isSignificantKernel(kernel(7, 24, 0.01f, {{0, 0.25f}, {1, 0.25f}})));
    EXPECT_TRUE(imgproc::isSignificantKernel(kernel(7, 24, 0.01f, {{0, 0.25f}})));
    EXPECT_FALSE(imgproc::isSignificantKernel(kernel(7, 30, 1e-5f, {{40, 0.2f}, {41, 0.2f}})));
    EXPECT_TRUE(imgproc::isSignificantKernel(kernel(3, 9, 0.0125f, {{4, 0.9f}})));
    EXPECT_FALSE(imgproc::isSignificantKernel(kernel(3, 9, 0.0125f, {{4, 0.9f}, {3, 0.21f}})));
}
