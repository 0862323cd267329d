#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <complex>
#include <memory>
#include <tuple>

#include "cufft_engine.h"
#include "fft_engine.h"
#include "fftw_engine.h"
#include "test_support.h"

using imgproc::Image;
using testsupport::randomImage;

namespace {

std::unique_ptr<imgproc::FFTEngine> fftw(int rows, int cols) {
    return std::unique_ptr<imgproc::FFTEngine>(imgproc::createFFTEngine("FFTW", rows, cols));
}

}  // namespace

TEST(FFTEngineTable, LooksEnginesUpByExactName) {
    imgproc::initFFTThreads();
    std::unique_ptr<imgproc::FFTEngine> cpu(imgproc::createFFTEngine("FFTW", 4, 6));
    EXPECT_NE(dynamic_cast<imgproc::FFTWEngine*>(cpu.get()), nullptr);
    std::unique_ptr<imgproc::FFTEngine> gpu(imgproc::createFFTEngine("CUFFT", 4, 6));
    EXPECT_NE(dynamic_cast<imgproc::CUFFTEngine*>(gpu.get()), nullptr);
    EXPECT_EQ(std::tuple(cpu->rows, cpu->cols), std::tuple(4, 6));
    EXPECT_EQ(imgproc::createFFTEngine("fftw", 4, 6), nullptr);
    EXPECT_EQ(imgproc::createFFTEngine("OpenCL", 4, 6), nullptr);
}

TEST(FFTWEngine, ForwardIsTheDftAndInverseUndoesIt) {
    auto engine = fftw(6, 5);
    for (int channels : {1, 2}) {
        const Image source = randomImage(6, 5, channels, 7 + channels);
        const auto expected = testsupport::naiveDft(source);
        Image spectrum, back;
        engine->forward(source, spectrum);
        ASSERT_EQ(spectrum.channels, 2);
        for (size_t n = 0; n < expected.size(); ++n)
            EXPECT_LT(std::abs(std::complex<double>(spectrum.data[2 * n], spectrum.data[2 * n + 1]) - expected[n]),
                      1e-4) << n;
        engine->inverse(spectrum, back, channels == 1, true);
        ASSERT_EQ(back.channels, channels);
        EXPECT_LT(testsupport::maxAbsDiff(back, source), 1e-5);
        engine->inverse(spectrum, spectrum, channels == 1, false);  // in place, not divided by 30
        EXPECT_LT(testsupport::maxAbsDiff(spectrum, source * 30.0f), 1e-4);
    }
}

// Sum of k(y, x) e^{-2 pi i (v (y - kh / 2) / R + u (x - kw / 2) / C)}: the centre element sits at the origin.
TEST(KernelSpectrum, CentreElementSitsAtTheOrigin) {
    const int R = 8, C = 9;
    const double pi = std::acos(-1.0);
    auto engine = fftw(R, C);
    auto* buffer = static_cast<fftwf_complex*>(fftwf_malloc(sizeof(fftwf_complex) * R * C));
    for (auto [kh, kw] : {std::array{1, 1}, std::array{3, 3}, std::array{4, 5}, std::array{5, 2}}) {
        const Image kernel = randomImage(kh, kw, 1, 3);
        Image spectrum;
        imgproc::psfToOtf(*engine, kernel, spectrum);
        imgproc::psfToOtfFFTW(kernel, R, C, buffer);
        for (int v = 0; v < R; ++v)
            for (int u = 0; u < C; ++u) {
                std::complex<double> expected;
                for (int y = 0; y < kh; ++y)
                    for (int x = 0; x < kw; ++x)
                        expected += std::polar(static_cast<double>(kernel.data[y * kw + x]),
                                               -2 * pi * (double(v * (y - kh / 2)) / R + double(u * (x - kw / 2)) / C));
                const int n = v * C + u;
                const std::complex<double> viaEngine(spectrum.data[2 * n], spectrum.data[2 * n + 1]);
                const std::complex<double> viaBuffer(buffer[n][0], buffer[n][1]);
                ASSERT_LT(std::abs(viaEngine - expected) + std::abs(viaBuffer - expected), 1e-5) << kh << "x" << kw;
            }
    }
    fftwf_free(buffer);
}

TEST(CUFFTEngine, ReportsFailureWithoutADevice) {
    if (imgproc::cudaDeviceAvailable()) GTEST_SKIP() << "a CUDA device is present";
    EXPECT_NE(imgproc::cudaProbeStatus(), 0);
    imgproc::CUFFTEngine engine(8, 8);
    EXPECT_FALSE(engine.isReady());
    Image input = randomImage(8, 8, 1, 5), output = randomImage(2, 2, 1, 1);
    engine.forward(input, output);
    EXPECT_EQ(output.size(), 0u);
    engine.inverse(input, output, true, true);
    EXPECT_EQ(output.size(), 0u);
}
