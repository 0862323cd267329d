#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <tuple>
#include <vector>

#include "color.h"
#include "cufft_engine.h"
#include "deconvolver.h"
#include "test_support.h"

using imgproc::Deconvolver;
using imgproc::Image;
using testsupport::maxAbsDiff;
using testsupport::meanAbsDiff;

namespace {

Image pattern(int rows, int cols, int channels) {
    Image im(rows, cols, channels);
    for (int i = 0; i < rows * cols * channels; ++i)
        im.data[i] = 0.5f + 0.45f * std::sin(0.21f * i) * std::cos(0.05f * i);
    return im;
}

Image boxKernel(int rows, int cols) {
    return testsupport::makeImage(rows, cols, 1, std::vector<float>(rows * cols, 1.0f / float(rows * cols)));
}

// A deconvolver whose input planes are split, as the stage leaves it before solving.
std::unique_ptr<Deconvolver> prepared(const Image& picture, const Image& kernel, float lambda) {
    auto d = std::make_unique<Deconvolver>(picture, kernel, lambda, 1, true);
    imgproc::splitPlanes(d->image, d->inputPlanes);
    return d;
}

Image lopsidedKernel() {
    const Image kernel = testsupport::randomImage(5, 5, 1, 3);
    return kernel / static_cast<float>(testsupport::sumOf(kernel));
}

// The plane blurred cyclically, as the solvers model it.
Image cyclicBlur(const Image& plane, const Image& kernel) {
    return testsupport::convolve(plane, kernel, testsupport::Outside::Wrap);
}

}  // namespace

TEST(Deconvolver, PaddedSizeAndMarginsAndAnEngineThatRuns) {
    const Image picture = pattern(800, 1000, 1);
    Deconvolver d(picture, boxKernel(25, 25), 0.0004f, 1, false);  // the GPU asked for: FFTW without a device
    EXPECT_EQ(d.engineName, imgproc::cudaDeviceAvailable() ? "CUFFT" : "FFTW");
    EXPECT_EQ(std::pair(d.engine->rows, d.engine->cols), std::pair(1024, 1280));
    EXPECT_EQ(std::pair(d.image.height, d.image.width), std::pair(1024, 1280));
    EXPECT_EQ(std::tuple(d.marginTop, d.marginBottom, d.marginLeft, d.marginRight), std::tuple(112, 112, 140, 140));
    // Far from the borders the taper leaves the picture as it was.
    EXPECT_NEAR(d.image.data[(112 + 400) * 1280 + 140 + 500], picture.data[400 * 1000 + 500], 1e-5);
    // Square pictures and kernels: an odd margin total puts the extra row and column at the bottom right.
    struct Case { int side, kernel, padded, before, after; };
    for (const Case& c : {Case{801, 25, 1024, 111, 112}, Case{234, 11, 256, 11, 11}, Case{235, 11, 512, 138, 139}}) {
        Deconvolver e(pattern(c.side, c.side, 1), boxKernel(c.kernel, c.kernel), 0.0004f, 1, true);
        EXPECT_EQ(std::tuple(e.engine->rows, e.engine->cols, e.marginTop, e.marginBottom, e.marginLeft, e.marginRight),
                  std::tuple(c.padded, c.padded, c.before, c.after, c.before, c.after)) << c.side;
    }
}

TEST(Deconvolver, EachAxisIsPaddedByTheKernelsOwnExtentAlongIt) {
    // 201 rows by 221 columns with a column or a row of 31: the long side of the kernel alone takes its axis past
    // 256, so a kernel extent taken from the other axis shows in the padded size and the margins.
    struct Case { int kh, kw, rows, cols, top, bottom, left, right; };
    for (const Case& c : {Case{31, 1, 512, 256, 155, 156, 17, 18}, Case{1, 31, 256, 512, 27, 28, 145, 146}}) {
        Deconvolver d(pattern(201, 221, 1), boxKernel(c.kh, c.kw), 0.0004f, 1, true);
        EXPECT_EQ(std::tuple(d.engine->rows, d.engine->cols, d.image.height, d.image.width),
                  std::tuple(c.rows, c.cols, c.rows, c.cols)) << c.kh << " x " << c.kw;
        EXPECT_EQ(std::tuple(d.marginTop, d.marginBottom, d.marginLeft, d.marginRight),
                  std::tuple(c.top, c.bottom, c.left, c.right)) << c.kh << " x " << c.kw;
    }
}

class SolverOnPlane : public ::testing::TestWithParam<bool> {
protected:
    void solve(Deconvolver& d, const Image& blurred, const Image& kernel, float lambda, Image& out) {
        GetParam() ? d.solveDenoised(blurred, kernel, lambda, out) : d.solve(blurred, kernel, lambda, out);
    }
};

