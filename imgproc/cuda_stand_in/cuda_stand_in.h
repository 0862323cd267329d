#pragma once

// Stand-in for the few CUDA runtime and cuFFT calls the GPU engine makes, used
// when the build finds no CUDA toolkit. It behaves like a machine without a
// device: the probe fails, nothing is allocated, and no call touches memory.

#include <cstddef>

using cudaError_t = int;
constexpr cudaError_t cudaSuccess = 0;
constexpr cudaError_t cudaErrorNoDevice = 100;

enum cudaMemcpyKind { cudaMemcpyHostToDevice = 1, cudaMemcpyDeviceToHost = 2 };

cudaError_t cudaGetDeviceCount(int* count);
cudaError_t cudaMalloc(void** pointer, size_t bytes);
cudaError_t cudaMemcpy(void* destination, const void* source, size_t bytes, cudaMemcpyKind kind);
cudaError_t cudaFree(void* pointer);

using cufftHandle = int;
using cufftResult = int;
constexpr cufftResult CUFFT_SUCCESS = 0;
constexpr cufftResult CUFFT_SETUP_FAILED = 7;
enum cufftType { CUFFT_C2C = 0x29 };
constexpr int CUFFT_FORWARD = -1;
constexpr int CUFFT_INVERSE = 1;
struct cufftComplex {
    float x;
    float y;
};

cufftResult cufftPlan2d(cufftHandle* plan, int rows, int cols, cufftType type);
cufftResult cufftExecC2C(cufftHandle plan, cufftComplex* input, cufftComplex* output, int direction);
cufftResult cufftDestroy(cufftHandle plan);
