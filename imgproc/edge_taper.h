#pragma once

#include "image.h"

namespace imgproc {

// Blends every channel near the borders towards its own copy blurred by the
// kernel, so that the cyclic jump between opposite borders looks like blur.
// Transforms go through FFTW directly. An image smaller than 2 x 2, or a
// kernel whose row or column sums are all zero, comes back unchanged.
void edgeTaper(const Image& image, const Image& kernel, Image& result);

}  // namespace imgproc
