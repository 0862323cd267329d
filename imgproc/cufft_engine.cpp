#include "cufft_engine.h"

#include <cstdlib>
#include <utility>

#ifdef VANTREL_HAVE_CUDA
#include <cuda_runtime.h>
#include <cufft.h>
#else
#include "cuda_stand_in.h"
#endif

namespace imgproc {

bool builtWithCuda() {
#ifdef VANTREL_HAVE_CUDA
    return true;
#else
    return false;
#endif
}

int cudaProbeStatus() {
    int count = 0;
    return static_cast<int>(cudaGetDeviceCount(&count));
}

bool cudaDeviceAvailable() {
    int count = 0;
    return cudaGetDeviceCount(&count) == cudaSuccess && count > 0;
}

CUFFTEngine::CUFFTEngine(int32_t rows, int32_t cols) : FFTEngine(rows, cols) {
    const size_t bytes = static_cast<size_t>(rows) * cols * 8;
    hostBuffer = static_cast<float*>(std::malloc(bytes));
    void* device = nullptr;
    if (hostBuffer && cudaMalloc(&device, bytes) == cudaSuccess) {
        deviceBuffer = device;
        cufftHandle handle = 0;
        if (cufftPlan2d(&handle, rows, cols, CUFFT_C2C) == CUFFT_SUCCESS) {
            plan = static_cast<int>(handle);
            planMade = true;
        }
    }
    ready = hostBuffer && deviceBuffer && planMade;
}

CUFFTEngine::~CUFFTEngine() {
    // Release only what the constructor acquired.
    std::free(hostBuffer);
    if (deviceBuffer) cudaFree(deviceBuffer);
    if (planMade) cufftDestroy(static_cast<cufftHandle>(plan));
}

void CUFFTEngine::forward(const Image& source, Image& destination) {
    if (!ready) {
        destination = Image();
        return;
    }
    const size_t count = static_cast<size_t>(rows) * cols;
    const size_t bytes = count * 8;
    Image result(source.height, source.width, 2);
    bool ok;
    if (source.channels == 1) {
        for (size_t n = 0; n < count; ++n) {
            hostBuffer[2 * n] = source.data[n];
            hostBuffer[2 * n + 1] = 0.0f;
        }
        ok = cudaMemcpy(deviceBuffer, hostBuffer, bytes, cudaMemcpyHostToDevice) == cudaSuccess;
    } else {
        ok = cudaMemcpy(deviceBuffer, source.data, bytes, cudaMemcpyHostToDevice) == cudaSuccess;
    }
    auto* device = static_cast<cufftComplex*>(deviceBuffer);
    ok = ok && cufftExecC2C(static_cast<cufftHandle>(plan), device, device, CUFFT_FORWARD) == CUFFT_SUCCESS;
    ok = ok && cudaMemcpy(result.data, deviceBuffer, bytes, cudaMemcpyDeviceToHost) == cudaSuccess;
    destination = ok ? std::move(result) : Image();
}

void CUFFTEngine::inverse(const Image& source, Image& destination, bool realOnly, bool normalize) {
    if (!ready) {
        destination = Image();
        return;
    }
    const size_t count = static_cast<size_t>(rows) * cols;
    const size_t bytes = count * 8;
    auto* device = static_cast<cufftComplex*>(deviceBuffer);
    bool ok = cudaMemcpy(deviceBuffer, source.data, bytes, cudaMemcpyHostToDevice) == cudaSuccess;
    ok = ok && cufftExecC2C(static_cast<cufftHandle>(plan), device, device, CUFFT_INVERSE) == CUFFT_SUCCESS;
    Image result(source.height, source.width, realOnly ? 1 : 2);
    if (realOnly) {
        ok = ok && cudaMemcpy(hostBuffer, deviceBuffer, bytes, cudaMemcpyDeviceToHost) == cudaSuccess;
        if (ok)
            for (size_t n = 0; n < count; ++n) result.data[n] = hostBuffer[2 * n];
    } else {
        ok = ok && cudaMemcpy(result.data, deviceBuffer, bytes, cudaMemcpyDeviceToHost) == cudaSuccess;
    }
    if (!ok) {
        destination = Image();
        return;
    }
    if (normalize) result = result / static_cast<float>(static_cast<int64_t>(source.width) * source.height);
    destination = std::move(result);
}

}  // namespace imgproc
