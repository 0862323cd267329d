#pragma once

#include <cstdint>

#include "deblur.h"
#include "image.h"

namespace imgproc {

// Second stage of a run: deconvolves `input` (one or three channels, values in
// [0, 1]) with the estimated kernel, whole or, when its longer side exceeds
// 1500 pixels, in overlapping tiles. Writes its parameters to standard output
// and raises `progress` by its share of the bar as channels finish.
void deconvolveImage(const Image& input, const Image& kernel, uint32_t quality, bool dering,
                     bool denoise, Processor processor, float smoothTermCoefficient, Image& output,
                     int32_t* progress);

}  // namespace imgproc
