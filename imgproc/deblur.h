#pragma once

#include <cstdint>

#include "image.h"

namespace imgproc {

enum Processor : int32_t { Cpu = 0, Gpu = 1, Auto = 2 };

// The engine's one entry: estimates the blur kernel of `input` and, when it
// is significant, deconvolves the picture into `output` (else copies it).
// `progress` is written atomically from 0 towards 100 while the run goes on.
void deblurImage(const Image& input, int32_t kernelHeight, int32_t kernelWidth, int32_t* progress,
                 Image& output, Image& kernel, uint32_t quality, bool dering, bool denoise,
                 bool estimateKernelSize, Processor processor, float scaleMapThreshold,
                 float smoothTermCoefficient, float gammaCorrection);

}  // namespace imgproc
