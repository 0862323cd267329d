#pragma once

#include <cstdint>
#include <map>
#include <string>

#include <fftw3.h>

#include "image.h"

namespace imgproc {

// Unnormalised 2-D complex FFT of one size, fixed at construction
// (rows = height, cols = width of every image it transforms).
class FFTEngine {
public:
    int32_t rows = 0;
    int32_t cols = 0;

    FFTEngine(int32_t rows, int32_t cols) : rows(rows), cols(cols) {}
    FFTEngine(const FFTEngine&) = delete;
    FFTEngine& operator=(const FFTEngine&) = delete;

    // One channel is read as real, any other count as complex pairs.
    virtual void forward(const Image& source, Image& destination) = 0;
    virtual void inverse(const Image& source, Image& destination, bool realOnly,
                         bool normalize) = 0;
    virtual ~FFTEngine() = default;
};

using FFTEngineCreator = FFTEngine* (*)(int32_t rows, int32_t cols);

FFTEngine* createFFTWEngine(int32_t rows, int32_t cols);
FFTEngine* createCUFFTEngine(int32_t rows, int32_t cols);

// Process-wide table of engine creators: "CUFFT" and "FFTW".
const std::map<std::string, FFTEngineCreator>& fftEngineRegistry();
// Looks the name up in the table; null when the table has no such engine.
FFTEngine* createFFTEngine(const std::string& name, int32_t rows, int32_t cols);

// Spectrum of a one-channel kernel at the engine's size, its centre element
// (kh / 2, kw / 2) moved to the origin.
void psfToOtf(FFTEngine& engine, const Image& kernel, Image& spectrum);
// The same spectrum computed with FFTW directly into a caller-owned
// rows x cols buffer (from fftwf_malloc).
void psfToOtfFFTW(const Image& kernel, int32_t rows, int32_t cols, fftwf_complex* output);
// Real parts of the buffer divided by rows * cols, as a one-channel image.
void complexBufferToImage(const fftwf_complex* buffer, int32_t rows, int32_t cols,
                          Image& destination);
// Writes the (height + bottom) x (width + right) grid: (value, 0) inside the
// source, (fill, 0) elsewhere.
void imageToComplexBuffer(const Image& source, fftwf_complex* buffer, int32_t bottom,
                          int32_t right, float fill);

// FFTW's threads, as many as the OpenMP runtime offers.
void initFFTThreads();

}  // namespace imgproc
