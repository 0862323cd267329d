#pragma once

#include "fft_engine.h"

namespace imgproc {

// cuFFT engine. Without a usable device (or without a CUDA toolkit at build
// time) its set-up fails; isReady() tells, and transforms then leave the
// destination empty rather than compute garbage.
class CUFFTEngine : public FFTEngine {
public:
    int plan = 0;  // cufftHandle
    float* hostBuffer = nullptr;
    void* deviceBuffer = nullptr;

    CUFFTEngine(int32_t rows, int32_t cols);
    ~CUFFTEngine() override;

    void forward(const Image& source, Image& destination) override;
    void inverse(const Image& source, Image& destination, bool realOnly,
                 bool normalize) override;

    bool isReady() const { return ready; }

private:
    bool ready = false;
    bool planMade = false;
};

// True when the CUDA runtime reports a device (cudaGetDeviceCount succeeds
// with at least one device).
bool cudaDeviceAvailable();
// The status of cudaGetDeviceCount: 0 on success.
int cudaProbeStatus();
// True when this build links the real CUDA runtime and cuFFT.
bool builtWithCuda();

}  // namespace imgproc
