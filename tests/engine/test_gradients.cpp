#include <gtest/gtest.h>

#include <utility>

#include "gradients.h"
#include "test_support.h"

using imgproc::Image;

namespace {

float at(const Image& im, int r, int c) { return im.data[r * im.width + c]; }

// s(r, c) = c + 10 r: a horizontal ramp of slope 1 and a vertical one of slope 10.
Image ramps(int rows, int cols) {
    Image s(rows, cols, 1);
    for (int i = 0; i < rows * cols; ++i) s.data[i] = float(i % cols + 10 * (i / cols));
    return s;
}

}  // namespace

TEST(Gradients, FirstDifferencesOfRampsAreZeroOnlyOnTheirOwnBorder) {
    const int H = 4, W = 5;
    Image gx, gy, dx, dy;
    imgproc::forwardGradient(ramps(H, W), gx, gy);
    imgproc::backwardGradient(ramps(H, W), dx, dy);
    for (int r = 0; r < H; ++r)
        for (int c = 0; c < W; ++c) {
            EXPECT_EQ(at(gx, r, c), c == W - 1 ? 0.0f : 1.0f);
            EXPECT_EQ(at(dx, r, c), c == 0 ? 0.0f : 1.0f);
            EXPECT_EQ(at(gy, r, c), r == H - 1 ? 0.0f : 10.0f);
            EXPECT_EQ(at(dy, r, c), r == 0 ? 0.0f : 10.0f);
        }
}

TEST(Gradients, SecondDifferencesCountZeroOutsideThePicture) {
    Image dxx, dxy, dyy;
    imgproc::secondDerivatives(ramps(4, 5), dxx, dxy, dyy);
    EXPECT_EQ(at(dxx, 1, 0), -9.0f);   // -2 * 10 + 11, nothing to the left
    EXPECT_EQ(at(dxx, 1, 4), -15.0f);  // -2 * 14 + 13, nothing to the right
    EXPECT_EQ(at(dxx, 2, 2), 0.0f);
    EXPECT_EQ(at(dyy, 0, 2), 8.0f);    // -2 * 2 + 12, nothing above
    EXPECT_EQ(at(dyy, 3, 2), -42.0f);  // -2 * 32 + 22, nothing below

    // s(r, c) = r c: the quarter-weighted cross difference is 1 inside; at the
    // corners one diagonal neighbour is left, s(1, 1) = 1, with its sign.
    Image prod(3, 3, 1);
    for (int i = 0; i < 9; ++i) prod.data[i] = float((i / 3) * (i % 3));
    imgproc::secondDerivatives(prod, dxx, dxy, dyy);
    EXPECT_EQ(at(dxy, 1, 1), 1.0f);
    EXPECT_EQ(at(dxy, 0, 0), 0.25f);
    EXPECT_EQ(at(dxy, 2, 2), 0.25f);
    EXPECT_EQ(at(dxy, 0, 2), -0.25f);
}

TEST(Gradients, FusedSolverStepMatchesTheOperators) {
    const int H = 9, W = 13;
    const float tau = 0.05f;
    const Image s = testsupport::randomImage(H, W, 1, 7);
    Image gx, gy, ax, unused, ay;
    imgproc::forwardGradient(s, gx, gy);
    for (int i = 0; i < H * W; ++i) {
        gx.data[i] = imgproc::shrink(gx.data[i], tau);
        gy.data[i] = imgproc::shrink(gy.data[i], tau);
    }
    imgproc::backwardGradient(gx, ax, unused);
    imgproc::backwardGradient(gy, unused, ay);

    Image v, complex;
    imgproc::shrunkGradientDivergence(s, tau, v);
    imgproc::shrunkGradientDivergenceComplex(s, tau, complex);
    ASSERT_EQ(std::pair(v.height, v.width), std::pair(H, W));
    ASSERT_EQ(complex.channels, 2);
    for (int i = 0; i < H * W; ++i) {
        ASSERT_EQ(v.data[i], -ax.data[i] - ay.data[i]) << i;
        ASSERT_EQ(std::pair(complex.data[2 * i], complex.data[2 * i + 1]), std::pair(v.data[i], 0.0f)) << i;
    }
    EXPECT_EQ(imgproc::shrink(0.3f, 0.1f), 0.3f - 0.1f);
    EXPECT_EQ(imgproc::shrink(-0.3f, 0.1f), -(0.3f - 0.1f));
    EXPECT_EQ(imgproc::shrink(0.05f, 0.1f), 0.0f);
}
