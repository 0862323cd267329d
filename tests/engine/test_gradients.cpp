#include <gtest/gtest.h>

#include <utility>

#include "gradients.h"
#include "test_support.h"

using imgproc::Image;
using testsupport::makeImage;

namespace {

float at(const Image& im, int r, int c) { return im.data[r * im.width + c]; }

}  // namespace

// s(r, c) = c + 10 r: a horizontal ramp of slope 1 and a vertical one of slope 10.
TEST(Gradients, Ramps) {
    const int H = 4, W = 5;
    Image s(H, W, 1);
    for (int r = 0; r < H; ++r)
        for (int c = 0; c < W; ++c) s.data[r * W + c] = float(c + 10 * r);
    Image gx, gy, dx, dy, dxx, dxy, dyy;
    imgproc::forwardGradient(s, gx, gy);
    imgproc::backwardGradient(s, dx, dy);
    for (int r = 0; r < H; ++r) {
        for (int c = 0; c < W; ++c) {
            EXPECT_EQ(at(gx, r, c), c == W - 1 ? 0.0f : 1.0f);
            EXPECT_EQ(at(dx, r, c), c == 0 ? 0.0f : 1.0f);
            EXPECT_EQ(at(gy, r, c), r == H - 1 ? 0.0f : 10.0f);
            EXPECT_EQ(at(dy, r, c), r == 0 ? 0.0f : 10.0f);
        }
    }
    // Zero outside: 1 in the first column and -W in the last for the slope-1 ramp.
    Image flat(1, W, 1);
    for (int c = 0; c < W; ++c) flat.data[c] = float(c);
    imgproc::secondDerivatives(flat, dxx, dxy, dyy);
    for (int c = 0; c < W; ++c) EXPECT_EQ(at(dxx, 0, c), c == 0 ? 1.0f : (c == W - 1 ? -float(W) : 0.0f));
    imgproc::secondDerivatives(s, dxx, dxy, dyy);
    EXPECT_EQ(at(dyy, 0, 2), -2.0f * 2.0f + 12.0f);  // the row above counts as 0
    EXPECT_EQ(at(dyy, 1, 2), 0.0f);
    EXPECT_EQ(at(dyy, H - 1, 2), -2.0f * 32.0f + 22.0f);
}

TEST(Gradients, SinglePixelAndCrossDifference) {
    Image one = makeImage(1, 1, 1, {0.75f});
    Image gx, gy, dx, dy, dxx, dxy, dyy;
    imgproc::forwardGradient(one, gx, gy);
    imgproc::backwardGradient(one, dx, dy);
    imgproc::secondDerivatives(one, dxx, dxy, dyy);
    for (const Image* zero : {&gx, &gy, &dx, &dy, &dxy}) EXPECT_EQ(zero->data[0], 0.0f);
    EXPECT_EQ(dxx.data[0], -1.5f);
    EXPECT_EQ(dyy.data[0], -1.5f);

    // s(r, c) = r * c: the cross difference is 1 inside; at the corner only
    // the lower-right neighbour exists.
    Image prod(3, 3, 1);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) prod.data[r * 3 + c] = float(r * c);
    imgproc::secondDerivatives(prod, dxx, dxy, dyy);
    EXPECT_EQ(at(dxy, 1, 1), 1.0f);
    EXPECT_EQ(at(dxy, 0, 0), 0.25f);
    EXPECT_EQ(at(dxy, 2, 2), 0.25f);  // only s(1, 1) = 1 remains
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

    Image v;
    imgproc::shrunkGradientDivergence(s, tau, v);
    ASSERT_EQ(std::pair(v.height, v.width), std::pair(H, W));
    for (int i = 0; i < H * W; ++i) ASSERT_EQ(v.data[i], -ax.data[i] - ay.data[i]) << i;

    EXPECT_EQ(imgproc::shrink(0.3f, 0.1f), 0.3f - 0.1f);
    EXPECT_EQ(imgproc::shrink(-0.3f, 0.1f), -(0.3f - 0.1f));
    EXPECT_EQ(imgproc::shrink(0.05f, 0.1f), 0.0f);
}
