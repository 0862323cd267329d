#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "kernel_cleanup.h"
#include "test_support.h"

using imgproc::Image;
using testsupport::makeImage;

namespace {

Image zeros(int rows, int cols) { return makeImage(rows, cols, 1, std::vector<float>(rows * cols, 0.0f)); }

void expectUnitKernel(const Image& k, int rows, int cols) {
    ASSERT_EQ(k.height, rows);
    ASSERT_EQ(k.width, cols);
    for (int i = 0; i < rows * cols; ++i) EXPECT_EQ(k.data[i], i == rows * cols / 2 ? 1.0f : 0.0f) << i;
}

// Centre of mass in coordinates counted from 1.
void centreOfMass(const Image& k, double& cx, double& cy, double& sum) {
    cx = cy = sum = 0.0;
    for (int y = 0; y < k.height; ++y)
        for (int x = 0; x < k.width; ++x) {
            const double v = k.data[y * k.width + x];
            cx += (x + 1) * v;
            cy += (y + 1) * v;
            sum += v;
        }
    cx /= sum;
    cy /= sum;
}

}  // namespace

TEST(CleanUpKernel, DegenerateKernelsBecomeTheCentredOnePixelKernel) {
    Image k = zeros(5, 5);
    imgproc::cleanUpKernel(k, k, 0.07f);
    expectUnitKernel(k, 5, 5);

    // Nothing positive to keep: the cut would empty the kernel and its
    // normalisation would produce NaNs.
    Image negative = makeImage(3, 5, 1, std::vector<float>(15, -0.2f));
    negative.data[7] = -0.1f;
    imgproc::cleanUpKernel(negative, negative, 0.07f);
    expectUnitKernel(negative, 3, 5);

    Image nanFirst = makeImage(3, 3, 1, {std::numeric_limits<float>::quiet_NaN(), 0.5f, 0.1f,
                                         0.2f, 0.9f, 0.0f, 0.0f, 0.3f, 0.0f});
    Image out;
    imgproc::cleanUpKernel(nanFirst, out, 0.07f);
    expectUnitKernel(out, 3, 3);
    EXPECT_EQ(out.channels, 1);
}

TEST(CleanUpKernel, CentredOnePixelKernelPassesUnchanged) {
    Image k = zeros(7, 5);
    k.data[17] = 1.0f;
    imgproc::cleanUpKernel(k, k, 0.07f);
    expectUnitKernel(k, 7, 5);
}

TEST(CleanUpKernel, EntryEqualToTheCutIsRemovedAndOneAboveKept) {
    // A one-row kernel is never re-centred (its vertical shift can only land
    // on or outside the single row), so the result is the cut, normalised kernel.
    Image k = makeImage(1, 5, 1, {0.07f, 1.0f, 0.0700001f, 0.0f, 0.5f});
    imgproc::cleanUpKernel(k, k, 0.07f);
    const float s = 1.0f + 0.0700001f + 0.5f;
    ASSERT_EQ(k.width, 5);
    ASSERT_EQ(k.height, 1);
    EXPECT_EQ(k.data[0], 0.0f);
    EXPECT_FLOAT_EQ(k.data[1], 1.0f / s);
    EXPECT_FLOAT_EQ(k.data[2], 0.0700001f / s);
    EXPECT_EQ(k.data[3], 0.0f);
    EXPECT_FLOAT_EQ(k.data[4], 0.5f / s);
}

TEST(CleanUpKernel, OffCentreKernelIsMovedToTheCentre) {
    Image k = zeros(5, 5);
    k.data[2 * 5 + 2] = 0.6f;
    k.data[3 * 5 + 3] = 0.4f;
    k.data[0] = 0.01f;  // below the cut
    imgproc::cleanUpKernel(k, k, 0.07f);
    EXPECT_EQ(k.data[0], 0.0f);
    double cx, cy, sum;
    centreOfMass(k, cx, cy, sum);
    EXPECT_NEAR(sum, 1.0, 1e-5);
    EXPECT_NEAR(cx, 3.0, 1e-5);
    EXPECT_NEAR(cy, 3.0, 1e-5);
}

