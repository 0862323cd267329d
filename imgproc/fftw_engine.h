#pragma once

#include <fftw3.h>

#include "fft_engine.h"

namespace imgproc {

class FFTWEngine : public FFTEngine {
public:
    fftwf_plan forwardPlan = nullptr;
    fftwf_plan backwardPlan = nullptr;
    fftwf_complex* inBuffer = nullptr;
    fftwf_complex* outBuffer = nullptr;

    FFTWEngine(int32_t rows, int32_t cols);
    ~FFTWEngine() override;

    void forward(const Image& source, Image& destination) override;
    void inverse(const Image& source, Image& destination, bool realOnly,
                 bool normalize) override;
};

}  // namespace imgproc
