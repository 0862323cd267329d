#pragma once

#include <cstdint>
#include <string>

#include "fft_engine.h"
#include "image.h"

namespace imgproc {

// Spectra that stay fixed during one solver call. The plain solver keeps
// conj(K) * Y (two channels), |K|^2 and |F(dx)|^2 + |F(dy)|^2 (one channel
// each); the noise-suppressing solver keeps K and the two powers as
// two-channel images with zero imaginary parts.
struct SolverSpectra {
    Image spectrum;
    Image kernelPower;
    Image gradientPower;
};

// Deconvolves one picture (or one tile) with a known kernel. The picture is
// padded by edge replication to multiples of 256 and edge-tapered; one FFT
// engine of that size serves every channel and every solver pass.
//
// Calling order used by the deconvolution stage: construct, convert `image`
// to YCbCr when it has three channels, split it into `inputPlanes`, call
// run() or runDenoised(), optionally reduceRinging() / reduceRingingDenoised(),
// merge `outputPlanes` into `result`, crop the margins, convert back, clamp,
// then getResult().
class Deconvolver {
public:
    Image image;                      // padded, tapered picture (1 or 3 channels)
    Image kernel;                     // copy of the blur kernel
    Image result;                     // filled and finished by the stage
    Image* inputPlanes = nullptr;     // owned array, filled by the stage (splitPlanes)
    Image* outputPlanes = nullptr;    // owned array, one image per channel
    int32_t marginTop = 0;
    int32_t marginBottom = 0;
    int32_t marginLeft = 0;
    int32_t marginRight = 0;
    float smoothCoefficient = 0.0f;   // weight of the gradient prior
    uint32_t quality = 1;             // sets the plain solver's continuation ratio
    FFTEngine* engine = nullptr;      // owned, paddedRows x paddedCols
    std::string engineName;           // "FFTW" or "CUFFT"

    Deconvolver(const Image& image, const Image& kernel, float smoothCoefficient,
                uint32_t quality, bool useFFTW);
    ~Deconvolver();
    Deconvolver(const Deconvolver&) = delete;
    Deconvolver& operator=(const Deconvolver&) = delete;

    // Per-channel loops: each channel is solved, then the progress rises by
    // 100 * share / channels, truncated after every channel.
    void run(int32_t* progress, float share);
    void runDenoised(int32_t* progress, float share);

    // Second, smoother solve of the first plane; the median-filtered residual
    // is subtracted from outputPlanes[0].
    void reduceRinging();
    void reduceRingingDenoised();

    // An independent copy of `result`.
    Image getResult() const;

    // Plain solver: quadratic data term, anisotropic L1 gradient prior.
    void solve(const Image& blurred, const Image& kernel, float lambda, Image& out);
    void computeSpectra(const Image& blurred, const Image& kernel, SolverSpectra& spectra);

    // Noise-suppressing solver: L1 data term through a soft-thresholded residual.
    void solveDenoised(const Image& blurred, const Image& kernel, float lambda, Image& out);
    void computeSpectraDenoised(const Image& blurred, const Image& kernel,
                                SolverSpectra& spectra);
};

}  // namespace imgproc
