#include "fftw_engine.h"

#include <utility>

namespace imgproc {

FFTWEngine::FFTWEngine(int32_t rows, int32_t cols)
    : FFTEngine(rows, cols), forwardPlan(rows, cols, FFTW_FORWARD), backwardPlan(rows, cols, FFTW_BACKWARD) {
    const size_t bytes = static_cast<size_t>(rows) * cols * sizeof(fftwf_complex);
    outBuffer = static_cast<fftwf_complex*>(fftwf_malloc(bytes));
}

FFTWEngine::~FFTWEngine() { fftwf_free(outBuffer); }

// The transforms read the source image and write the destination's buffer
// directly; a one-channel source is widened to complex as it is read.
void FFTWEngine::forward(const Image& source, Image& destination) {
    Image result(source.height, source.width, 2);
    auto* out = reinterpret_cast<fftwf_complex*>(result.data);
    if (source.channels == 1) {
        forwardPlan.executeReal(source.data, out);
    } else {
        forwardPlan.execute(reinterpret_cast<const fftwf_complex*>(source.data), out);
    }
    destination = std::move(result);
}

void FFTWEngine::inverse(const Image& source, Image& destination, bool realOnly, bool normalize) {
    const auto* in = reinterpret_cast<const fftwf_complex*>(source.data);
    const float d = normalize ? static_cast<float>(static_cast<int64_t>(source.width) * source.height) : 1.0f;
    Image result(source.height, source.width, realOnly ? 1 : 2);
    if (realOnly) {
        backwardPlan.executeToReal(in, outBuffer, result.data, d);
    } else {
        backwardPlan.execute(in, reinterpret_cast<fftwf_complex*>(result.data), d);
    }
    destination = std::move(result);
}

}  // namespace imgproc
