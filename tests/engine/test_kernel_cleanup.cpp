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

void expectUnitKernel(const Image& k, int rows, int cols) {
    ASSERT_EQ(std::pair(k.height, k.width), std::pair(rows, cols));
    EXPECT_TRUE(testsupport::isCentredImpulse(k));
}

}  // namespace

TEST(CleanUpKernel, DegenerateKernelsBecomeTheCentredOnePixelKernel) {
    Image k = zeros(5, 5);
    imgproc::cleanUpKernel(k, k, 0.07f);
    expectUnitKernel(k, 5, 5);

    // Nothing positive to keep: cutting would empty the kernel and
    // normalising it would give NaNs.
    Image negative = makeImage(3, 5, 1, std::vector<float>(15, -0.2f));
    imgproc::cleanUpKernel(negative, negative, 0.07f);
    expectUnitKernel(negative, 3, 5);

    const float nan = std::numeric_limits<float>::quiet_NaN();
    Image out;
    imgproc::cleanUpKernel(makeImage(3, 3, 1, {nan, 0.5f, 0.1f, 0.2f, 0.9f, 0, 0, 0.3f, 0}), out, 0.07f);
    expectUnitKernel(out, 3, 3);

    // The centred one-pixel kernel passes unchanged: its shift is 0, the
    // re-centred kernel is all zeros and the cut kernel is kept.
    Image unit = zeros(7, 5);
    unit.data[17] = 1.0f;
    imgproc::cleanUpKernel(unit, unit, 0.07f);
    expectUnitKernel(unit, 7, 5);
}

TEST(CleanUpKernel, EntryEqualToTheCutIsRemovedAndOneAboveKept) {
    // A one-row kernel is never re-centred (its vertical shift lands on or
    // outside the single row), so the result is the cut, normalised kernel.
    Image k = makeImage(1, 5, 1, {0.07f, 1.0f, 0.0700001f, 0.0f, 0.5f});
    imgproc::cleanUpKernel(k, k, 0.07f);
    const float s = 1.0f + 0.0700001f + 0.5f;
    EXPECT_EQ(k.data[0], 0.0f);
    EXPECT_FLOAT_EQ(k.data[1], 1.0f / s);
    EXPECT_FLOAT_EQ(k.data[2], 0.0700001f / s);
    EXPECT_FLOAT_EQ(k.data[4], 0.5f / s);
}

TEST(CleanUpKernel, ReCentringAndItsFallback) {
    Image k = zeros(5, 5);
    k.data[2 * 5 + 2] = 0.6f;
    k.data[3 * 5 + 3] = 0.4f;
    k.data[0] = 0.01f;  // below the cut
    imgproc::cleanUpKernel(k, k, 0.07f);
    double cx = 0, cy = 0, sum = 0;
    for (int i = 0; i < 25; ++i) {
        cx += (i % 5 + 1) * k.data[i];
        cy += (i / 5 + 1) * k.data[i];
        sum += k.data[i];
    }
    EXPECT_EQ(k.data[0], 0.0f);
    EXPECT_NEAR(sum, 1.0, 1e-5);
    // Centre of mass on the central pixel.
    EXPECT_NEAR(cx, 3.0, 1e-5);
    EXPECT_NEAR(cy, 3.0, 1e-5);

    // Mass at opposite borders: re-centring keeps only 48 % of it, so the
    // un-centred kernel is returned.
    Image border = zeros(5, 5);
    border.data[1 * 5 + 0] = 0.6f;
    border.data[2 * 5 + 4] = 0.4f;
    Image centred;
    imgproc::centerKernel(border, centred);
    EXPECT_NEAR(testsupport::sumOf(centred), 0.48, 1e-5);
    Image out;
    imgproc::cleanUpKernel(border, out, 0.07f);
    for (int i = 0; i < 25; ++i) EXPECT_EQ(out.data[i], border.data[i]) << i;
}

TEST(TrimKernel, CropsToTheSupport) {
    Image k = zeros(9, 9);
    for (int y = 3; y <= 5; ++y)
        for (int x = 2; x <= 6; ++x) k.data[y * 9 + x] = 0.1f;
    k.data[0] = 0.5f;  // a lone entry in a row or column is no support
    k.data[80] = 0.5f;
    imgproc::trimKernel(k, k);
    ASSERT_EQ(std::pair(k.height, k.width), std::pair(3, 5));
    for (int i = 0; i < 15; ++i) EXPECT_EQ(k.data[i], 0.1f);

    Image out;
    imgproc::trimKernel(zeros(9, 7), out);  // no support: size kept
    EXPECT_EQ(std::pair(out.height, out.width), std::pair(9, 7));

    Image column = zeros(5, 5);  // support in one column only: height kept
    column.data[1 * 5 + 2] = column.data[3 * 5 + 2] = 0.5f;
    imgproc::trimKernel(column, out);
    EXPECT_EQ(std::pair(out.height, out.width), std::pair(5, 1));
}

TEST(IsSignificantKernel, CountsOfSmallAndLargeEntries) {
    Image k = zeros(7, 7);
    for (int i = 0; i < 25; ++i) k.data[i] = 0.3f;
    EXPECT_TRUE(imgproc::isSignificantKernel(k));  // 25 entries above 1e-5

    k = zeros(7, 7);
    for (int i = 0; i < 24; ++i) k.data[i] = 0.01f;
    k.data[0] = k.data[1] = 0.25f;
    EXPECT_FALSE(imgproc::isSignificantKernel(k));
    k.data[1] = 0.01f;
    EXPECT_TRUE(imgproc::isSignificantKernel(k));

    // Compared in double precision: 1e-5f lies below 1e-5, 0.2f above 0.2.
    k = zeros(7, 7);
    for (int i = 0; i < 30; ++i) k.data[i] = 1e-5f;
    k.data[40] = k.data[41] = 0.2f;
    EXPECT_FALSE(imgproc::isSignificantKernel(k));

    Image small = makeImage(3, 3, 1, std::vector<float>(9, 0.0125f));
    small.data[4] = 0.9f;
    EXPECT_TRUE(imgproc::isSignificantKernel(small));
    small.data[3] = 0.21f;
    EXPECT_FALSE(imgproc::isSignificantKernel(small));
}