TEST(CleanUpKernel, MassLostAtTheBorderKeepsTheUncentredKernel) {
    Image k = zeros(5, 5);
    k.data[1 * 5 + 0] = 0.6f;
    k.data[2 * 5 + 4] = 0.4f;
    Image centred;
    imgproc::centerKernel(k, centred);
    float s2 = 0.0f;
    for (int i = 0; i < 25; ++i) s2 += centred.data[i];
    EXPECT_NEAR(s2, 0.48f, 1e-5f);  // 40 % of the outer columns leave the kernel

    Image out;
    imgproc::cleanUpKernel(k, out, 0.07f);
    for (int i = 0; i < 25; ++i) EXPECT_EQ(out.data[i], k.data[i]) << i;
}

TEST(CenterKernel, WholeNumberShiftGivesZerosAndCleanUpFallsBack) {
    // Centred vertically (dy = 0): every sample lands on a whole row and has
    // both weights 0.
    Image k = zeros(3, 4);
    k.data[4] = 0.25f;
    k.data[5] = 0.75f;
    Image centred;
    imgproc::centerKernel(k, centred);
    for (int i = 0; i < 12; ++i) EXPECT_EQ(centred.data[i], 0.0f);
    Image out;
    imgproc::cleanUpKernel(k, out, 0.07f);
    for (int i = 0; i < 12; ++i) EXPECT_EQ(out.data[i], k.data[i]);
}

TEST(TrimKernel, CropsToTheSupportAndIgnoresLoneEntries) {
    Image k = zeros(9, 9);
    for (int y = 3; y <= 5; ++y)
        for (int x = 2; x <= 6; ++x) k.data[y * 9 + x] = 0.1f;
    Image out;
    imgproc::trimKernel(k, out);
    ASSERT_EQ(out.height, 3);
    ASSERT_EQ(out.width, 5);
    for (int i = 0; i < 15; ++i) EXPECT_EQ(out.data[i], 0.1f);

    // A single entry above 1e-4 in a row or column does not count as support.
    k.data[0] = 0.5f;
    k.data[8 * 9 + 8] = 0.5f;
    imgproc::trimKernel(k, k);
    ASSERT_EQ(k.height, 3);
    ASSERT_EQ(k.width, 5);
    for (int i = 0; i < 15; ++i) EXPECT_EQ(k.data[i], 0.1f);
}

TEST(TrimKernel, KernelWithoutSupportKeepsItsSize) {
    Image k = zeros(9, 7);
    k.data[3 * 7 + 3] = 1.0f;  // one entry: no row or column holds support
    Image out;
    imgproc::trimKernel(k, out);
    EXPECT_EQ(out.height, 9);
    EXPECT_EQ(out.width, 7);
    EXPECT_EQ(out.data[3 * 7 + 3], 1.0f);

    // Support only in rows: the width is trimmed, the height kept where no
    // row qualifies.
    Image column = zeros(5, 5);
    column.data[1 * 5 + 2] = 0.5f;
    column.data[3 * 5 + 2] = 0.5f;
    imgproc::trimKernel(column, out);
    EXPECT_EQ(out.height, 5);
    EXPECT_EQ(out.width, 1);
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

    Image small = zeros(3, 3);
    small.data[4] = 0.9f;
    for (int i = 0; i < 9; ++i)
        if (i != 4) small.data[i] = 0.0125f;
    EXPECT_TRUE(imgproc::isSignificantKernel(small));
    small.data[3] = 0.21f;
    EXPECT_FALSE(imgproc::isSignificantKernel(small));
    EXPECT_TRUE(imgproc::isSignificantKernel(zeros(3, 3)));
}
