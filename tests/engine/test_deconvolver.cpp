#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <tuple>
#include <vector>

#include "color.h"
#include "cufft_engine.h"
#include "deconvolver.h"
#include "fftw_engine.h"
#include "progress.h"
#include "test_support.h"

using imgproc::Deconvolver;
using imgproc::Image;

namespace {

// Wraps the FFTW engine and counts the transforms a solver asks for: every
// solver pass is exactly one inverse transform.
class CountingEngine : public imgproc::FFTEngine {
public:
    CountingEngine(int32_t rows, int32_t cols, const int32_t* progress = nullptr)
        : FFTEngine(rows, cols), inner(rows, cols), progress(progress) {}
    void forward(const Image& source, Image& destination) override {
        ++forwards;
        inner.forward(source, destination);
    }
    void inverse(const Image& source, Image& destination, bool realOnly, bool normalize) override {
        ++inverses;
        if (progress && (seen.empty() || seen.back() != imgproc::loadProgress(progress)))
            seen.push_back(imgproc::loadProgress(progress));
        inner.inverse(source, destination, realOnly, normalize);
    }
    imgproc::FFTWEngine inner;
    const int32_t* progress;
    int forwards = 0;
    int inverses = 0;
    std::vector<int32_t> seen;  // progress values while passes ran
};

Image pattern(int rows, int cols, int channels) {
    Image im(rows, cols, channels);
    for (int i = 0; i < rows * cols * channels; ++i)
        im.data[i] = 0.5f + 0.45f * std::sin(0.21f * i) * std::cos(0.05f * i);
    return im;
}

Image boxKernel(int rows, int cols) {
    return testsupport::makeImage(rows, cols, 1,
                                  std::vector<float>(rows * cols, 1.0f / float(rows * cols)));
}

// A deconvolver whose planes are split and whose engine counts transforms.
std::unique_ptr<Deconvolver> prepared(const Image& picture, float lambda, uint32_t quality,
                                      const int32_t* progress = nullptr) {
    // 5 x 5 keeps the direct convolutions off the prime size 257.
    auto d = std::make_unique<Deconvolver>(picture, boxKernel(5, 5), lambda, quality, true);
    const int32_t rows = d->engine->rows, cols = d->engine->cols;
    delete d->engine;
    d->engine = new CountingEngine(rows, cols, progress);
    imgproc::splitPlanes(d->image, d->inputPlanes);
    return d;
}

CountingEngine& counter(Deconvolver& d) { return *static_cast<CountingEngine*>(d.engine); }

}  // namespace

TEST(Deconvolver, PaddedSizeAndMargins) {
    Image picture = pattern(800, 1000, 1);
    Deconvolver d(picture, boxKernel(25, 25), 0.0004f, 1, true);
    EXPECT_EQ(std::pair(d.engine->rows, d.engine->cols), std::pair(1024, 1280));
    EXPECT_EQ(d.engineName, "FFTW");
    EXPECT_EQ(std::pair(d.image.height, d.image.width), std::pair(1024, 1280));
    EXPECT_EQ(std::tuple(d.marginTop, d.marginBottom, d.marginLeft, d.marginRight),
              std::tuple(112, 112, 140, 140));
    EXPECT_EQ(d.inputPlanes, nullptr);
    // Far from the borders the taper leaves the picture as it was.
    EXPECT_NEAR(d.image.data[(112 + 400) * 1280 + 140 + 500], picture.data[400 * 1000 + 500], 1e-5);

    struct Case { int rows, kernelRows, padded, top, bottom; };
    for (const Case& c : {Case{801, 25, 1024, 111, 112}, Case{234, 11, 256, 11, 11},
                          Case{235, 11, 512, 138, 139}}) {
        Deconvolver e(pattern(c.rows, 10, 1), boxKernel(c.kernelRows, 1), 0.0004f, 1, true);
        EXPECT_EQ(std::tuple(e.engine->rows, e.engine->cols, e.marginTop, e.marginBottom),
                  std::tuple(c.padded, 256, c.top, c.bottom)) << c.rows;
    }
}

TEST(Deconvolver, GpuChoiceWithoutDeviceUsesFFTW) {
    Deconvolver d(pattern(20, 20, 1), boxKernel(3, 3), 0.0004f, 1, false);
    ASSERT_NE(d.engine, nullptr);
    EXPECT_EQ(d.engineName, imgproc::cudaDeviceAvailable() ? "CUFFT" : "FFTW");
    EXPECT_EQ(dynamic_cast<imgproc::FFTWEngine*>(d.engine) != nullptr, !imgproc::cudaDeviceAvailable());
}

TEST(Deconvolver, PassCountsOfThePlainSolver) {
    const float deconvolution = 0.0004f;
    const float smoothPass = deconvolution * 10.0f;
    struct Case { float lambda; uint32_t quality; int passes; };
    for (const Case& c : {Case{deconvolution, 1, 13}, Case{deconvolution, 2, 15}, Case{deconvolution, 3, 18},
                          Case{deconvolution, 10, 18}, Case{smoothPass, 1, 10}, Case{smoothPass, 2, 12},
                          Case{smoothPass, 3, 15}}) {
        auto d = prepared(pattern(20, 20, 1), c.lambda, c.quality);
        Image out;
        d->solve(d->inputPlanes[0], d->kernel, c.lambda, out);
        EXPECT_EQ(counter(*d).inverses, c.passes) << c.lambda << " q" << c.quality;
        EXPECT_EQ(std::pair(out.width, out.channels), std::pair(256, 1));
    }
}

