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

namespace {

// FFTW may run a plan on other arrays than the ones it was made for when they
// share the plan's alignment; image buffers are 64-byte aligned, like
// fftwf_malloc's, so the transforms read and write them in place of the
// engine's own buffers and the copies in and out are saved. The plans are
// out of place and keep their input, so a source image is only read.
bool planAligned(const void* pointer, const void* planArray) {
    return fftwf_alignment_of(static_cast<float*>(const_cast<void*>(pointer))) ==
           fftwf_alignment_of(static_cast<float*>(const_cast<void*>(planArray)));
}

}  // namespace

void FFTWEngine::forward(const Image& source, Image& destination) {
    const int64_t count = static_cast<int64_t>(rows) * cols;
    const float* src = source.data;
    Image result(source.height, source.width, 2);
    fftwf_complex* input = inBuffer;
    if (source.channels == 1) {
        parallelFor(count, 65537, [&](int64_t begin, int64_t end) {
            for (int64_t n = begin; n < end; ++n) {
                inBuffer[n][0] = src[n];
                inBuffer[n][1] = 0.0f;
            }
        });
    } else if (planAligned(src, inBuffer)) {
        input = reinterpret_cast<fftwf_complex*>(const_cast<float*>(src));
    } else {
        parallelFor(count, 65537, [&](int64_t begin, int64_t end) {
            for (int64_t n = begin; n < end; ++n) {
                inBuffer[n][0] = src[2 * n];
                inBuffer[n][1] = src[2 * n + 1];
            }
        });
    }
    if (planAligned(result.data, outBuffer)) {
        fftwf_execute_dft(forwardPlan, input, reinterpret_cast<fftwf_complex*>(result.data));
    } else {
        fftwf_execute_dft(forwardPlan, input, outBuffer);
        const float* out = reinterpret_cast<const float*>(outBuffer);
        parallelFor(2 * count, 2 * 65537, [&](int64_t begin, int64_t end) {
            for (int64_t n = begin; n < end; ++n) result.data[n] = out[n];
        });
    }
    destination = std::move(result);
}

void FFTWEngine::inverse(const Image& source, Image& destination, bool realOnly, bool normalize) {
    const int64_t count = static_cast<int64_t>(rows) * cols;
    const float* src = source.data;
    fftwf_complex* input = inBuffer;
    if (planAligned(src, inBuffer)) {
        input = reinterpret_cast<fftwf_complex*>(const_cast<float*>(src));
    } else {
        float* in = reinterpret_cast<float*>(inBuffer);
        parallelFor(2 * count, 2 * 65537, [&](int64_t begin, int64_t end) {
            for (int64_t n = begin; n < end; ++n) in[n] = src[n];
        });
    }
    const float d = normalize ? static_cast<float>(static_cast<int64_t>(source.width) * source.height) : 1.0f;
    Image result(source.height, source.width, realOnly ? 1 : 2);
    if (realOnly) {
        fftwf_execute_dft(backwardPlan, input, outBuffer);
        const float* out = reinterpret_cast<const float*>(outBuffer);
        parallelFor(count, 65537, [&](int64_t begin, int64_t end) {
            for (int64_t n = begin; n < end; ++n) result.data[n] = out[2 * n] / d;
        });
    } else {
        float* out = result.data;
        const bool direct = planAligned(out, outBuffer);
        fftwf_execute_dft(backwardPlan, input, direct ? reinterpret_cast<fftwf_complex*>(out) : outBuffer);
        const float* from = direct ? out : reinterpret_cast<const float*>(outBuffer);
        // Dividing by one leaves every value as it is, so an unnormalised
        // result written in place needs no second pass.
        if (!direct || normalize) {
            parallelFor(2 * count, 2 * 65537, [&](int64_t begin, int64_t end) {
                for (int64_t n = begin; n < end; ++n) out[n] = from[n] / d;
            });
        }
    }
    destination = std::move(result);
}

}  // namespace imgproc
