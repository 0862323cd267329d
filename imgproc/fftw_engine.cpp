#include "fftw_engine.h"

#include <utility>

#include "parallel.h"

namespace imgproc {

FFTWEngine::FFTWEngine(int32_t rows, int32_t cols) : FFTEngine(rows, cols) {
    const size_t bytes = static_cast<size_t>(rows) * cols * sizeof(fftwf_complex);
    inBuffer = static_cast<fftwf_complex*>(fftwf_malloc(bytes));
    outBuffer = static_cast<fftwf_complex*>(fftwf_malloc(bytes));
    forwardPlan = fftwf_plan_dft_2d(rows, cols, inBuffer, outBuffer, FFTW_FORWARD, FFTW_ESTIMATE);
    backwardPlan = fftwf_plan_dft_2d(rows, cols, inBuffer, outBuffer, FFTW_BACKWARD, FFTW_ESTIMATE);
}

FFTWEngine::~FFTWEngine() {
    if (forwardPlan) fftwf_destroy_plan(forwardPlan);
    if (backwardPlan) fftwf_destroy_plan(backwardPlan);
    fftwf_free(inBuffer);
    fftwf_free(outBuffer);
}

void FFTWEngine::forward(const Image& source, Image& destination) {
    const int64_t count = static_cast<int64_t>(rows) * cols;
    const float* src = source.data;
    if (source.channels == 1) {
        parallelFor(count, 65537, [&](int64_t begin, int64_t end) {
            for (int64_t n = begin; n < end; ++n) {
                inBuffer[n][0] = src[n];
                inBuffer[n][1] = 0.0f;
            }
        });
    } else {
        parallelFor(count, 65537, [&](int64_t begin, int64_t end) {
            for (int64_t n = begin; n < end; ++n) {
                inBuffer[n][0] = src[2 * n];
                inBuffer[n][1] = src[2 * n + 1];
            }
        });
    }
    fftwf_execute(forwardPlan);
    Image result(source.height, source.width, 2);
    const float* out = reinterpret_cast<const float*>(outBuffer);
    parallelFor(2 * count, 2 * 65537, [&](int64_t begin, int64_t end) {
        for (int64_t n = begin; n < end; ++n) result.data[n] = out[n];
    });
    destination = std::move(result);
}

void FFTWEngine::inverse(const Image& source, Image& destination, bool realOnly, bool normalize) {
    const int64_t count = static_cast<int64_t>(rows) * cols;
    const float* src = source.data;
    float* in = reinterpret_cast<float*>(inBuffer);
    parallelFor(2 * count, 2 * 65537, [&](int64_t begin, int64_t end) {
        for (int64_t n = begin; n < end; ++n) in[n] = src[n];
    });
    fftwf_execute(backwardPlan);
    const float d = normalize ? static_cast<float>(static_cast<int64_t>(source.width) * source.height) : 1.0f;
    Image result(source.height, source.width, realOnly ? 1 : 2);
    const float* out = reinterpret_cast<const float*>(outBuffer);
    if (realOnly) {
        parallelFor(count, 65537, [&](int64_t begin, int64_t end) {
            for (int64_t n = begin; n < end; ++n) result.data[n] = out[2 * n] / d;
        });
    } else {
        parallelFor(2 * count, 2 * 65537, [&](int64_t begin, int64_t end) {
            for (int64_t n = begin; n < end; ++n) result.data[n] = out[n] / d;
        });
    }
    destination = std::move(result);
}

}  // namespace imgproc
