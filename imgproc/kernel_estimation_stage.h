#pragma once

#include <cstdint>

#include "deblur.h"
#include "image.h"

namespace imgproc {

// First stage of a run: logs its parameters, estimates the blur kernel on the
// picture reduced to at most 1000 pixels on its longer side and hands it back
// at the picture's resolution, summing to 1. Raises the progress to at most
// 70 percent (less for pictures above 714,285 pixels).
void estimateKernel(const Image& input, int32_t kernelHeight, int32_t kernelWidth, Image& kernel,
                    uint32_t quality, bool estimateKernelSize, Processor processor,
                    float scaleMapThreshold, float gammaCorrection, int32_t* progress);

// The same stage, telling whether any pyramid level could be estimated on.
// When none could (a picture too small), `kernel` is the centred one-pixel
// kernel of the size the stage would have returned.
bool estimateKernelChecked(const Image& input, int32_t kernelHeight, int32_t kernelWidth,
                           Image& kernel, uint32_t quality, bool estimateKernelSize,
                           Processor processor, float scaleMapThreshold, float gammaCorrection,
                           int32_t* progress);

// The processor a run can actually use: any GPU choice falls back to Cpu when
// this build has no CUDA toolkit, no device answers, or a cuFFT engine cannot
// be set up.
Processor usableProcessor(Processor processor);

// Odd kernel side at the picture's resolution for a side estimated at the
// resolution factor s: trunc(side / s), raised by one when even.
int32_t fullResolutionKernelSide(int32_t side, float s);

// Fraction of the progress bar that kernel estimation fills:
// min(1,000,000 / (2 * width * height), 0.7).
double kernelEstimationShare(int32_t width, int32_t height);

}  // namespace imgproc
