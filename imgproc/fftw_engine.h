#pragma once

#include <fftw3.h>

#include "dft_2d.h"
#include "fft_engine.h"

namespace imgproc {

class FFTWEngine : public FFTEngine {
public:
    Dft2D forwardPlan;
    Dft2D backwardPlan;
    // Receives the complex result of an inverse whose real parts are kept.
    fftwf_complex* outBuffer = nullptr;

    FFTWEngine(int32_t rows, int32_t cols);
    ~FFTWEngine() override;

    void forward(const Image& source, Image& destination) override;
    void inverse(const Image& source, Image& destination, bool realOnly,
                 bool normalize) override;
};

}  // namespace imgproc