TEST_P(SolverOnPlane, ConstantPlaneStaysConstantUnderAnOffCentreKernel) {
    // Mass far from the kernel's centre element is where any boundary but the cyclic one departs most.
    const Image streak = testsupport::cornerStreak(33);
    auto d = prepared(pattern(20, 20, 1), streak, 0.04f);
    const Image constant = testsupport::makeImage(256, 256, 1, std::vector<float>(256 * 256, 0.5f));
    for (float lambda : {0.0004f, 0.04f}) {
        Image out;
        solve(*d, constant, streak, lambda, out);
        EXPECT_LT(maxAbsDiff(out, constant), 1e-4) << lambda;
    }
}

TEST_P(SolverOnPlane, UndoesACyclicBlur) {
    // Reblurred, the solution gives the blurred plane back far more closely than the sharp plane does.
    auto d = prepared(pattern(20, 20, 1), lopsidedKernel(), 0.0004f);
    const Image sharp = testsupport::randomImage(256, 256, 1, 4, 0.2f, 0.8f), blurred = cyclicBlur(sharp, d->kernel);
    Image solved;
    solve(*d, blurred, d->kernel, 0.0004f, solved);
    const double before = meanAbsDiff(blurred, sharp), after = meanAbsDiff(cyclicBlur(solved, d->kernel), blurred);
    EXPECT_LT(after, 0.1 * before) << "blurred off by " << before << ", solution reblurred off by " << after;
    EXPECT_LT(meanAbsDiff(solved, sharp), 0.5 * before);
}

TEST(Deconvolver, NoiseSolverSetsSparseImpulsesAside) {
    // Every 17th blurred pixel raised by 0.5: the plain solver fits them, the noise-suppressing one sets them aside.
    auto d = prepared(pattern(20, 20, 1), lopsidedKernel(), 0.0004f);
    const Image sharp = testsupport::randomImage(256, 256, 1, 4, 0.2f, 0.8f);
    Image noisy = cyclicBlur(sharp, d->kernel), plain, denoised;
    for (size_t i = 0; i < noisy.size(); i += 17) noisy.data[i] += 0.5f;
    d->solve(noisy, d->kernel, 0.0004f, plain);
    d->solveDenoised(noisy, d->kernel, 0.04f, denoised);  // the stage's weight for this solver
    const double plainError = meanAbsDiff(plain, sharp);
    EXPECT_LT(meanAbsDiff(denoised, sharp), 0.5 * plainError) << "plain solver off by " << plainError;
}

TEST_P(SolverOnPlane, RingingSuppressionTakesTheMedianResidualToTheSmootherSolution) {
    // The first plane is the ten times smoother solution plus +s left of column 128 and -s from it on. Every
    // 7 x 7 window has four columns on its centre's side, so the median residual is the step (levels 204 and
    // 51 for 0.6), or +-1 where the step leaves [-1, 1].
    const float lambda = 0.0004f;
    auto d = prepared(pattern(60, 70, 3), boxKernel(5, 5), lambda);
    Image smooth;
    solve(*d, d->inputPlanes[0], d->kernel, 10.0f * lambda, smooth);
    for (float step : {0.6f, 1.5f}) {
        Image o = smooth, expected = smooth;
        for (int i = 0; i < 256 * 256; ++i) {
            const float sign = i % 256 < 128 ? 1.0f : -1.0f;
            o.data[i] += sign * step;
            expected.data[i] += sign * std::max(step - 1.0f, 0.0f);
        }
        d->outputPlanes[0] = o;
        for (int c : {1, 2}) d->outputPlanes[c] = d->inputPlanes[c];
        GetParam() ? d->reduceRingingDenoised() : d->reduceRinging();
        EXPECT_LT(maxAbsDiff(d->outputPlanes[0], expected), 1e-5) << step;
        for (int c : {1, 2}) EXPECT_EQ(maxAbsDiff(d->outputPlanes[c], d->inputPlanes[c]), 0.0) << c;
    }
}

INSTANTIATE_TEST_SUITE_P(PlainAndNoiseSuppressing, SolverOnPlane, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "NoiseSuppressing" : "Plain"; });

TEST(Deconvolver, ProgressRisesByItsShareTruncatedAfterEveryChannel) {
    // Three channels of a half share from 50: 66, 82, 98 (not 100).
    int32_t progress = 50;
    auto d = prepared(pattern(20, 20, 3), boxKernel(5, 5), 0.0004f);
    d->run(&progress, 0.5f);
    EXPECT_EQ(progress, 98);
    progress = 7;
    d = prepared(pattern(20, 20, 1), boxKernel(5, 5), 0.04f);
    d->runDenoised(&progress, 0.3f);
    EXPECT_EQ(progress, 37);
}
