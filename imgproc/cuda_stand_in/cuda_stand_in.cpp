#include "cuda_stand_in.h"

cudaError_t cudaGetDeviceCount(int* count) {
    if (count) *count = 0;
    return cudaErrorNoDevice;
}

cudaError_t cudaMalloc(void** pointer, size_t) {
    if (pointer) *pointer = nullptr;
    return cudaErrorNoDevice;
}

cudaError_t cudaMemcpy(void*, const void*, size_t, cudaMemcpyKind) { return cudaErrorNoDevice; }

cudaError_t cudaFree(void*) { return cudaSuccess; }

cufftResult cufftPlan2d(cufftHandle* plan, int, int, cufftType) {
    if (plan) *plan = 0;
    return CUFFT_SETUP_FAILED;
}

cufftResult cufftExecC2C(cufftHandle, cufftComplex*, cufftComplex*, int) { return CUFFT_SETUP_FAILED; }

cufftResult cufftDestroy(cufftHandle) { return CUFFT_SUCCESS; }
