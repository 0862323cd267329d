#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>
#include <tuple>

#include "cufft_engine.h"
#include "fft_engine.h"
#include "fftw_engine.h"
#include "test_support.h"

using imgproc::Image;

namespace {

std::unique_ptr<imgproc::FFTEngine> fftw(int rows, int cols) {
    return std::unique_ptr<imgproc::FFTEngine>(imgproc::createFFTEngine("FFTW", rows, cols));
}

using testsupport::randomImage;

}  // namespace

TEST(FFTEngineTable, LooksEnginesUpByName) {
    imgproc::initFFTThreads();
    std::unique_ptr<imgproc::FFTEngine> cpu(imgproc::createFFTEngine("FFTW", 4, 6));
    ASSERT_NE(cpu, nullptr);
    EXPECT_NE(dynamic_cast<imgproc::FFTWEngine*>(cpu.get()), nullptr);
    std::unique_ptr<imgproc::FFTEngine> gpu(imgproc::createFFTEngine("CUFFT", 4, 6));
    ASSERT_NE(gpu, nullptr);
    EXPECT_NE(dynamic_cast<imgproc::CUFFTEngine*>(gpu.get()), nullptr);
    EXPECT_EQ(imgproc::createFFTEngine("fftw", 4, 6), nullptr);
    EXPECT_EQ(imgproc::createFFTEngine("OpenCL", 4, 6), nullptr);
    EXPECT_EQ(imgproc::fftEngineRegistry().size(), 2u);
}

TEST(FFTWEngine, RoundTripsWithAndWithoutNormalisation) {
    auto engine = fftw(12, 10);
    const Image real = randomImage(12, 10, 1, 7);
    Image spectrum, back;
    engine->forward(real, spectrum);
    engine->inverse(spectrum, back, true, true);
    ASSERT_EQ(back.channels, 1);
    for (size_t i = 0; i < real.size(); ++i) EXPECT_NEAR(back.data[i], real.data[i], 1e-5);
    engine->inverse(spectrum, back, true, false);
    for (size_t i = 0; i < real.size(); ++i) EXPECT_NEAR(back.data[i], 120.0f * real.data[i], 1e-3);

    const Image complex = randomImage(12, 10, 2, 9);
    engine->forward(complex, spectrum);
    engine->inverse(spectrum, spectrum, false, true);  // in place
    ASSERT_EQ(spectrum.channels, 2);
    for (size_t i = 0; i < complex.size(); ++i) EXPECT_NEAR(spectrum.data[i], complex.data[i], 1e-5);
}

// psfToOtf runs the engine's forward transform: a centred delta gives ones.
TEST(KernelSpectrum, CentredDeltaGivesOnes) {
    auto engine = fftw(6, 7);
    for (int side : {1, 3}) {
        Image kernel = testsupport::makeImage(side, side, 1, {});
        kernel.data[side * side / 2] = 1.0f;
        Image spectrum;
        imgproc::psfToOtf(*engine, kernel, spectrum);
        for (int n = 0; n < 42; ++n) {
            EXPECT_NEAR(spectrum.data[2 * n], 1.0f, 1e-6);
            EXPECT_NEAR(spectrum.data[2 * n + 1], 0.0f, 1e-6);
        }
    }
}

TEST(KernelSpectrum, EvenKernelCentreGoesToTheOrigin) {
    const int rows = 8, cols = 9;
    auto engine = fftw(rows, cols);
    for (auto [y, x, ey, ex] : {std::array{2, 2, 0, 0}, std::array{0, 0, rows - 2, cols - 2}}) {
        Image kernel = testsupport::makeImage(4, 4, 1, {});
        kernel.data[y * 4 + x] = 1.0f;
        Image spectrum, placed;
        imgproc::psfToOtf(*engine, kernel, spectrum);
        engine->inverse(spectrum, placed, true, true);
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < cols; ++c)
                EXPECT_NEAR(placed.data[r * cols + c], (r == ey && c == ex) ? 1.0f : 0.0f, 1e-6);
    }
}

TEST(KernelSpectrum, DirectFFTWMatchesTheEngine) {
    const int rows = 16, cols = 12;
    auto engine = fftw(rows, cols);
    const Image kernel = randomImage(5, 4, 1, 3);
    Image spectrum;
    imgproc::psfToOtf(*engine, kernel, spectrum);
    auto* buffer = static_cast<fftwf_complex*>(fftwf_malloc(sizeof(fftwf_complex) * rows * cols));
    imgproc::psfToOtfFFTW(kernel, rows, cols, buffer);
    for (int n = 0; n < rows * cols; ++n) {
        EXPECT_NEAR(buffer[n][0], spectrum.data[2 * n], 1e-5);
        EXPECT_NEAR(buffer[n][1], spectrum.data[2 * n + 1], 1e-5);
    }
    fftwf_free(buffer);
}

TEST(ComplexBuffers, PlaceAndReadBack) {
    const Image source = testsupport::makeImage(2, 2, 1, {1, 2, 3, 4});
    fftwf_complex buffer[12];
    imgproc::imageToComplexBuffer(source, buffer, 1, 2, 0.5f);
    EXPECT_EQ(std::tuple(buffer[0][0], buffer[5][0], buffer[2][0], buffer[11][0]), std::tuple(1.0f, 4.0f, 0.5f, 0.5f));
    for (auto& value : buffer) EXPECT_EQ(value[1], 0.0f);

    Image back;
    imgproc::complexBufferToImage(buffer, 3, 4, back);
    ASSERT_EQ(std::pair(back.height, back.width), std::pair(3, 4));
    EXPECT_EQ(back.data[5], 4.0f / 12.0f);
}

TEST(CUFFTEngine, ReportsFailureWithoutADevice) {
    std::cout << "cuFFT engine built against " << (imgproc::builtWithCuda() ? "the real CUDA toolkit" : "the stand-in layer")
              << std::endl;
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