TEST(Deconvolver, PassCountsOfTheNoiseSolver) {
    const float denoise = 0.0004f * 100.0f;
    struct Case { float lambda; int inner; };
    for (const Case& c : {Case{denoise, 50}, Case{denoise * 10.0f, 40}}) {
        auto d = prepared(pattern(20, 20, 1), c.lambda, 1);
        Image out;
        d->solveDenoised(d->inputPlanes[0], d->kernel, c.lambda, out);
        // Three forward transforms for the spectra; each of the five outer
        // passes transforms x and z forward and k * x back; each inner pass
        // one forward and one inverse.
        EXPECT_EQ(counter(*d).inverses - c.inner, 5) << c.lambda;
        EXPECT_EQ(counter(*d).forwards - 3 - c.inner, 10) << c.lambda;
    }
}

TEST(Deconvolver, HugeLambdaMakesNoPassAndConstantStaysConstant) {
    auto d = prepared(pattern(20, 20, 1), 150.0f, 2);
    Image out;
    d->solve(d->inputPlanes[0], d->kernel, 150.0f, out);
    EXPECT_EQ(counter(*d).inverses, 0);
    EXPECT_EQ(testsupport::maxAbsDiff(out, d->inputPlanes[0]), 0.0);

    d = prepared(pattern(20, 20, 1), 100.0f, 2);
    d->solveDenoised(d->inputPlanes[0], d->kernel, 100.0f, out);
    EXPECT_EQ(counter(*d).inverses, 5);  // k * x only
    EXPECT_EQ(counter(*d).forwards, 3 + 10);
    EXPECT_EQ(testsupport::maxAbsDiff(out, d->inputPlanes[0]), 0.0);

    Image constant = testsupport::makeImage(256, 256, 1, std::vector<float>(256 * 256, 0.3f));
    d = prepared(pattern(20, 20, 1), 0.0004f, 3);
    d->solve(constant, d->kernel, 0.0004f, out);
    EXPECT_EQ(counter(*d).inverses, 18);
    EXPECT_LT(testsupport::maxAbsDiff(out, constant), 1e-5);
}

TEST(Deconvolver, RingingResidualsBeyondOneAreMedianFilteredAsOne) {
    // With no solver pass the smoother result is the input plane s. The
    // first plane is set to s + 1.5 left of column 128 and s - 1.5 from it on:
    // the residual maps to 1 and to 0, every 7 x 7 window has at least four
    // of its columns on its centre's side, and so m = +1 left and -1 right.
    for (bool denoised : {false, true}) {
        auto d = prepared(pattern(16, 16, 1), 200.0f, 1);
        const Image& s = d->inputPlanes[0];
        Image o = s;
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 256; ++x) o.data[y * 256 + x] += x < 128 ? 1.5f : -1.5f;
        d->outputPlanes[0] = o;
        denoised ? d->reduceRingingDenoised() : d->reduceRinging();
        const Image& out = d->outputPlanes[0];
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 256; ++x) {
                const float m = x < 128 ? 1.0f : -1.0f;
                ASSERT_EQ(out.data[y * 256 + x], o.data[y * 256 + x] - m) << y << "," << x << " " << denoised;
            }
    }
}

TEST(Deconvolver, NoiseSolverKeepsAConstantPlaneUnderAnOffCentreKernel) {
    // A kernel whose mass lies far from its centre element is where a
    // convolution with another boundary than the plane's cyclic one departs
    // most from the blurred plane; the residual must vanish everywhere.
    const Image streak = testsupport::cornerStreak(33);
    Deconvolver d(pattern(20, 20, 1), streak, 0.04f, 1, true);
    ASSERT_EQ(std::pair(d.engine->rows, d.engine->cols), std::pair(256, 256));
    const Image constant = testsupport::makeImage(256, 256, 1, std::vector<float>(256 * 256, 0.5f));
    for (float lambda : {0.04f, 0.4f}) {
        Image out;
        d.solveDenoised(constant, streak, lambda, out);
        EXPECT_LT(testsupport::maxAbsDiff(out, constant), 1e-4) << lambda;
    }
}

TEST(Deconvolver, ProgressRisesAfterEveryChannel) {
    int32_t progress = 50;
    auto d = prepared(pattern(20, 20, 3), 0.0004f, 1, &progress);
    d->run(&progress, 0.5f);
    EXPECT_EQ(counter(*d).seen, (std::vector<int32_t>{50, 66, 82}));
    EXPECT_EQ(progress, 98);

    progress = 7;
    d = prepared(pattern(20, 20, 1), 0.04f, 1, &progress);
    d->runDenoised(&progress, 0.3f);
    EXPECT_EQ(progress, 37);
    d->run(nullptr, 0.3f);  // no progress to raise
}

TEST(Deconvolver, RingingSuppressionTreatsOnlyTheFirstPlane) {
    // With no solver pass the smooth result equals the normal one: every
    // residual is 0, the median level is 128 and the plane drops by 2*128/255 - 1.
    for (bool denoised : {false, true}) {
        int32_t progress = 20;
        auto d = prepared(pattern(16, 16, 3), 200.0f, 1);
        if (denoised) {
            d->runDenoised(&progress, 0.3f);
            d->reduceRingingDenoised();
        } else {
            d->run(&progress, 0.3f);
            d->reduceRinging();
        }
        EXPECT_EQ(progress, 50);
        const float drop = (128.0f / 255.0f) * 2.0f - 1.0f;
        Image expected = d->inputPlanes[0] - drop;
        EXPECT_LT(testsupport::maxAbsDiff(d->outputPlanes[0], expected), 1e-7) << denoised;
        for (int c : {1, 2}) EXPECT_EQ(testsupport::maxAbsDiff(d->outputPlanes[c], d->inputPlanes[c]), 0.0);
    }
}
