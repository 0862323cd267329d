#include "fft_engine.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include <omp.h>

#include "cufft_engine.h"
#include "dft_2d.h"
#include "fftw_engine.h"
#include "geometry.h"
#include "parallel.h"

namespace imgproc {

FFTEngine* createFFTWEngine(int32_t rows, int32_t cols) { return new FFTWEngine(rows, cols); }

FFTEngine* createCUFFTEngine(int32_t rows, int32_t cols) { return new CUFFTEngine(rows, cols); }

const std::map<std::string, FFTEngineCreator>& fftEngineRegistry() {
    static const std::map<std::string, FFTEngineCreator> registry = {
        {"CUFFT", &createCUFFTEngine},
        {"FFTW", &createFFTWEngine},
    };
    return registry;
}

FFTEngine* createFFTEngine(const std::string& name, int32_t rows, int32_t cols) {
    const auto& registry = fftEngineRegistry();
    const auto it = registry.find(name);
    return it == registry.end() ? nullptr : it->second(rows, cols);
}

void psfToOtf(FFTEngine& engine, const Image& kernel, Image& spectrum) {
    const int kh = kernel.height, kw = kernel.width;
    if (kh > engine.rows || kw > engine.cols) {
        // A kernel larger than the transform has no spectrum of that size.
        spectrum = Image();
        return;
    }
    if (kernel.channels != 1) {
        Image placed(kernel);
        if (kh < engine.rows || kw < engine.cols) padZero(placed, 0, engine.rows - kh, 0, engine.cols - kw, placed);
        circShift(placed, -(kh / 2), -(kw / 2), placed);
        engine.forward(placed, spectrum);
        return;
    }
    // The zero-padded, cyclically shifted kernel written at once as the real
    // parts of a complex image, which the transform reads as it is.
    const int rows = engine.rows, cols = engine.cols;
    Image placed(rows, cols, 2);
    const int64_t floats = 2 * static_cast<int64_t>(rows) * cols;
    parallelFor(floats, 2 * 65537, [&](int64_t begin, int64_t end) {
        std::fill(placed.data + begin, placed.data + end, 0.0f);
    });
    for (int y = 0; y < kh; ++y) {
        const int r = ((y - kh / 2) % rows + rows) % rows;
        for (int x = 0; x < kw; ++x) {
            const int c = ((x - kw / 2) % cols + cols) % cols;
            placed.data[2 * (static_cast<size_t>(r) * cols + c)] = kernel.data[static_cast<size_t>(y) * kw + x];
        }
    }
    engine.forward(placed, spectrum);
}

void psfToOtfFFTW(const Image& kernel, int32_t rows, int32_t cols, fftwf_complex* output) {
    const size_t count = static_cast<size_t>(rows) * cols;
    auto* buffer = static_cast<fftwf_complex*>(fftwf_malloc(sizeof(fftwf_complex) * count));
    std::memset(buffer, 0, sizeof(fftwf_complex) * count);
    const int kh = kernel.height, kw = kernel.width;
    for (int y = 0; y < kh; ++y)
        for (int x = 0; x < kw; ++x) {
            const int r = (rows + (y - kh / 2) % rows) % rows;
            const int c = (cols + (x - kw / 2) % cols) % cols;
            buffer[static_cast<size_t>(r) * cols + c][0] = kernel.data[y * kw + x];
            buffer[static_cast<size_t>(r) * cols + c][1] = 0.0f;
        }
    Dft2D(rows, cols, FFTW_FORWARD).execute(buffer, output);
    fftwf_free(buffer);
}

void complexBufferToImage(const fftwf_complex* buffer, int32_t rows, int32_t cols, Image& destination) {
    Image result(rows, cols, 1);
    const int64_t count = static_cast<int64_t>(rows) * cols;
    const float divisor = static_cast<float>(count);
    parallelFor(count, 65537, [&](int64_t begin, int64_t end) {
        for (int64_t n = begin; n < end; ++n) result.data[n] = buffer[n][0] / divisor;
    });
    destination = std::move(result);
}

void imageToComplexBuffer(const Image& source, fftwf_complex* buffer, int32_t bottom, int32_t right,
                          float fill) {
    const int rows = source.height + bottom, cols = source.width + right;
    // Shared out by rows once the buffer has more than 65536 entries.
    parallelFor(rows, 65536 / std::max(cols, 1) + 1, [&](int64_t begin, int64_t end) {
        for (int r = static_cast<int>(begin); r < end; ++r)
            for (int c = 0; c < cols; ++c) {
                fftwf_complex& out = buffer[static_cast<size_t>(r) * cols + c];
                out[0] = (r < source.height && c < source.width)
                             ? source.data[static_cast<size_t>(r) * source.width + c]
                             : fill;
                out[1] = 0.0f;
            }
    });
}

void initFFTThreads() {
    fftwf_init_threads();
    fftwf_plan_with_nthreads(omp_get_max_threads());
}

}  // namespace imgproc
